#pragma once
// Read-only streams over a message body. A body is decoded whole, then read: either at once
// (BodyStream) or on a worker thread while the caller goes on (PreparedBodyStream, waited for at
// the first read, or decoded there if no worker has started it).

#include "mapi/Interfaces.h"
#include "mapi/maildir/MaildirState.h"
#include "platform/SharedWork.h"

#include <memory>
#include <optional>
#include <string>

namespace mapi {

class BodyStream : public IStream {
public:
    explicit BodyStream(std::string text) : m_text(std::move(text)) {}
    HRESULT Read(void* buffer, std::uint32_t count, std::uint32_t& read) override;

private:
    std::string m_text;
    std::size_t m_position = 0;
};

// The text of a body being decoded; nothing when the message has none.
using PreparedBody = platform::SharedWork<std::optional<std::string>>;

class PreparedBodyStream : public IStream {
public:
    // `state` records a decoding failure for GetLastError when the read meets it.
    PreparedBodyStream(std::shared_ptr<PreparedBody> body, std::shared_ptr<MaildirState> state)
        : m_body(std::move(body)), m_state(std::move(state)) {}
    // A message without a body reads as an empty one.
    HRESULT Read(void* buffer, std::uint32_t count, std::uint32_t& read) override;

private:
    std::shared_ptr<PreparedBody> m_body;
    std::shared_ptr<MaildirState> m_state;
    std::size_t m_position = 0;
};

} // namespace mapi
