#pragma once

// Builds the widget over a state folder of its own, with a clock the test sets and a
// browser launch that only records the address.

#include "app/Form1.h"
#include "platform/Clock.h"
#include "platform/UrlOpener.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <memory>

class FixedClock : public platform::Clock
{
public:
    QDateTime time = QDateTime(QDate(2026, 12, 6), QTime(12, 0));
    qint64 monotonic = 0;
    QDateTime now() const override { return time; }
    qint64 monotonicMs() const override { return monotonic; }
};

struct FormFixture
{
    QTemporaryDir dir;
    FixedClock clock;
    QList<QUrl> opened;
    std::unique_ptr<Form1> form;

    FormFixture()
    {
        platform::setClock(&clock);
        platform::setUrlOpener([this](const QUrl& url) {
            opened << url;
            return true;
        });
        QDir(dir.path()).mkpath("MyGallery");
    }
    ~FormFixture()
    {
        form.reset();
        platform::setUrlOpener({});
        platform::setClock(nullptr);
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    void write(const QString& name, const QByteArray& bytes) const
    {
        QFile f(path(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    }

    // A picture of one colour, so a test can tell which file is on screen.
    void writePicture(const QString& name, const QColor& colour, QSize size = {400, 300}) const
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        image.save(path(name), "JPEG");
    }

    QByteArray read(const QString& name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    Form1& start(const QString& server = "http://127.0.0.1:8642")
    {
        form = std::make_unique<Form1>(Form1::Options{dir.path(), server});
        return *form;
    }
};
