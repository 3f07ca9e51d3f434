#include "mapi/mbox/MboxBodyStream.h"

#include "mapi/mbox/MboxFormat.h"
#include "mapi/mime/BodyText.h"
#include "mapi/mime/MimeLibrary.h"

#include <algorithm>
#include <cstring>

namespace mapi {

MboxBodyStream::MboxBodyStream(std::string content, std::shared_ptr<MboxState> state)
    : m_body(std::make_shared<PreparedBody>(
          [content = std::move(content)] { return mime::plainTextBody(unquoteFromLines(content)); })),
      m_state(std::move(state)) {
    mime::initialiseLibraries(); // before any worker uses them
    // Held weakly: a body nobody will read any more (the run ended) is not decoded.
    m_state->workers().post([weak = std::weak_ptr(m_body)] {
        if (const auto body = weak.lock())
            body->runIfUnclaimed();
    });
}

HRESULT MboxBodyStream::Read(void* buffer, std::uint32_t count, std::uint32_t& read) {
    read = 0;
    try {
        // While a worker decodes this body, this thread decodes later ones instead of waiting.
        const std::optional<std::string>& text =
            m_body->get([this] { return m_state->workers().runNewest(); });
        if (text) {
            read = static_cast<std::uint32_t>(std::min<std::size_t>(count, text->size() - m_position));
            std::memcpy(buffer, text->data() + m_position, read);
            m_position += read;
        }
        return S_OK;
    } catch (const std::exception& error) {
        return m_state->fail(error);
    }
}

} // namespace mapi
