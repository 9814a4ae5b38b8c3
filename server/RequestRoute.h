// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QSize>
#include <QString>

#include <string_view>

namespace server {

// What a request target (path and query, as sent on the request line) asks for. Pure,
// so the mapping of untrusted input is testable and fuzzable on its own.
struct RequestRoute
{
    enum class Kind {
        Home,           // "/"
        Weather,        // "/weather.htm"
        RandomPick,     // "/calender/queryrandompic.php[?category=NAME]"
        CurrentRecord,  // "/calender/curpic.dat"
        Gallery,        // "/calender/mygallery.php?category=mygallery&mygallery=ID,ID,..."
        Categories,     // "/calender/categories.dat"
        PicturePage,    // "/picture/ID"
        PictureFile,    // "/pictures/ID.EXT"
        Thumbnail,      // "/thumbs/ID.jpg"
        GalleryTooLong, // a gallery page naming more than maxGalleryIds ids
        NotFound,
        BadRequest, // undecodable escapes, invalid UTF-8, control characters, "." or ".."
    };

    Kind kind = Kind::NotFound;
    QString category;   // RandomPick: decoded and trimmed; empty means all pictures
    QList<quint64> ids; // Gallery: the listed ids that parse; the picture routes: one id
    QString suffix;     // PictureFile: the extension asked for
    QSize shownSize;    // PictureFile: "?w=W&h=H", the size it is shown at; else empty

    // Gallery pages list at most this many pictures: with ids of up to 16 digits the
    // address stays within 85 KB, inside the server's 128 KiB per connection.
    static constexpr qsizetype maxGalleryIds = 5000;

    static RequestRoute fromTarget(std::string_view target);
};

} // namespace server
