// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/HttpResult.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>

namespace platform {

// What a transfer does with the body.
enum class TransferMode {
    Text, // keeps the body; stops at the cap with what it has; any status is an answer
    File, // streams the body into a file; needs a 2xx status and the whole body
    Page, // discards the body; any status is an answer; redirects stay on the host
};

// The code that speaks HTTP. It lives in a module of its own, libartcal-network.so (a Qt
// plugin), which Http loads with the first transfer: Qt Network and the nine libraries it brings in
// (Kerberos, libproxy, ...) cost every start 0.7 ms and the resident set 1.3 MiB, and
// a widget whose picture is current needs none of them for up to an hour.
class NetworkEngine
{
public:
    struct Request
    {
        QUrl url;
        TransferMode mode;
        qint64 maxBytes;
        QString filePath; // the file a File transfer creates or truncates, or removes
        std::chrono::milliseconds deadline;
        QList<std::pair<QByteArray, QByteArray>> headers{}; // sent besides the recipe's
    };
    using Progress = std::function<void(qint64 received, qint64 total)>;
    using Done = std::function<void(const HttpResult&)>;

    virtual ~NetworkEngine() = default;

    // Starts one GET as a child of `owner`. `progress` (may be empty) and `done` run from
    // the event loop while `context`, else `owner`, lives; destroying `context` cancels.
    virtual QObject* start(const Request& request, QObject* owner, const QObject* context,
                           Progress progress, Done done) = 0;
    // Stops a transfer `start` returned, at once and without a report; the file of a
    // download is removed.
    virtual void cancel(QObject* transfer) = 0;

    // The module from the first of `folders` (see platform::Module) that holds it; null,
    // with `error` said, when none does or it does not load.
    static std::unique_ptr<NetworkEngine> load(const QStringList& folders, QString* error);
};

// What the module's plugin object offers.
class NetworkEngineFactory
{
public:
    virtual ~NetworkEngineFactory() = default;
    virtual std::unique_ptr<NetworkEngine> make() = 0;
};

} // namespace platform

// Changed with every change to the two classes above, so that a module built against
// other ones (from another build) is refused instead of called.
#define ARTCAL_NETWORK_ENGINE_IID "io.github.artcal.NetworkEngine/2"
Q_DECLARE_INTERFACE(platform::NetworkEngineFactory, ARTCAL_NETWORK_ENGINE_IID)
