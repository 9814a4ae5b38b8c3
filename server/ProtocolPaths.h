// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLatin1StringView>

// The paths the server answers and links to. The widget asks for the first six by name
// and follows the record to the picture's page and file, so none of them may change;
// "calender" is the widget's spelling.
namespace server::paths {

inline constexpr QLatin1StringView home("/");
inline constexpr QLatin1StringView weather("/weather.htm");
inline constexpr QLatin1StringView randomPick("/calender/queryrandompic.php");
inline constexpr QLatin1StringView currentRecord("/calender/curpic.dat");
inline constexpr QLatin1StringView gallery("/calender/mygallery.php");
inline constexpr QLatin1StringView categories("/calender/categories.dat");
// Folders: the picture's id follows, and for the two files an extension.
inline constexpr QLatin1StringView picturePage("/picture/");
inline constexpr QLatin1StringView pictureFile("/pictures/");
inline constexpr QLatin1StringView thumbnail("/thumbs/");

} // namespace server::paths
