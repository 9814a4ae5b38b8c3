// SPDX-License-Identifier: GPL-3.0-or-later
#include "Fetcher.h"

#include <QEventLoop>
#include <QNetworkReply>
#include <QThread>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace server::import {

namespace {

constexpr int maxRedirects = 5;

bool isWebAddress(const QUrl& url)
{
    return url.scheme() == u"http" || url.scheme() == u"https";
}

} // namespace

Fetcher::Fetcher(const Options& options) : m_options(options)
{
    m_network.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

void Fetcher::waitForTurn(const QString& host)
{
    const auto it = m_lastRequest.constFind(host);
    if (it == m_lastRequest.cend())
        return;
    const qint64 left = m_options.pause.count() - it->elapsed();
    if (left > 0)
        QThread::msleep(quint64(left));
}

Fetcher::Reply Fetcher::get(const QUrl& url, QIODevice& sink, qint64 maxBytes,
                            const Validators& validators)
{
    std::chrono::seconds retryAfter{-1};
    Reply reply = getOnce(url, sink, maxBytes, validators, &retryAfter);
    if (reply.ok || retryAfter.count() < 0)
        return reply;
    if (retryAfter > m_options.longestRetryAfter) {
        reply.problem += u", and asks to wait %1 s"_s.arg(retryAfter.count());
        reply.busy = true;
        return reply;
    }
    QThread::sleep(quint64(retryAfter.count()));
    return getOnce(url, sink, maxBytes, validators, nullptr);
}

// Follows redirects itself: each hop is checked, paused for like any request, and counted.
Fetcher::Reply Fetcher::getOnce(const QUrl& url, QIODevice& sink, qint64 maxBytes,
                                const Validators& validators, std::chrono::seconds* retryAfter)
{
    QUrl target = url;
    for (int hop = 0;; ++hop) {
        Reply result;
        if (!isWebAddress(target)) {
            result.problem = u"redirected to an address that is not http or https"_s;
            return result;
        }
        const Exchange exchange = exchangeOnce(target, sink, maxBytes, validators);
        result.url = target;
        result.validators = exchange.validators;
        if (!exchange.problem.isEmpty()) {
            result.problem = exchange.problem;
        } else if (exchange.status == 304 &&
                   (!validators.etag.isEmpty() || !validators.lastModified.isEmpty())) {
            result.ok = result.notModified = true;
            result.validators = validators;
        } else if (exchange.status >= 300 && exchange.status < 400 &&
                   !exchange.location.isEmpty()) {
            if (hop == maxRedirects) {
                result.problem = u"more than %1 redirects"_s.arg(maxRedirects);
                return result;
            }
            target = target.resolved(QUrl::fromEncoded(exchange.location));
            continue;
        } else if (exchange.status < 200 || exchange.status >= 300) {
            result.problem = u"HTTP status %1"_s.arg(exchange.status);
            result.busy = exchange.status == 429 || exchange.status == 503;
            bool ok = false;
            const int seconds = exchange.retryAfter.trimmed().toInt(&ok);
            if (result.busy && retryAfter && ok && seconds >= 0)
                *retryAfter = std::chrono::seconds(seconds);
        } else {
            result.ok = true;
        }
        return result;
    }
}

Fetcher::Exchange Fetcher::exchangeOnce(const QUrl& url, QIODevice& sink, qint64 maxBytes,
                                        const Validators& validators)
{
    waitForTurn(url.host());
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QByteArrayLiteral("artcal-server/" ARTCAL_VERSION));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(int(m_options.timeout.count()));
    if (!validators.etag.isEmpty())
        request.setRawHeader("If-None-Match", validators.etag);
    if (!validators.lastModified.isEmpty())
        request.setRawHeader("If-Modified-Since", validators.lastModified);

    QNetworkReply* reply = m_network.get(request);
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    qint64 received = 0;
    bool tooLarge = false;
    bool timedOut = false;
    // Only a success's body is kept: an error page is no picture.
    const auto drain = [&] {
        if (!reply->isOpen())
            return;
        const int code = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QByteArray bytes = reply->readAll();
        if (code < 200 || code >= 300 || tooLarge)
            return;
        received += bytes.size();
        if (received > maxBytes) {
            tooLarge = true;
            reply->abort();
        } else if (sink.write(bytes) != bytes.size()) {
            reply->abort();
        }
    };
    QObject::connect(reply, &QNetworkReply::readyRead, reply, drain);
    QObject::connect(&deadline, &QTimer::timeout, reply, [&] {
        timedOut = true;
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    deadline.start(m_options.timeout);
    loop.exec();
    drain();
    m_lastRequest[url.host()].start();
    reply->disconnect();
    reply->deleteLater();

    Exchange exchange;
    exchange.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    exchange.location = reply->rawHeader("Location");
    exchange.retryAfter = reply->rawHeader("Retry-After");
    exchange.validators = {reply->rawHeader("ETag"), reply->rawHeader("Last-Modified")};
    if (tooLarge)
        exchange.problem = u"larger than %1 bytes"_s.arg(maxBytes);
    else if (timedOut)
        exchange.problem = u"no answer within %1 s"_s.arg(m_options.timeout.count() / 1000);
    else if (reply->error() != QNetworkReply::NoError && exchange.status == 0)
        exchange.problem = reply->errorString();
    return exchange;
}

} // namespace server::import
