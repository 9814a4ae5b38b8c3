// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <functional>

// A picture box: a container control that fills itself with a colour and draws its
// bitmap unscaled at its top-left corner. The bitmap is asked for at the screen's
// device-pixel ratio, so it stays sharp on high-density screens.
class PictureBox : public QWidget
{
    Q_OBJECT
public:
    using Bitmap = std::function<QImage(qreal devicePixelRatio)>;

    PictureBox(QWidget* parent, const QRect& geometry, const QColor& background,
               Bitmap bitmap = {});

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QColor m_background;
    Bitmap m_bitmap;
};
