// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Form1.h"

// What tests and benchmarks look at inside the window and its calendar.
struct Form1Probe
{
    static const Form1Controls& controls(const Form1& form) { return form; }
};

struct CalendarProbe
{
    static const QList<SkinLabel*>& dayLabels(const Calendar& calendar)
    {
        return calendar.m_dayLabels;
    }
    static const QList<QWidget*>& eventMarks(const Calendar& calendar)
    {
        return calendar.m_eventMarks;
    }
};
