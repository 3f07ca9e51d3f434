#pragma once
// Language-file values are one line each; control characters and bytes are written as escapes
// (\t, \r\n, \\, \ooo). Decoding is strict about octal escapes so a translator sees a mistake.

#include <stdexcept>
#include <string>
#include <string_view>

namespace i18n {

// A malformed escape: the message names the problem and quotes the raw value.
class EscapeError : public std::runtime_error {
public:
    explicit EscapeError(const std::string& message) : std::runtime_error(message) {}
    // The help topic that explains escapes.
    int helpContext() const { return 530; }
};

// Decodes the escapes of a language-file value; throws EscapeError.
std::string DecodeEscapes(std::string_view value);

// Writes a text as a value: DecodeEscapes(EncodeEscapes(text)) == text for every text.
std::string EncodeEscapes(std::string_view text);

} // namespace i18n
