#include "mailstore/EntryId.h"

#include <algorithm>

namespace mailstore {

EntryId::EntryId() : m_bytes(MinimumSize, 0) {}

void EntryId::setSize(std::uint32_t size) {
    size = std::max(size, MinimumSize);
    if (size == m_bytes.size())
        return;
    m_bytes = std::vector<std::uint8_t>(size, 0);
}

void EntryId::copyFrom(const std::uint8_t* source) {
    if (source)
        std::copy_n(source, m_bytes.size(), m_bytes.begin());
}

void EntryId::assign(const mapi::Binary& bytes) {
    setSize(static_cast<std::uint32_t>(bytes.size()));
    std::fill(m_bytes.begin(), m_bytes.end(), 0);
    std::copy(bytes.begin(), bytes.end(), m_bytes.begin());
}

} // namespace mailstore
