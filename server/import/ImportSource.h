// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "state/PictureCredits.h"

#include <QString>
#include <QUrl>

namespace server::import {

// One section of sources.conf: where pictures come from and which category they fill.
struct Source
{
    enum class Kind { Artic, Met, CommonsPotd, Feed };

    QString name; // the section's name, as log lines and the state file name it
    Kind kind = Kind::Feed;
    QString category;
    QUrl base; // the API's base address, or the feed's address
    QString query;
    int perRun = 5;
    int keep = 200;
    bool enabled = true;
};

// One picture a source offers: its own id, where its image is, and its credits.
struct Candidate
{
    QString id;
    QUrl image;
    PictureCredits credits;
};

} // namespace server::import
