// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "state/PictureCredits.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

namespace server {

class Library;
struct Picture;

// The server's HTML5 pages, UTF-8, with inline CSS. Every name that comes from the
// library (categories, file names, credits) goes through htmlEscape, and only http and
// https addresses become links.
namespace HtmlPages {

// A picture's credits, read when a page shows the picture.
using CreditsOf = std::function<PictureCredits(const Picture&)>;

// Escapes & < > " and ', so text is safe in element content and in quoted attributes.
QString htmlEscape(QStringView text);

QByteArray home(const Library& library, const CreditsOf& creditsOf);
QByteArray picture(const Picture& picture, const PictureCredits& credits);
QByteArray gallery(const QList<const Picture*>& pictures, const CreditsOf& creditsOf);
QByteArray weather();
// The random-pick answer: the widget ignores it; a person who opens it sees the pick.
QByteArray randomPick(const Picture* picked, const QString& category, const CreditsOf& creditsOf);
QByteArray error(int status, const QString& message);

} // namespace HtmlPages

} // namespace server
