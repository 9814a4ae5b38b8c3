// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClientAddress.h"

#include <QHostAddress>

namespace server {

std::string clientAddress(const std::string& peer,
                          const std::vector<std::string_view>& forwardedFor,
                          const std::string& trustedProxy)
{
    if (trustedProxy.empty() || forwardedFor.empty() ||
        !QHostAddress(QString::fromStdString(peer))
             .isEqual(QHostAddress(QString::fromStdString(trustedProxy)),
                      QHostAddress::TolerantConversion))
        return peer;
    const std::string_view header = forwardedFor.back();
    const size_t comma = header.rfind(',');
    const QString last =
        QString::fromUtf8(header.substr(comma == std::string_view::npos ? 0 : comma + 1)).trimmed();
    const QHostAddress address(last);
    return address.isNull() ? peer : address.toString().toStdString();
}

} // namespace server
