#include "PickCookie.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>

namespace server::PickCookie {

namespace {

QByteArray signature(const QByteArray& idText, const QByteArray& key)
{
    return QMessageAuthenticationCode::hash("artcal pick " + idText, key,
                                            QCryptographicHash::Sha256)
        .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

QByteArray idText(const Pick& pick)
{
    return pick.id ? QByteArray::number(*pick.id) : QByteArrayLiteral("-1");
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

std::string header(const Pick& pick, const QByteArray& key)
{
    const QByteArray id = idText(pick);
    // A session cookie: the widget keeps it in memory from the pick to the record.
    return std::string(name) + '=' + id.toStdString() + '.' + signature(id, key).toStdString() +
           "; Path=/calender; HttpOnly; SameSite=Lax";
}

std::optional<Pick> read(std::string_view value, const QByteArray& key)
{
    const size_t dot = value.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot > 16)
        return std::nullopt;
    const QByteArray id(value.data(), qsizetype(dot));
    const QByteArray signed_(value.data() + dot + 1, qsizetype(value.size() - dot - 1));
    if (!equalInConstantTime(signed_, signature(id, key)))
        return std::nullopt;
    if (id == "-1")
        return Pick{};
    bool ok = false;
    const quint64 number = id.toULongLong(&ok);
    return ok ? std::optional(Pick{number}) : std::nullopt;
}

} // namespace server::PickCookie
