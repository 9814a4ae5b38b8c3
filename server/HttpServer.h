#pragma once

#include <httplib.h>

#include <sys/socket.h>

namespace server {

// cpp-httplib's server with a deeper accept queue. Debian's build listens with a backlog
// of 5, so a burst of clients connecting at once loses SYNs and waits a second or more
// for the retransmit.
class HttpServer : public httplib::Server
{
public:
    // For a bound socket; Linux applies a repeated listen() to the queue at once.
    bool setBacklog(int backlog) { return ::listen(svr_sock_, backlog) == 0; }
};

} // namespace server
