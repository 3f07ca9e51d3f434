#pragma once
// Text of any declared charset to UTF-8, as a mail client would show it: labels are often wrong,
// so ISO-8859-1 and 8-bit US-ASCII are read as windows-1252 (its superset in practice), broken
// UTF-8 keeps its valid sequences, and text without a label is UTF-8 when valid, else windows-1252.

#include <string>
#include <string_view>

namespace mapi::mime {

bool isValidUtf8(std::string_view text);

std::string windows1252ToUtf8(std::string_view text);

// Opens the converters for the charsets named in the encoded words of `text`, once per process:
// GMime opens and closes a converter for each word it decodes, which costs a module load and
// unload unless a converter of that charset stays open.
void keepConvertersFor(std::string_view text);

// Converts `bytes` labelled `charset` (empty: no label) to UTF-8; never fails.
std::string toUtf8(std::string_view bytes, std::string_view charset);

} // namespace mapi::mime
