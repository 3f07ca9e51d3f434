#include "mapi/imap/ImapBodyStream.h"

namespace mapi {

HRESULT ImapBodyStream::Read(void* buffer, std::uint32_t count, std::uint32_t& read) {
    read = 0;
    if (!m_text) {
        try {
            if (!m_raw->fetched)
                m_state->fetchQueued(m_reference);
            if (!m_raw->text) {
                m_state->fail(STG_E_READFAULT, "Message " + std::to_string(m_reference.uid) + " of '" +
                                                   m_reference.mailbox + "' is no longer on " +
                                                   m_state->session().account());
                return STG_E_READFAULT;
            }
            // While a worker decodes this body, this thread decodes later ones instead of waiting.
            m_text.emplace(
                m_raw->text->get([this] { return m_state->workers().runNewest(); }).value_or(std::string()));
            m_raw.reset();
        } catch (const std::exception& error) {
            m_state->fail(STG_E_READFAULT, error.what());
            return STG_E_READFAULT;
        }
    }
    return m_text->Read(buffer, count, read);
}

} // namespace mapi
