// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PickCookie.h"

#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace server {

// Each client address's current picture and last few pictures, for clients that keep no
// cookie: two widgets never swap pictures, and a pick avoids the address's recent ones.
// Bounded: past `capacity` clients the one set longest ago is forgotten.
class CurrentPictures
{
public:
    explicit CurrentPictures(size_t capacity = 4096) : m_capacity(capacity) {}

    // Takes the client's pick of `id` (empty: the pick found nothing) into its memory.
    void remember(const std::string& client, std::optional<quint64> id);
    // Nothing for a client not (or no longer) known.
    std::optional<PickCookie::Pick> get(const std::string& client) const;

private:
    struct Entry
    {
        PickCookie::Pick pick;
        std::list<std::string>::iterator age;
    };

    const size_t m_capacity;
    mutable std::mutex m_mutex;
    std::unordered_map<std::string, Entry> m_entries;
    std::list<std::string> m_ages; // oldest first
};

} // namespace server
