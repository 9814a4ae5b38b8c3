// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SkinImages.h"

#include "platform/Logging.h"

#include "app/SkinArt.h"
#include "state/StateFiles.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QtEndian>

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

bool readableSuffix(const QString& suffix)
{
    static const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    return formats.contains(suffix.toLower().toLatin1());
}

} // namespace

SkinImages::SkinImages(const QString& stateFolder, const QStringList& shippedFolders)
    : m_skinFolder(StateFiles::in(stateFolder, StateFiles::skin)), m_shippedFolders(shippedFolders)
{
}

QImage SkinImages::painted(Part part, qreal dpr)
{
    switch (part) {
    case Part::Skin:
        return SkinArt::skin(dpr);
    case Part::Calendar:
        return SkinArt::calendar(dpr);
    case Part::Settings:
        return SkinArt::settingsPanel(dpr);
    case Part::Marker:
        return SkinArt::marker(dpr);
    }
    Q_UNREACHABLE();
}

QSize SkinImages::logicalSize(Part part)
{
    switch (part) {
    case Part::Skin:
        return SkinArt::skinSize;
    case Part::Calendar:
        return SkinArt::calendarSize;
    case Part::Settings:
        return SkinArt::settingsPanelSize;
    case Part::Marker:
        return SkinArt::markerSize;
    }
    Q_UNREACHABLE();
}

QString SkinImages::shippedName(Part part, int scale)
{
    return baseName(part) + (scale == 1 ? QString() : u"@%1x"_s.arg(scale)) + u".rgbx"_s;
}

QByteArray SkinImages::shippedHeader(Part part, int scale)
{
    constexpr quint32 fileFormat = 1;
    const QSize size = logicalSize(part) * scale;
    QByteArray header("artcal-skin\n");
    for (const quint32 value :
         {fileFormat, quint32(size.width()), quint32(size.height()), quint32(scale)}) {
        const quint32 little = qToLittleEndian(value);
        header.append(reinterpret_cast<const char*>(&little), sizeof little);
    }
    return header + QByteArray(ARTCAL_VERSION).leftJustified(16, '\0', true);
}

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
    QImage art = shipped(part, dpr);
    return art.isNull() ? painted(part, dpr) : art;
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

// The installed bitmap for exactly this scale; a file of another version, or cut short,
// is passed over.
QImage SkinImages::shipped(Part part, qreal dpr) const
{
    for (const int scale : shippedScales) {
        if (dpr != scale)
            continue;
        const QSize size = logicalSize(part) * scale;
        for (const QString& folder : m_shippedFolders) {
            QFile file(folder + u'/' + shippedName(part, scale));
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QByteArray header = shippedHeader(part, scale);
            QImage image(size, shippedFormat);
            if (file.size() != header.size() + image.sizeInBytes() ||
                file.read(header.size()) != header ||
                file.read(reinterpret_cast<char*>(image.bits()), image.sizeInBytes()) !=
                    image.sizeInBytes()) {
                qCWarning(lcSkin) << "Passing over" << file.fileName()
                                  << "- not this version's art, or cut short";
                continue;
            }
            image.convertTo(QImage::Format_RGB32); // in place; the form the window draws fastest
            image.setDevicePixelRatio(scale);
            return image;
        }
    }
    return {};
}
