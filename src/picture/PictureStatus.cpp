// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/PictureStatus.h"

#include "platform/WebAddress.h"

namespace {

// "Title — Creator (Date)", each part with its punctuation only when it is known.
QString caption(const PictureCredits& credits)
{
    QString text = credits.title;
    if (!text.isEmpty() && !credits.creator.isEmpty())
        text += QStringLiteral(" — ");
    text += credits.creator;
    if (!credits.date.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral(" ")) + u'(' + credits.date + u')';
    return text;
}

} // namespace

namespace PictureStatus {

QString text(const Facts& facts)
{
    QStringList lines;
    if (!facts.shown) {
        lines << QStringLiteral("No picture yet");
    } else {
        const PictureCredits& credits = facts.shown->credits;
        const QString licence = credits.licence.isEmpty() ? credits.licenceUrl : credits.licence;
        for (const QString& line : {caption(credits), licence}) {
            if (!line.isEmpty())
                lines << line;
        }
        if (!facts.shown->field4.isEmpty())
            lines << QStringLiteral("Category: %1").arg(facts.shown->field4);
        const QUrl page(facts.shown->pageUrl);
        const QUrl picture(facts.shown->pictureUrl);
        const QUrl& source = platform::isWebAddress(page) ? page : picture;
        if (platform::isWebAddress(source))
            lines << QStringLiteral("From %1").arg(platform::siteOf(source));
    }
    if (!facts.problem.isEmpty()) {
        lines << QString() << facts.problem;
        lines << (facts.nextTry.isValid()
                      ? QStringLiteral("Next try at %1.").arg(facts.nextTry.toString(u"HH:mm"))
                      : QStringLiteral("Click refresh to try again."));
    }
    if (!facts.notices.isEmpty())
        lines << QString() << facts.notices;
    if (facts.metered)
        lines << QString()
              << QStringLiteral("On a metered connection: new pictures come only when you "
                                "click refresh.");
    return lines.join(u'\n');
}

QString nothingOffered(const QString& site, const QString& category)
{
    if (category.isEmpty())
        return QStringLiteral("Picture server %1 has no picture to offer").arg(site);
    return QStringLiteral("Picture server %1 has no picture in %2").arg(site, category);
}

QString notReachable(const QString& site, const QString& error)
{
    return QStringLiteral("Picture server %1 not reachable: %2").arg(site, reason(error));
}

QString reason(QString error)
{
    // "Connection refused", but not "HTTP status 404".
    if (error.size() > 1 && error[1].isLower())
        error[0] = error[0].toLower();
    return error;
}

} // namespace PictureStatus
