#include "engine/BodyReadAhead.h"

#include <algorithm>

namespace engine {

void BodyReadAhead::before(std::size_t index) {
    while (!m_open.empty() && m_open.front().index < index) {
        m_bytes -= m_open.front().bytes;
        m_open.pop_front();
    }
    // The window is topped up once it is half empty, so a sleeping worker is woken once for
    // many bodies rather than once a message.
    const bool halfEmpty = m_next <= index || (m_next - index < kMessages / 2 && m_bytes < kBytes / 2);
    if (!halfEmpty)
        return;
    while (m_next < m_messages.size() &&
           (m_next <= index || (m_next - index < kMessages && m_bytes < kBytes))) {
        mailstore::TEmailMessage& message = *m_messages[m_next];
        if (!m_skip(message)) {
            message.PrepareBody();
            const auto bytes = static_cast<std::uint64_t>(std::max(message.size(), 0));
            m_open.push_back({m_next, bytes});
            m_bytes += bytes;
        }
        ++m_next;
    }
}

} // namespace engine
