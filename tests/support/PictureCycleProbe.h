// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "picture/PictureCycle.h"

// What tests and benchmarks look at inside the picture cycle.
struct PictureCycleProbe
{
    // Its tag is the countdown: the ticks left when it last counted.
    static TagTimer& refreshTimer(PictureCycle& cycle) { return cycle.m_refreshTimer; }
    static bool placeholderShown(const PictureCycle& cycle) { return cycle.m_placeholderShown; }
    // Set, a failed refresh is not tried again at once.
    static bool& downloadRetried(PictureCycle& cycle) { return cycle.m_downloadRetried; }
    static QString categoryQuery(const PictureCycle& cycle) { return cycle.m_categoryQuery; }
};
