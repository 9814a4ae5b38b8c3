#pragma once

#include <QtGlobal>

#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace server {

// Each client address's current picture, so two widgets never swap pictures. Bounded:
// past `capacity` clients the one set longest ago is forgotten.
class CurrentPictures
{
public:
    explicit CurrentPictures(size_t capacity = 4096) : m_capacity(capacity) {}

    // `id` empty means the client's last pick found nothing (answer "-1").
    void set(const std::string& client, std::optional<quint64> id);
    std::optional<quint64> get(const std::string& client) const;

private:
    struct Entry
    {
        std::optional<quint64> id;
        std::list<std::string>::iterator age;
    };

    const size_t m_capacity;
    mutable std::mutex m_mutex;
    std::unordered_map<std::string, Entry> m_entries;
    std::list<std::string> m_ages; // oldest first
};

} // namespace server
