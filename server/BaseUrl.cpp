// SPDX-License-Identifier: GPL-3.0-or-later
#include "BaseUrl.h"

#include <QUrl>

#include <algorithm>
#include <cctype>

namespace server {

namespace {

bool isValidPort(std::string_view port)
{
    return !port.empty() && port.size() <= 5 &&
           std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool isValidHost(std::string_view host)
{
    if (host.empty() || host.size() > 255)
        return false;
    std::string_view name = host;
    std::string_view port;
    if (host.front() == '[') {
        const size_t close = host.find(']');
        if (close == std::string_view::npos)
            return false;
        const std::string_view address = host.substr(1, close - 1);
        if (address.empty() || !std::all_of(address.begin(), address.end(), [](char c) {
                return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
            }))
            return false;
        const std::string_view rest = host.substr(close + 1);
        if (rest.empty())
            return true;
        return rest.front() == ':' && isValidPort(rest.substr(1));
    }
    if (const size_t colon = host.find(':'); colon != std::string_view::npos) {
        name = host.substr(0, colon);
        port = host.substr(colon + 1);
        if (!isValidPort(port))
            return false;
    }
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-';
    });
}

} // namespace

QString baseUrl(std::string_view hostHeader, std::string_view localAddress, int localPort)
{
    if (isValidHost(hostHeader)) {
        const QString url = QStringLiteral("http://") + QString::fromLatin1(hostHeader);
        // The widget reads the record's addresses with QUrl: a host it refuses (an
        // empty label, a malformed IPv6 literal, a port past 65535) is odd too.
        if (QUrl(url, QUrl::StrictMode).isValid())
            return url;
    }
    const QString address = QString::fromLatin1(localAddress);
    const QString host = address.contains(u':') ? u'[' + address + u']' : address;
    return QStringLiteral("http://") + host + u':' + QString::number(localPort);
}

} // namespace server
