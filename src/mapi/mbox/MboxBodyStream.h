#pragma once
// A body opened with MAPI_DEFERRED_ERRORS is decoded on one of the store's workers while the
// caller goes on (the run opens the next bodies before it reads this one); the read waits for it,
// or decodes it there when no worker has started it. The message's bytes were read when it was
// opened, so a missing file is still reported by OpenProperty.

#include "mapi/Interfaces.h"
#include "mapi/maildir/BodyStream.h"
#include "mapi/mbox/MboxState.h"

#include <memory>

namespace mapi {

class MboxBodyStream : public IStream {
public:
    // Posts the decoding of `content` (the message as stored) to the store's workers.
    MboxBodyStream(std::string content, std::shared_ptr<MboxState> state);
    // A message without a body reads as an empty one.
    HRESULT Read(void* buffer, std::uint32_t count, std::uint32_t& read) override;

private:
    std::shared_ptr<PreparedBody> m_body;
    std::shared_ptr<MboxState> m_state;
    std::size_t m_position = 0;
};

} // namespace mapi
