// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "state/PictureRecord.h"

#include <QDateTime>
#include <QString>

#include <optional>

// What the picture's tooltip says: what the picture is and on what terms it is shown,
// where it came from and, while refreshes bring none, why and when the next try is due.
// Plain text, no dialog: credits come from the picture's metadata and may hold anything.
namespace PictureStatus {

struct Facts
{
    std::optional<PictureRecord> shown; // none while the placeholder shows
    QString problem;                    // why the last refresh brought no picture
    QDateTime nextTry;                  // invalid when only a click fetches
    bool metered = false;               // timed refreshes wait for another connection
    QStringList notices;                // what the widget changed or passed over, a line each
};

QString text(const Facts& facts);

// "Picture server SITE has no picture in CATEGORY", or "... to offer" for any category.
QString nothingOffered(const QString& site, const QString& category);
// "Picture server SITE not reachable: " and the transfer's error.
QString notReachable(const QString& site, const QString& error);
// A transfer's error as it reads after a colon: Qt's texts start in capitals.
QString reason(QString error);

} // namespace PictureStatus
