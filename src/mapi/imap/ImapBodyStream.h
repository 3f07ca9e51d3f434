#pragma once
// The plain-text body of an IMAP message, read as a stream. The whole message is fetched at the
// first read, together with the other bodies the caller opened ahead in the same mailbox, and
// decoded on the store's workers; the raw bytes are dropped once the text is made. (A body fetched alone,
// without MAPI_DEFERRED_ERRORS, is read through a BodyStream.)

#include "mapi/Interfaces.h"
#include "mapi/imap/ImapState.h"
#include "mapi/maildir/BodyStream.h"

#include <memory>
#include <optional>
#include <string>

namespace mapi {

class ImapBodyStream : public IStream {
public:
    ImapBodyStream(std::shared_ptr<ImapState> state, ImapMessageRef reference,
                   std::shared_ptr<ImapRawMessage> raw)
        : m_state(std::move(state)), m_reference(std::move(reference)), m_raw(std::move(raw)) {}
    // A message without a body reads as an empty one; a message that cannot be fetched fails
    // with STG_E_READFAULT and the reason in the store's GetLastError.
    HRESULT Read(void* buffer, std::uint32_t count, std::uint32_t& read) override;

private:
    std::shared_ptr<ImapState> m_state;
    ImapMessageRef m_reference;
    std::shared_ptr<ImapRawMessage> m_raw;
    std::optional<BodyStream> m_text;
};

} // namespace mapi
