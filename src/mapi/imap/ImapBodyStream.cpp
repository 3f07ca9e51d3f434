#include "mapi/imap/ImapBodyStream.h"

#include "mapi/mime/BodyText.h"

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

HRESULT ImapBodyStream::Read(void* buffer, std::uint32_t count, std::uint32_t& read) {
    read = 0;
    if (!m_text) {
        try {
            if (!m_raw->fetched)
                m_state->fetchQueued(m_reference);
            if (!m_raw->bytes) {
                m_state->fail(STG_E_READFAULT, "Message " + std::to_string(m_reference.uid) + " of '" +
                                                   m_reference.mailbox + "' is no longer on " +
                                                   m_state->session().account());
                return STG_E_READFAULT;
            }
            m_text = mime::plainTextBody(*m_raw->bytes).value_or(std::string());
            m_raw.reset();
        } catch (const std::exception& error) {
            m_state->fail(STG_E_READFAULT, error.what());
            return STG_E_READFAULT;
        }
    }
    read = copyOut(*m_text, m_position, buffer, count);
    return S_OK;
}

HRESULT ImapTextStream::Read(void* buffer, std::uint32_t count, std::uint32_t& read) {
    read = copyOut(m_text, m_position, buffer, count);
    return S_OK;
}

} // namespace mapi
