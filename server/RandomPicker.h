// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <mutex>
#include <random>

namespace server {

// Uniform random choice shared by the request threads; a fixed seed makes picks
// reproducible for tests.
class RandomPicker
{
public:
    explicit RandomPicker(quint32 seed) : m_engine(seed) {}

    // An index in [0, count); count must be positive.
    qsizetype pick(qsizetype count);

private:
    std::mutex m_mutex;
    std::mt19937 m_engine;
};

} // namespace server
