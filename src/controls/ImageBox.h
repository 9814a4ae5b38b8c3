// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls/HotSpot.h"

#include <QImage>

// An image control: shows its picture stretched to its own size and keeps a text tag.
class ImageBox : public HotSpot
{
    Q_OBJECT
public:
    ImageBox(QWidget* parent, const QRect& geometry);

    const QImage& picture() const { return m_picture; }
    void setPicture(const QImage& picture);

    QString tag() const { return m_tag; }
    void setTag(const QString& tag) { m_tag = tag; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
    QString m_tag;
};
