#pragma once
// Content-Transfer-Encoding decoders that tolerate what real mail does: base64 made of several
// separately padded chunks (GMime 3.2.13 stops at the first '='), stray characters, and
// quoted-printable with bad escapes, which are kept as they are.

#include <string>
#include <string_view>

namespace mapi::mime {

std::string decodeBase64(std::string_view encoded);

// Content labelled base64 that is ordinary text (words, blanks, punctuation): decoding it would
// give garbage where a mail reader shows the text.
bool isPlainlyNotBase64(std::string_view encoded);

std::string decodeQuotedPrintable(std::string_view encoded);

// Line ends of any kind (LF, CR LF, lone CR) as CR LF.
std::string toCrLf(std::string_view text);

} // namespace mapi::mime
