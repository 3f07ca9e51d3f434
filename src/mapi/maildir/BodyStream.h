#pragma once
// A read-only stream over text already in memory: a message body is decoded whole, then read.

#include "mapi/Interfaces.h"

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

} // namespace mapi
