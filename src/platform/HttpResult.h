// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

namespace platform {

// The outcome of one HTTP transfer, delivered once.
struct HttpResult
{
    // For a text read or a page: a whole answer arrived, whatever its status. For a
    // download: a 2xx answer arrived whole and was written.
    bool ok = false;
    int status = 0;                                     // the HTTP status, 0 when no answer came
    QByteArray body;                                    // text reads only
    QString error;                                      // why it failed; empty when ok
    QUrl url;                                           // the address reached, after redirects
    QList<std::pair<QByteArray, QByteArray>> headers{}; // the answer's, as they came

    // The value of the answer's header `name` (any case), or empty.
    QByteArray header(const QByteArray& name) const
    {
        for (const auto& [key, value] : headers) {
            if (key.compare(name, Qt::CaseInsensitive) == 0)
                return value;
        }
        return {};
    }
};

} // namespace platform
