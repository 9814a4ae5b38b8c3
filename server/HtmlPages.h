// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace server {

class Library;
struct Picture;

// The server's HTML5 pages, UTF-8, with inline CSS. Every name that comes from the
// library (categories, file names) goes through htmlEscape.
namespace HtmlPages {

// Escapes & < > " and ', so text is safe in element content and in quoted attributes.
QString htmlEscape(QStringView text);

QByteArray home(const Library& library);
QByteArray picture(const Picture& picture);
QByteArray gallery(const QList<const Picture*>& pictures);
QByteArray weather();
// The random-pick answer: the widget ignores it; a person who opens it sees the pick.
QByteArray randomPick(const Picture* picked, const QString& category);
QByteArray error(int status, const QString& message);

} // namespace HtmlPages

} // namespace server
