// SPDX-License-Identifier: GPL-3.0-or-later
#include "RandomPicker.h"

namespace server {

qsizetype RandomPicker::pick(qsizetype count)
{
    std::uniform_int_distribution<qsizetype> distribution(0, count - 1);
    std::lock_guard lock(m_mutex);
    return distribution(m_engine);
}

} // namespace server
