#pragma once
// One pass over an mbox file that finds its messages. The file is read in large chunks and only
// each message's separator line and header block are kept while it is read, so a folder of any
// size costs the memory of its header data. Bytes before the first separator that begin with a
// header are a message of their own (a file whose first message lost its "From " line).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>

namespace mapi {

struct MboxRecord {
    std::uint64_t start = 0;       // the separator line's first byte (the message's, without one)
    std::uint64_t content = 0;     // the message's first byte, after its separator line
    std::uint64_t contentEnd = 0;  // past its last byte, before the empty line ending the record
    std::uint64_t end = 0;         // the next record's start, or the end of the file
    std::uint64_t fingerprint = 0; // see messageFingerprint
    std::uint64_t headerHash = 0;  // the header block and the length: changes when others edit it
};

// Called for each message in file order; the views last until the call returns. `header` is
// the message's header block with the empty line ending it (cut at 1 MB).
using MboxRecordSink =
    std::function<void(const MboxRecord& record, std::string_view fromLine, std::string_view header)>;

// The header hash of a record whose message bytes are `content`, as a scan would find it.
std::uint64_t recordHeaderHash(std::string_view content);

// Scans the open file `fd` from its first byte to its end and answers the number of bytes read.
// Throws std::system_error naming `path` when a read fails.
std::uint64_t scanMbox(int fd, const std::filesystem::path& path, const MboxRecordSink& sink);

} // namespace mapi
