// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QNetworkAccessManager>
#include <QString>
#include <QUrl>

#include <chrono>

class QIODevice;

namespace server::import {

// The importer's HTTP client, with the manners public servers ask for: it names itself,
// asks one host at a time with a pause between requests, waits as a busy server asks
// (up to a minute), gives up on a request after a while, reads no more than it was told
// and follows redirects to http and https only. Each request runs to its end before
// get() returns: the importer has nothing else to do meanwhile.
class Fetcher
{
public:
    struct Options
    {
        std::chrono::milliseconds pause{1000}; // between two requests to one host
        std::chrono::milliseconds timeout{20000};
        std::chrono::seconds longestRetryAfter{60};
    };

    // An answer's validators, sent back so that an unchanged answer costs nothing.
    struct Validators
    {
        QByteArray etag;
        QByteArray lastModified;
    };

    struct Reply
    {
        bool ok = false;          // a whole 2xx answer, or 304 when `notModified`
        bool notModified = false; // the validators matched
        bool busy = false;        // the server asked us to come back later
        QString problem;          // why not ok, in a few words
        Validators validators;
        QUrl url; // where the answer came from, after redirects
    };

    explicit Fetcher(const Options& options);

    // Fetches `url` into `sink`, at most `maxBytes` of body.
    Reply get(const QUrl& url, QIODevice& sink, qint64 maxBytes, const Validators& validators = {});

private:
    // One request and its answer, redirects not followed.
    struct Exchange
    {
        int status = 0;
        QByteArray location;
        QByteArray retryAfter;
        Validators validators;
        QString problem; // no HTTP answer, or one too large
    };

    Exchange exchangeOnce(const QUrl& url, QIODevice& sink, qint64 maxBytes,
                          const Validators& validators);
    Reply getOnce(const QUrl& url, QIODevice& sink, qint64 maxBytes, const Validators& validators,
                  std::chrono::seconds* retryAfter);
    void waitForTurn(const QString& host);

    Options m_options;
    QNetworkAccessManager m_network;
    QHash<QString, QElapsedTimer> m_lastRequest; // by host: when its last request ended
};

} // namespace server::import
