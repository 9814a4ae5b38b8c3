// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>

#include <functional>

class QImageReader;

// Reads a picture file only when it is whole: a JPEG, PNG, GIF or BMP that reaches the
// end its structure announces (see ImageStructure), and whose decoding reports nothing.
// Qt's decoders paint over damage and only log it (libjpeg's "Corrupt JPEG data" and
// "premature end" warnings), so everything logged on the decoding thread while it
// decodes counts as damage, but for libpng's warnings: those are about a PNG's side
// data, and libpng fails on damaged pixels. Any thread may read.
//
// The first read installs a message handler for this, which passes on every other
// message; a handler installed later must pass messages on to the one it replaces.
// Qt's image categories ("qt.gui.imageio...") stay enabled whatever the logging rules
// say, so that no rule hides damage; outside a decode their messages go on only where
// the rules let them.
namespace platform::WholeImage {

struct Result
{
    QImage image;    // null when there is no whole picture ...
    QString problem; // ... and then why, in a few words
};

// Reads the picture at `path`. `prepare`, when given, sets up the reader before it
// decodes: a scaled size (big pictures are decoded straight to a small size), the
// transforms. Anything but a plain file (a pipe would block) is refused unread.
Result read(const QString& path, const std::function<void(QImageReader&)>& prepare = {});

} // namespace platform::WholeImage
