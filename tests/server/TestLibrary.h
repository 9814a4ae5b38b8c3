// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

// A picture library in a temporary folder, made of small real image files.
class TestLibrary
{
public:
    QString path() const { return m_dir.path(); }
    // Writes `<category>/<name>`, an image whose format follows the suffix.
    QString addPicture(const QString& category, const QString& name, QSize size = {32, 24})
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        const QString path = m_dir.filePath(category + '/' + name);
        if (!QDir(m_dir.path()).mkpath(category) ||
            !image.save(path, name.endsWith(".png", Qt::CaseInsensitive) ? "PNG" : "JPEG"))
            qWarning("cannot write %s", qPrintable(path));
        return path;
    }
    // Adds `count` pictures named "<prefix>N.jpg".
    void addPictures(const QString& category, int count, const QString& prefix = "p")
    {
        for (int i = 0; i < count; ++i)
            addPicture(category, prefix + QString::number(i) + ".jpg");
    }

private:
    QTemporaryDir m_dir;
};
