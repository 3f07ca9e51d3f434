#pragma once
// A MAPI entry id as the program holds it: an owned buffer whose length is never below 24 bytes.
// Entry ids travel between objects by copying bytes, never by sharing the buffer.

#include "mapi/PropValue.h"

#include <cstdint>
#include <vector>

namespace mailstore {

class EntryId {
public:
    static constexpr std::uint32_t MinimumSize = 24;

    // A holder that was never given an entry id: 24 zero bytes.
    EntryId();

    std::uint32_t size() const { return static_cast<std::uint32_t>(m_bytes.size()); }
    const std::uint8_t* data() const { return m_bytes.data(); }
    std::uint8_t* data() { return m_bytes.data(); }

    // Below 24 becomes 24; the current length keeps the buffer and its bytes; any other length
    // gives a new, zeroed buffer.
    void setSize(std::uint32_t size);
    // Copies size() bytes from `source`; nothing happens without a source.
    void copyFrom(const std::uint8_t* source);
    // Holds `bytes`: sets the size and copies them. An id shorter than 24 bytes is zero-padded
    // to 24, so no read goes past the end of the source.
    void assign(const mapi::Binary& bytes);

    // The bytes to hand to the mail subsystem.
    mapi::Binary toBinary() const { return m_bytes; }

    friend bool operator==(const EntryId&, const EntryId&) = default;

private:
    std::vector<std::uint8_t> m_bytes;
};

} // namespace mailstore
