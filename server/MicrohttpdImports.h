// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Two of GNU libmicrohttpd's calls into the C library, answered by functions of ours:
// the library's own entries for mmap and recv in its global offset table are pointed at
// them, so nothing else in the process is touched.
//  - mmap: the library maps every connection's memory pool larger than 32 KiB afresh
//    and unmaps it at the close, which costs a new connection its page faults and a
//    TLB flush (about 0.7 ms of kernel time on a virtual machine: the library managed
//    an eighth of a trivial server's new connections a second). Refused, the library
//    takes the pool from malloc, where main() keeps such blocks in the heap for the
//    next connection. (Pools of 32 KiB or less come from malloc anyway, but a request
//    line must fit: a gallery page's address takes up to 85 KB.)
//  - recv: the first bytes of a connection that cannot begin a request line (no method
//    before a space: binary data, a TLS handshake, a line of one word) get
//    "400 Bad Request" and a closed connection at once. The library closes such a
//    connection without a word, or takes a line starting with a NUL byte for an empty
//    one and waits for the request until the idle timeout.

namespace server::microhttpd {

// Points the library's calls at ours; once in a process, later calls return the first
// one's result. False where the library could not be found or read (it then works as
// it does alone).
bool rebindImports();

// Screens the first bytes that arrive on `socket`, a connection just accepted, until
// they are judged or forgetSocket() is called.
void screenFirstBytes(int socket);
void forgetSocket(int socket);

} // namespace server::microhttpd
