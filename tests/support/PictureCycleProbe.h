// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "picture/PictureCycle.h"

// What tests and benchmarks look at inside the picture cycle.
struct PictureCycleProbe
{
    // Its tag is the countdown: the ticks left when it last counted.
    static TagTimer& Timer2(PictureCycle& cycle) { return cycle.Timer2; }
    static bool DefaultPictureShown(const PictureCycle& cycle) { return cycle.DefaultPictureShown; }
    // Set, a failed refresh is not tried again at once.
    static bool& DownloadRetried(PictureCycle& cycle) { return cycle.DownloadRetried; }
    static QString CategoryQuery(const PictureCycle& cycle) { return cycle.CategoryQuery; }
};
