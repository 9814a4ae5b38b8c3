// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QIcon>
#include <QImage>

// The application's icon, one drawing: painted at build time into the icon theme the
// package installs, and at run time where no theme holds it.
namespace AppIcon {

QImage paint(int size);
QByteArray svg();
// "artcal" from the icon theme, else the drawing itself.
QIcon icon();

} // namespace AppIcon
