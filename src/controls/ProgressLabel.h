// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls/SkinLabel.h"

// The busy label: its caption, and a thin bar along its bottom edge that shows how
// far a long transfer has come.
class ProgressLabel : public SkinLabel
{
    Q_OBJECT
public:
    using SkinLabel::SkinLabel;

    // A fraction from 0 to 1, or a negative value for no bar.
    void setProgress(qreal fraction);
    qreal progress() const { return m_progress; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_progress = -1;
};
