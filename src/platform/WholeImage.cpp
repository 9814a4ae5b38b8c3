// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WholeImage.h"

#include "platform/ImageStructure.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QLoggingCategory>

#include <mutex>

namespace platform::WholeImage {

namespace {

// Qt decodes no picture past 128 MiB by default; a larger file is not read.
constexpr qint64 maxFileBytes = 128 * 1024 * 1024;

// What the decode running on this thread has logged; none outside a decode.
thread_local QStringList* t_reports = nullptr;

QtMessageHandler g_nextHandler = nullptr;
QLoggingCategory::CategoryFilter g_nextFilter = nullptr;
std::mutex g_rulesMutex;
QHash<QByteArray, int> g_silenced; // by image category: the message types its rules turn off

constexpr QtMsgType reportTypes[] = {QtInfoMsg, QtWarningMsg, QtCriticalMsg};

bool isImageCategory(const char* name)
{
    const QByteArrayView category(name);
    return category == "qt.gui.imageio" || category.startsWith("qt.gui.imageio.");
}

void keepImageCategoriesOn(QLoggingCategory* category)
{
    if (g_nextFilter)
        g_nextFilter(category);
    if (!isImageCategory(category->categoryName()))
        return;
    int silenced = 0;
    for (const QtMsgType type : reportTypes) {
        if (!category->isEnabled(type))
            silenced |= 1 << type;
        category->setEnabled(type, true);
    }
    std::lock_guard lock(g_rulesMutex);
    g_silenced.insert(category->categoryName(), silenced);
}

// libpng warns only about a PNG's side data (a colour profile it dislikes, as many
// PNGs carry, a text chunk); damage to the pixels makes the decode fail.
bool isSideNote(const QString& message)
{
    return message.startsWith(u"libpng warning:");
}

void recordOrPassOn(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (t_reports && type != QtDebugMsg && type != QtFatalMsg && !isSideNote(message)) {
        t_reports->append(message);
        return;
    }
    if (context.category && isImageCategory(context.category)) {
        std::lock_guard lock(g_rulesMutex);
        if (g_silenced.value(context.category) & (1 << type))
            return;
    }
    g_nextHandler(type, context, message);
}

// Records what is logged on this thread while it lives.
class Reports
{
public:
    Reports()
    {
        static std::once_flag installed;
        std::call_once(installed, [] {
            // Each of ours may run on another thread the moment it is in place, so the
            // one it passes on to is known first: for that while Qt's default is in place.
            g_nextFilter = QLoggingCategory::installFilter(nullptr);
            QLoggingCategory::installFilter(keepImageCategoriesOn);
            g_nextHandler = qInstallMessageHandler(nullptr);
            qInstallMessageHandler(recordOrPassOn);
        });
        t_reports = &m_reports;
    }
    ~Reports() { t_reports = nullptr; }
    Reports(const Reports&) = delete;
    Reports& operator=(const Reports&) = delete;

    const QStringList& list() const { return m_reports; }

private:
    QStringList m_reports;
};

} // namespace

Result read(const QString& path, const std::function<void(QImageReader&)>& prepare)
{
    if (!QFileInfo(path).isFile())
        return {{}, QStringLiteral("is not a plain file")};
    // The bytes are checked and decoded from memory: a file changed meanwhile cannot
    // pass with other bytes than those decoded, nor a cut one fault a mapping.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, QStringLiteral("cannot be read: %1").arg(file.errorString())};
    if (file.size() > maxFileBytes)
        return {{}, QStringLiteral("is larger than %1 bytes").arg(maxFileBytes)};
    QByteArray bytes = file.read(file.size()); // no more, should it grow meanwhile
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const Reports reports;
    const QByteArray format = reader.format();
    if (!ImageStructure::knows(format))
        return {{}, QStringLiteral("is no JPEG, PNG, GIF or BMP picture")};
    if (!ImageStructure::isComplete(format, bytes))
        return {{}, QStringLiteral("ends before its picture does")};
    if (prepare)
        prepare(reader);
    QImage image = reader.read();
    if (image.isNull())
        return {{}, QStringLiteral("does not decode: %1").arg(reader.errorString())};
    if (!reports.list().isEmpty())
        return {{}, QStringLiteral("is damaged: %1").arg(reports.list().first())};
    return {std::move(image), {}};
}

} // namespace platform::WholeImage
