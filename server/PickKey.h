// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace server {

// The key that signs picks, in a file every instance behind one proxy shares. Made at
// the first start when the file does not exist: 32 random bytes, written as hex to a
// private temporary file and linked into place, so two servers starting at once end
// up with the same key and none ever reads a half-written one.
struct PickKey
{
    QByteArray key;  // empty when it could not be had
    QString problem; // why, or a warning about a key that others can read

    static PickKey loadOrCreate(const QString& path);
};

} // namespace server
