// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QWidget>

// A control keeps its mouse presses (a press on it must not move the window), and with
// them Qt stops the request for a context menu. The window decides what such a request
// opens, so a control hands it on.
inline void passMenuToWindow(QWidget* control, QContextMenuEvent* event)
{
    QWidget* window = control->window();
    QContextMenuEvent passed(event->reason(), window->mapFromGlobal(event->globalPos()),
                             event->globalPos(), event->modifiers());
    QCoreApplication::sendEvent(window, &passed);
    event->setAccepted(passed.isAccepted());
}
