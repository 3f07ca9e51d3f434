#pragma once
// The bodies of the next messages are opened ahead of their turn, so a store that decodes them in
// the background does that while the run writes files and waits for a batch to reach the disk.
// The window ends at 64 messages or 16 MB of messages, whichever comes first: enough to keep the
// workers busy through a commit, while memory holds a few messages, however large they are. It is
// topped up when half empty.

#include "mailstore/TEmailMessage.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace engine {

class BodyReadAhead {
public:
    // Messages for which `skip` is true are never opened.
    using Skip = std::function<bool(const mailstore::TEmailMessage&)>;
    // `messages` must outlive this; an entry may be emptied once its turn has come.
    BodyReadAhead(const std::vector<std::shared_ptr<mailstore::TEmailMessage>>& messages, Skip skip)
        : m_messages(messages), m_skip(std::move(skip)) {}

    // Called before the message at `index` (from 0) is taken from the list; opens it unless that
    // was done, and as many after it as the window allows.
    void before(std::size_t index);

private:
    static constexpr std::size_t kMessages = 64;
    static constexpr std::uint64_t kBytes = 16ull << 20;
    struct Open {
        std::size_t index;
        std::uint64_t bytes;
    };

    const std::vector<std::shared_ptr<mailstore::TEmailMessage>>& m_messages;
    Skip m_skip;
    std::deque<Open> m_open;
    std::uint64_t m_bytes = 0;
    std::size_t m_next = 0;
};

} // namespace engine
