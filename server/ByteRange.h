// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <string_view>

namespace server {

// What a request's Range header asks of a file of `size` bytes. One range is answered
// with its part; several ranges, other units or a malformed header get the whole file,
// which a client must accept in any case.
struct ByteRange
{
    enum class Kind { Whole, Part, Unsatisfiable };

    Kind kind = Kind::Whole;
    qint64 first = 0;
    qint64 length = 0;

    static ByteRange parse(std::string_view header, qint64 size);
};

} // namespace server
