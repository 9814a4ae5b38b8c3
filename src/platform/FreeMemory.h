// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace platform {

// Gives the heap's free pages back to the system after a burst of work that is over
// (the window's making, a calendar's parse): glibc keeps them otherwise, and a widget
// at rest would carry them resident for the rest of its run.
inline void giveBackFreeMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace platform
