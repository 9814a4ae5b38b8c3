#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QMap>

// One HTTP exchange over a plain socket, bytes exactly as given: for requests that a
// client library would refuse or rewrite (traversal paths, oversized headers, POST), and
// for choosing the client's own loopback address.
struct RawResponse
{
    int status = 0;                       // 0 when no status line arrived
    QMap<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
    QByteArray extra; // anything that arrived after the response, within the linger time
};

// Reads one response (its body by Content-Length, none for HEAD), then keeps listening
// for `lingerMs` to catch anything the server should not have sent.
RawResponse rawExchange(int port, const QByteArray& request,
                        const QHostAddress& from = QHostAddress::LocalHost, int lingerMs = 0);
// `method target HTTP/1.1` with Host and "Connection: close".
RawResponse rawRequest(int port, const QByteArray& target, const QByteArray& method = "GET",
                       const QHostAddress& from = QHostAddress::LocalHost);
