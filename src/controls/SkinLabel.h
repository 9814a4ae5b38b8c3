// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

// A label of the window: a caption, or an opaque cover that hides a painted word until
// it is hidden itself. It keeps a free text tag and takes its own mouse presses.
class SkinLabel : public QLabel
{
    Q_OBJECT
public:
    SkinLabel(QWidget* parent, const QRect& geometry, const QString& text = {});

    // Fills the label with `colour`, hiding what is painted under it.
    void setOpaque(const QColor& colour);
    void setTextColour(const QColor& colour);

    QString tag() const { return m_tag; }
    void setTag(const QString& tag) { m_tag = tag; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QString m_tag;
};
