// SPDX-License-Identifier: GPL-3.0-or-later
#include "PickCookie.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>

#include <algorithm>

namespace server::PickCookie {

namespace {

// Ids are 53 bits: at most 16 digits.
constexpr size_t maxIdDigits = 16;
// "-1" and the recent ids, joined by ':'.
constexpr size_t maxPickText = 2 + maxRecent * (1 + maxIdDigits);

QByteArray signature(const QByteArray& pickText, const QByteArray& key)
{
    return QMessageAuthenticationCode::hash("artcal pick " + pickText, key,
                                            QCryptographicHash::Sha256)
        .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

// The current id ("-1" for none) and the others of the recent ids after it: "7:12:3".
// A pick alone reads as cookies did before they carried the recent ids.
QByteArray pickText(const Pick& pick)
{
    QByteArray text = pick.id ? QByteArray::number(*pick.id) : QByteArrayLiteral("-1");
    for (const quint64 id : pick.recent) {
        if (id != pick.id)
            text += ':' + QByteArray::number(id);
    }
    return text;
}

std::optional<quint64> idOf(std::string_view digits)
{
    if (digits.empty() || digits.size() > maxIdDigits)
        return std::nullopt;
    quint64 id = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        id = id * 10 + quint64(c - '0');
    }
    return id;
}

bool equalInConstantTime(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

} // namespace

Pick Pick::after(std::optional<quint64> picked) const
{
    if (!picked)
        return {std::nullopt, recent};
    Pick next{picked, {*picked}};
    for (const quint64 id : recent) {
        if (id != *picked && next.recent.size() < maxRecent)
            next.recent.push_back(id);
    }
    return next;
}

std::string header(const Pick& pick, const QByteArray& key)
{
    const QByteArray text = pickText(pick);
    // A session cookie: the widget keeps it in memory for its run.
    return std::string(name) + '=' + text.toStdString() + '.' + signature(text, key).toStdString() +
           "; Path=/calender; HttpOnly; SameSite=Lax";
}

std::optional<Pick> read(std::string_view value, const QByteArray& key)
{
    const size_t dot = value.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot > maxPickText)
        return std::nullopt;
    const QByteArray text(value.data(), qsizetype(dot));
    const QByteArray signed_(value.data() + dot + 1, qsizetype(value.size() - dot - 1));
    if (!equalInConstantTime(signed_, signature(text, key)))
        return std::nullopt;
    // Signed here, yet read as strictly as any outside input.
    Pick pick;
    std::string_view rest(value.substr(0, dot));
    for (bool first = true; first || !rest.empty(); first = false) {
        const size_t colon = rest.find(':');
        const std::string_view field = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        if (colon != std::string_view::npos && rest.empty())
            return std::nullopt; // a trailing ':'
        if (first && field == "-1")
            continue;
        const std::optional<quint64> id = idOf(field);
        if (!id || pick.recent.size() == maxRecent ||
            std::find(pick.recent.begin(), pick.recent.end(), *id) != pick.recent.end())
            return std::nullopt;
        if (first)
            pick.id = id;
        pick.recent.push_back(*id);
    }
    return pick;
}

} // namespace server::PickCookie
