#include "app/SkinImages.h"

#include "platform/Logging.h"

#include "app/SkinArt.h"

#include <QDir>
#include <QImageReader>

using namespace Qt::StringLiterals;

namespace {

QString baseName(SkinImages::Part part)
{
    switch (part) {
    case SkinImages::Part::Skin:
        return QStringLiteral("skin");
    case SkinImages::Part::Calendar:
        return QStringLiteral("calendar");
    case SkinImages::Part::Settings:
        return QStringLiteral("settings");
    case SkinImages::Part::Marker:
        return QStringLiteral("marker");
    }
    Q_UNREACHABLE();
}

QImage painted(SkinImages::Part part, qreal dpr)
{
    switch (part) {
    case SkinImages::Part::Skin:
        return SkinArt::skin(dpr);
    case SkinImages::Part::Calendar:
        return SkinArt::calendar(dpr);
    case SkinImages::Part::Settings:
        return SkinArt::settingsPanel(dpr);
    case SkinImages::Part::Marker:
        return SkinArt::marker(dpr);
    }
    Q_UNREACHABLE();
}

bool readableSuffix(const QString& suffix)
{
    static const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    return formats.contains(suffix.toLower().toLatin1());
}

} // namespace

SkinImages::SkinImages(const QString& stateFolder) : m_skinFolder(stateFolder + u"/skin"_s) {}

QImage SkinImages::image(Part part, qreal dpr) const
{
    const auto key = std::make_pair(part, dpr);
    auto it = m_cache.find(key);
    if (it == m_cache.end())
        it = m_cache.emplace(key, load(part, dpr)).first;
    return it->second;
}

QImage SkinImages::load(Part part, qreal dpr) const
{
    const QString name = baseName(part);
    if (dpr > 1) {
        QImage sharp = replacement(name + u"@2x"_s);
        if (!sharp.isNull()) {
            sharp.setDevicePixelRatio(2);
            return sharp;
        }
    }
    QImage plain = replacement(name);
    if (!plain.isNull())
        return plain;
    return painted(part, dpr);
}

// The first file named `baseName` plus an image suffix that decodes; a null image when
// there is none. Files that do not decode are skipped with a warning.
QImage SkinImages::replacement(const QString& baseName) const
{
    const QDir folder(m_skinFolder);
    const QFileInfoList candidates =
        folder.entryInfoList({baseName + u".*"_s}, QDir::Files, QDir::Name);
    for (const QFileInfo& file : candidates) {
        if (file.completeBaseName().compare(baseName, Qt::CaseInsensitive) != 0 ||
            !readableSuffix(file.suffix()))
            continue;
        QImageReader reader(file.filePath());
        QImage image = reader.read();
        if (image.isNull()) {
            qCWarning(lcSkin) << "Skipping skin replacement" << file.filePath() << "-"
                              << reader.errorString();
            continue;
        }
        qCInfo(lcSkin) << "Skin part from" << file.filePath();
        return image;
    }
    return {};
}
