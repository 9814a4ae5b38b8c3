#include "TestLibrary.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>

TestLibrary::TestLibrary()
{
    QVERIFY2(m_dir.isValid(), qPrintable(m_dir.errorString()));
}

QString TestLibrary::addPicture(const QString& category, const QString& name, QColor colour)
{
    QDir(m_dir.path()).mkpath(category);
    const QString path = m_dir.filePath(category + '/' + name);
    QImage image(32, 24, QImage::Format_RGB32);
    image.fill(colour);
    const bool png = name.endsWith(".png", Qt::CaseInsensitive);
    if (!image.save(path, png ? "PNG" : "JPEG"))
        qWarning("cannot write %s", qPrintable(path));
    return path;
}

void TestLibrary::addPictures(const QString& category, int count, const QString& prefix)
{
    for (int i = 0; i < count; ++i)
        addPicture(category, prefix + QString::number(i) + ".jpg");
}

void TestLibrary::touchFolders()
{
    ++m_touches;
    const timespec times[2] = {{1000000000 + m_touches, 0}, {1000000000 + m_touches, 0}};
    QStringList folders = {m_dir.path()};
    for (const QString& name : QDir(m_dir.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        folders.append(m_dir.filePath(name));
    for (const QString& folder : folders)
        ::utimensat(AT_FDCWD, QFile::encodeName(folder).constData(), times, 0);
}
