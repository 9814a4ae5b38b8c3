// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One of GNU libmicrohttpd's calls into the C library, answered by a function of ours:
// the library's own entry for mmap in its global offset table is pointed at it, so
// nothing else in the process is touched.
//  - mmap: the library maps every connection's memory pool larger than 32 KiB afresh
//    and unmaps it at the close, which costs a new connection its page faults and a
//    TLB flush (about 0.7 ms of kernel time on a virtual machine: the library managed
//    an eighth of a trivial server's new connections a second). Refused, the library
//    takes the pool from malloc, where main() keeps such blocks in the heap for the
//    next connection. (Pools of 32 KiB or less come from malloc anyway, but a request
//    line must fit: a gallery page's address takes up to 85 KB.)

namespace server::microhttpd {

// Points the library's call at ours; once in a process, later calls return the first
// one's result. False where the library could not be found or read (it then works as
// it does alone).
bool rebindImports();

} // namespace server::microhttpd
