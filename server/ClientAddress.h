// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace server {

// The address a request stands for. Behind the trusted proxy it is the last entry of
// X-Forwarded-For, the one that proxy added itself; entries before it are the client's
// own say and not believed. From anywhere else, and when the last entry is no address,
// it is the connection's peer.
std::string clientAddress(const std::string& peer,
                          const std::vector<std::string_view>& forwardedFor,
                          const std::string& trustedProxy);

} // namespace server
