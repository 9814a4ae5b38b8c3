// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace server {

// A client's random pick, carried in a cookie signed with the server's key: the record
// answers the client's own pick, whoever shares its address, and any server holding the
// same key can answer it. The cookie also carries the client's last few pictures, which
// its next pick avoids, whichever server makes it.
namespace PickCookie {

inline constexpr std::string_view name = "artcal_pick";
// Pictures a client is not given again, counting its current one.
inline constexpr size_t maxRecent = 5;

struct Pick
{
    std::optional<quint64> id; // empty: the pick found no picture
    // The pictures last picked, the latest first, each once, at most maxRecent; the
    // current one, if any, first.
    std::vector<quint64> recent = {};

    // The memory after a pick of `picked` (empty: it found nothing).
    Pick after(std::optional<quint64> picked) const;
};

// The Set-Cookie header's value for a pick.
std::string header(const Pick& pick, const QByteArray& key);
// The pick in a cookie's value, or nothing when the value is not one this key signed.
std::optional<Pick> read(std::string_view value, const QByteArray& key);

} // namespace PickCookie

} // namespace server
