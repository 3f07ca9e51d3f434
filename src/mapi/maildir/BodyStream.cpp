#include "mapi/maildir/BodyStream.h"

#include <algorithm>
#include <cstring>

namespace mapi {

HRESULT BodyStream::Read(void* buffer, std::uint32_t count, std::uint32_t& read) {
    const std::size_t available = m_text.size() - m_position;
    read = static_cast<std::uint32_t>(std::min<std::size_t>(count, available));
    std::memcpy(buffer, m_text.data() + m_position, read);
    m_position += read;
    return S_OK;
}

} // namespace mapi
