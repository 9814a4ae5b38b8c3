// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "state/PictureCredits.h"

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QString>

#include <optional>

namespace server {

// Text values of a picture file's metadata, by exiv2 key ("Xmp.dc.title", ...), decoded
// already: one language of a lang-alt, the items of a list joined with "; ".
using MetadataText = QHash<QString, QString>;

// The credits of one picture, each field from the first of its sources that says
// something: the sidecar's key first, then the file's metadata, XMP before IPTC before
// EXIF, then what the server knows of the picture itself. Pure, so outside input is testable and
// fuzzable without files.
namespace CreditSources {

// A sidecar is a small JSON object; anything else is ignored.
inline constexpr qsizetype maxSidecarBytes = 64 * 1024;

// The sidecar's object, or nothing with the reason in `problem`.
std::optional<QJsonObject> sidecarObject(const QByteArray& bytes, QString* problem);

// "CC BY-SA 4.0" for a Creative Commons licence address, "CC0 1.0" for the public
// domain dedication, "Public Domain Mark 1.0"; empty for any other text.
QString creativeCommonsName(QStringView url);

// The exiv2 keys `merged` looks at.
QStringList metadataKeys();

// The sidecar that gives `credits`, for a program that writes one (the importer).
QJsonObject sidecarOf(const PictureCredits& credits);

PictureCredits merged(const QJsonObject& sidecar, const MetadataText& metadata,
                      const PictureCredits& known = {});

} // namespace CreditSources

} // namespace server
