// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The picture server's addresses, each joined to its base address ("http://host:port",
// no trailing "/"); the base alone is its home page. "calender" is how the server
// spells it.
namespace ServerPaths {

inline const QString weather = QStringLiteral("/weather.htm");
inline const QString randomPick = QStringLiteral("/calender/queryrandompic.php");
inline const QString currentRecord = QStringLiteral("/calender/curpic.dat");
// The names of its categories, one a line (a server of another kind may not know it).
inline const QString categories = QStringLiteral("/calender/categories.dat");
// Followed by the saved pictures' ids, joined by ",".
inline const QString galleryPage =
    QStringLiteral("/calender/mygallery.php?category=mygallery&mygallery=");

} // namespace ServerPaths
