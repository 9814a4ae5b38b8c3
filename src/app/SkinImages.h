#pragma once

#include <QImage>
#include <QString>

#include <map>
#include <utility>

// The bitmaps the window is dressed in. A user's replacement in the state folder's
// skin/ folder (skin.png, calendar.jpg, settings@2x.png, ...: any format Qt reads)
// wins over the painted one; an "@2x" file is preferred on high-DPI screens. Each
// bitmap is made once per device-pixel ratio, so a repaint costs nothing.
class SkinImages
{
public:
    enum class Part { Skin, Calendar, Settings, Marker };

    explicit SkinImages(const QString& stateFolder);

    QImage image(Part part, qreal dpr) const;

private:
    QImage load(Part part, qreal dpr) const;
    QImage replacement(const QString& baseName) const;

    QString m_skinFolder;
    mutable std::map<std::pair<Part, qreal>, QImage> m_cache;
};
