// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHostAddress>

class QTcpSocket;

// One HTTP exchange over a plain socket, bytes exactly as given, from a loopback address
// of the caller's choice: `method target HTTP/1.1` with "Host: localhost:PORT", `headers`
// (lines ending in CRLF) and "Connection: close", but on a socket the caller `keeps` open,
// as a widget keeps its connection. Returns the response's head and the body its
// Content-Length announces.
QByteArray rawRequest(int port, const QByteArray& target, const QByteArray& method = "GET",
                      const QByteArray& headers = {},
                      const QHostAddress& from = QHostAddress::LocalHost,
                      QTcpSocket* keeps = nullptr);
// What follows the head of a response.
QByteArray bodyOf(const QByteArray& response);
// Sends `bytes` exactly as given and collects what comes back until the server closes the
// connection or `deadlineMs` have passed; `closed` says which.
struct RawExchange
{
    QByteArray received;
    bool closed = false;
};
RawExchange rawExchange(int port, const QByteArray& bytes, int deadlineMs);
