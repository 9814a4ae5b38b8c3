// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "state/PictureRecord.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

// What the picture cycle needs of the window: the choices it reads and the few things
// it shows. The window implements it; tests record the calls.
class PictureView
{
public:
    // The box over "Add to My Gallery": hidden; a blank cover while the placeholder is
    // shown (it cannot be saved) or pictures come from My Gallery; once a picture has
    // been installed, the words "My Gallery" while they come from there.
    enum class Badge { Hidden, Cover, MyGallery };

    // The two choices of the settings panel as they stand: the index of the interval
    // among `intervals` items (the last is manual), and of the source (0 all, 1 My
    // Gallery, then the categories) with its caption.
    struct Choices
    {
        static constexpr int myGallery = 1;

        int interval = -1;
        int intervals = 0;
        int source = -1;
        QString category;
    };

    virtual ~PictureView() = default;

    virtual Choices choices() const = 0;
    // The size, in device pixels, the picture is shown at.
    virtual QSize pictureSize() const = 0;

    // The busy label; showing it also covers "Image Added".
    virtual void showBusy(bool busy) = 0;
    // How far a long download has come, 0 to 1; negative for no bar.
    virtual void showProgress(qreal fraction) = 0;
    // A picture without a record links to no page.
    virtual void showPicture(const QImage& picture, const std::optional<PictureRecord>& record) = 0;
    virtual void setBadge(Badge badge) = 0;
    virtual void enableRefresh(bool enabled) = 0;
    // What the picture is and, while refreshes fail, why: the picture's tooltip.
    virtual void showStatus(const QString& text) = 0;
};
