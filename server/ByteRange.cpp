// SPDX-License-Identifier: GPL-3.0-or-later
#include "ByteRange.h"

#include <algorithm>
#include <optional>

namespace server {

namespace {

// At most 18 digits, so no value overflows.
std::optional<qint64> number(std::string_view text)
{
    if (text.empty() || text.size() > 18)
        return std::nullopt;
    qint64 value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

ByteRange part(qint64 first, qint64 length)
{
    return {ByteRange::Kind::Part, first, length};
}

} // namespace

ByteRange ByteRange::parse(std::string_view header, qint64 size)
{
    constexpr std::string_view unit = "bytes=";
    if (header.substr(0, unit.size()) != unit)
        return {};
    const std::string_view rangeSet = header.substr(unit.size());
    const size_t dash = rangeSet.find('-');
    if (dash == std::string_view::npos || rangeSet.find(',') != std::string_view::npos)
        return {};
    const std::string_view firstText = rangeSet.substr(0, dash);
    const std::string_view lastText = rangeSet.substr(dash + 1);
    if (firstText.empty()) { // "-N": the last N bytes
        const auto suffix = number(lastText);
        if (!suffix)
            return {};
        if (*suffix == 0 || size == 0)
            return {Kind::Unsatisfiable};
        const qint64 length = std::min(*suffix, size);
        return part(size - length, length);
    }
    const auto first = number(firstText);
    const auto last = lastText.empty() ? std::optional(size - 1) : number(lastText);
    if (!first || !last || (!lastText.empty() && *last < *first))
        return {};
    if (*first >= size)
        return {Kind::Unsatisfiable};
    return part(*first, std::min(*last, size - 1) - *first + 1);
}

} // namespace server
