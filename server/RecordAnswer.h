// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "state/PictureCredits.h"

#include <QByteArray>
#include <QString>

namespace server {

struct Picture;

// The body of "/calender/curpic.dat": page URL, picture URL, id and category, one per
// line, separated by LF, then a "Key: value" line for each credit known; "-1" when the
// client has no current picture. A widget reads the first 1000 bytes of it and splits
// them at LF, so the four lines always fit in them, and line breaks inside a category
// name become spaces rather than shifting the fields.
QByteArray recordAnswer(const QString& baseUrl, const Picture* picture,
                        const PictureCredits& credits = {});

} // namespace server
