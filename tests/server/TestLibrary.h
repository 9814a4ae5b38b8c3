#pragma once

#include <QColor>
#include <QString>
#include <QTemporaryDir>

// A picture library in a temporary folder, made of small real image files.
class TestLibrary
{
public:
    TestLibrary();

    QString path() const { return m_dir.path(); }
    // Writes `<category>/<name>` as a small image; the format follows the suffix.
    QString addPicture(const QString& category, const QString& name,
                       QColor colour = QColor(90, 140, 200));
    // Adds `count` pictures named "<prefix>N.jpg".
    void addPictures(const QString& category, int count, const QString& prefix = "p");
    // Gives the root and every category folder a new, distinct modification time, so a
    // check for changes sees one even when the file system's clock is coarser than the
    // test is fast.
    void touchFolders();

private:
    QTemporaryDir m_dir;
    int m_touches = 0;
};
