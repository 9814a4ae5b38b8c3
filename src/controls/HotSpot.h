// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

// A caption-less, transparent control laid over a painted button of the skin. It draws
// nothing and turns a left click inside its rectangle into clicked(). Once named, it is
// a button for the keyboard and for assistive technology too (Pressable).
class HotSpot : public QWidget
{
    Q_OBJECT
public:
    HotSpot(QWidget* parent, const QRect& geometry);

    // What the button does, in a few words: its tooltip and its accessible name.
    void describe(const QString& what);
    // Its accessible name alone, where the tooltip says something else.
    void name(const QString& what);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
};
