// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace server {

struct Picture;

// The body of "/calender/curpic.dat": page URL, picture URL, id and category, one per
// line, separated by LF; "-1" when the client has no current picture. The widget reads
// at most 1000 bytes and splits at LF, so line breaks inside a category name become
// spaces rather than shifting the fields.
QByteArray recordAnswer(const QString& baseUrl, const Picture* picture);

} // namespace server
