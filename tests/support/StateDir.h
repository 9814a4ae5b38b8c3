// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A state folder of the test's own, with its MyGallery folder, and real files in it.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

struct StateDir
{
    QTemporaryDir dir;

    StateDir() { QDir(dir.path()).mkpath("MyGallery"); }

    QString path(const QString& name) const { return dir.filePath(name); }

    void write(const QString& name, const QByteArray& bytes) const
    {
        QFile f(path(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path(name)));
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
};
