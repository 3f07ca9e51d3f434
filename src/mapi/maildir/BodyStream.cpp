#include "mapi/maildir/BodyStream.h"

#include <algorithm>
#include <cstring>

namespace mapi {
namespace {

std::uint32_t copyOut(const std::string& text, std::size_t& position, void* buffer, std::uint32_t count) {
    const auto read = static_cast<std::uint32_t>(std::min<std::size_t>(count, text.size() - position));
    std::memcpy(buffer, text.data() + position, read);
    position += read;
    return read;
}

} // namespace

HRESULT BodyStream::Read(void* buffer, std::uint32_t count, std::uint32_t& read) {
    read = copyOut(m_text, m_position, buffer, count);
    return S_OK;
}

HRESULT PreparedBodyStream::Read(void* buffer, std::uint32_t count, std::uint32_t& read) {
    read = 0;
    try {
        // While a worker decodes this body, this thread decodes later ones instead of waiting.
        const std::optional<std::string>& text =
            m_body->get([this] { return m_state->workers().runNewest(); });
        if (text)
            read = copyOut(*text, m_position, buffer, count);
        return S_OK;
    } catch (const std::exception& error) {
        return m_state->fail(error);
    }
}

} // namespace mapi
