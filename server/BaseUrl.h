// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <string_view>

namespace server {

// "http://host:port" for the absolute addresses in a picture record: the Host header
// the client used when it is a plain host name or address with an optional port, or
// else the local address the request arrived on. Anything odd in Host (spaces, paths,
// user info, quotes) is ignored, so a client cannot inject text into the record.
QString baseUrl(std::string_view hostHeader, std::string_view localAddress, int localPort);

} // namespace server
