// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/PictureAnswer.h"

#include "platform/HttpResult.h"

#include <QUrl>

namespace PictureAnswer {

QString fromTransfer(const platform::HttpResult& result, bool fetchable)
{
    if (!fetchable)
        return nothingOffered;
    QByteArray body = result.ok ? result.body : QByteArray();
    if (body.size() > answerBytes)
        body.truncate(body.lastIndexOf('\n', answerBytes)); // up to the last whole line
    return QString::fromUtf8(body).leftJustified(answerBytes, u' ');
}

PictureRecord parse(const QString& answer)
{
    QStringList pieces = answer.split(u'\n');
    for (QString& piece : pieces) {
        if (piece.endsWith(u'\r'))
            piece.chop(1);
    }
    return PictureRecord::fromLines(pieces);
}

QString categoryQuery(const QString& category)
{
    return QStringLiteral("?category=") +
           QString::fromLatin1(QUrl::toPercentEncoding(trimSpaces(category)));
}

} // namespace PictureAnswer
