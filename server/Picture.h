// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

namespace server {

// One picture file of the library: `<root>/<category>/<file>.jpg|png`.
struct Picture
{
    quint64 id = 0;
    QString category;
    QString relativePath; // "<category>/<file>", '/'-separated
    QString absolutePath; // canonical, inside the library root
    QString suffix;       // served extension: "jpg" or "png"

    // The file name without its extension, as people name their pictures.
    QString title() const;
    QByteArray mimeType() const;
    // "<id>.<suffix>": unique across the library, since ids are.
    QString fileName() const { return QString::number(id) + u'.' + suffix; }
};

} // namespace server
