#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>
#include <string>
#include <string_view>

namespace server {

// A client's random pick, carried in a cookie signed with the server's key: the record
// answers the client's own pick, whoever shares its address, and any server holding the
// same key can answer it.
namespace PickCookie {

inline constexpr std::string_view name = "artcal_pick";

struct Pick
{
    std::optional<quint64> id; // empty: the pick found no picture
};

// The Set-Cookie header's value for a pick.
std::string header(const Pick& pick, const QByteArray& key);
// The pick in a cookie's value, or nothing when the value is not one this key signed.
std::optional<Pick> read(std::string_view value, const QByteArray& key);

} // namespace PickCookie

} // namespace server
