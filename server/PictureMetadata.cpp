// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureMetadata.h"

#include "ServerLog.h"

#include <QFile>
#include <QStringDecoder>
#include <QtEndian>

#include <exiv2/exiv2.hpp>

#include <cstdlib>
#include <mutex>

using namespace Qt::StringLiterals;

namespace server::PictureMetadata {

namespace {

// A PNG text chunk past this size is not handed to exiv2: an XMP packet of megabytes
// takes seconds to parse. A JPEG segment holds at most 64 KiB anyway.
constexpr quint32 maxPngTextChunk = 256 * 1024;

std::recursive_mutex xmpToolkitMutex;

void lockXmpToolkit(void*, bool lock)
{
    if (lock)
        xmpToolkitMutex.lock();
    else
        xmpToolkitMutex.unlock();
}

// exiv2's warnings while this thread reads a file, for the one line that reports it.
thread_local QStringList* warningsOfThisRead = nullptr;

void takeExivMessage(int, const char* message)
{
    const QString text = QString::fromUtf8(message).trimmed();
    if (warningsOfThisRead)
        warningsOfThisRead->append(text);
    else
        qCWarning(lcServer).noquote() << "exiv2:" << text;
}

// The XMP toolkit keeps global state: it is set up once, before any thread reads, with
// a lock for its calls; the Creative Commons namespace is not known to it by default.
void initializeExiv()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::warn);
        Exiv2::LogMsg::setHandler(takeExivMessage);
        Exiv2::XmpParser::initialize(lockXmpToolkit, nullptr);
        Exiv2::XmpProperties::registerNs("http://creativecommons.org/ns#", "cc");
        // Frees what the toolkit and the namespace hold, once no thread reads any more.
        std::atexit([] { Exiv2::XmpParser::terminate(); });
    });
}

// Only JPEG and PNG files reach exiv2, and a PNG only when its text chunks are small;
// exiv2 would read any of the many formats it knows, whatever the file's name.
bool isReadable(const QString& path, QString* problem)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = file.errorString();
        return false;
    }
    const QByteArray start = file.read(8);
    if (start.startsWith("\xFF\xD8\xFF"))
        return true;
    if (start != "\x89PNG\r\n\x1A\n") {
        *problem = u"neither JPEG nor PNG"_s;
        return false;
    }
    for (QByteArray chunk = file.read(8); chunk.size() == 8; chunk = file.read(8)) {
        const quint32 length = qFromBigEndian<quint32>(chunk.constData());
        const QByteArray type = chunk.mid(4);
        if (type == "IEND")
            break;
        if ((type == "tEXt" || type == "zTXt" || type == "iTXt") && length > maxPngTextChunk) {
            *problem = u"a text chunk of %1 bytes"_s.arg(length);
            return false;
        }
        if (!file.seek(file.pos() + length + 4)) // the data and its CRC
            break;
    }
    return true;
}

QString fromUtf8OrLatin1(const std::string& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return utf8.hasError() ? QString::fromLatin1(bytes.data(), qsizetype(bytes.size())) : text;
}

// A lang-alt gives its default language, else its first; a list its items joined.
QString xmpText(const Exiv2::Value& value)
{
    if (const auto* langAlt = dynamic_cast<const Exiv2::LangAltValue*>(&value)) {
        const auto preferred = langAlt->value_.find("x-default");
        const auto entry = preferred != langAlt->value_.end() ? preferred : langAlt->value_.begin();
        return entry == langAlt->value_.end() ? QString() : QString::fromStdString(entry->second);
    }
    if (const auto* list = dynamic_cast<const Exiv2::XmpArrayValue*>(&value)) {
        QStringList items;
        for (long i = 0; i < list->count(); ++i)
            items.append(QString::fromStdString(list->toString(i)));
        return items.join(u"; "_s);
    }
    return QString::fromStdString(value.toString());
}

// IPTC text is Latin-1 unless the envelope names UTF-8 (ISO 2022's "ESC % G").
QString iptcText(const Exiv2::IptcData& iptc, const std::string& key)
{
    const auto charset = iptc.findKey(Exiv2::IptcKey("Iptc.Envelope.CharacterSet"));
    const bool utf8 = charset != iptc.end() && charset->toString() == "\x1B%G";
    QStringList values;
    for (const Exiv2::Iptcdatum& datum : iptc) {
        if (datum.key() != key)
            continue;
        const std::string bytes = datum.toString();
        values.append(utf8 ? QString::fromStdString(bytes)
                           : QString::fromLatin1(bytes.data(), qsizetype(bytes.size())));
    }
    return values.join(u"; "_s);
}

QString valueOf(const Exiv2::Image& image, const std::string& key)
{
    if (key.starts_with("Xmp.")) {
        const auto datum = image.xmpData().findKey(Exiv2::XmpKey(key));
        return datum == image.xmpData().end() ? QString() : xmpText(datum->value());
    }
    if (key.starts_with("Iptc."))
        return iptcText(image.iptcData(), key);
    // EXIF's text is ASCII by the standard and UTF-8 or Latin-1 in the wild.
    const auto datum = image.exifData().findKey(Exiv2::ExifKey(key));
    return datum == image.exifData().end() ? QString() : fromUtf8OrLatin1(datum->toString());
}

} // namespace

MetadataText read(const QString& path, QString* problem)
{
    initializeExiv();
    MetadataText text;
    if (!isReadable(path, problem))
        return text;
    QStringList warnings;
    warningsOfThisRead = &warnings;
    try {
        const Exiv2::Image::AutoPtr image =
            Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
        image->readMetadata();
        for (const QString& key : CreditSources::metadataKeys()) {
            const QString value = valueOf(*image, key.toStdString());
            if (!value.isEmpty())
                text.insert(key, value);
        }
    } catch (const Exiv2::AnyError& error) {
        *problem = QString::fromStdString(error.what());
    } catch (const std::exception& error) {
        *problem = QString::fromUtf8(error.what());
    }
    warningsOfThisRead = nullptr;
    if (!problem->isEmpty())
        warnings.prepend(*problem);
    *problem = warnings.join(u"; "_s);
    return text;
}

} // namespace server::PictureMetadata
