// SPDX-License-Identifier: GPL-3.0-or-later
#include "CurrentPictures.h"

namespace server {

void CurrentPictures::remember(const std::string& client, std::optional<quint64> id)
{
    std::lock_guard lock(m_mutex);
    if (const auto it = m_entries.find(client); it != m_entries.end()) {
        it->second.pick = it->second.pick.after(id);
        m_ages.splice(m_ages.end(), m_ages, it->second.age);
        return;
    }
    if (m_entries.size() >= m_capacity) {
        m_entries.erase(m_ages.front());
        m_ages.pop_front();
    }
    m_ages.push_back(client);
    m_entries.emplace(client, Entry{PickCookie::Pick().after(id), std::prev(m_ages.end())});
}

std::optional<PickCookie::Pick> CurrentPictures::get(const std::string& client) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_entries.find(client);
    return it == m_entries.end() ? std::nullopt : std::optional(it->second.pick);
}

} // namespace server
