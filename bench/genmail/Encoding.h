#pragma once
// The byte forms mail carries text in: charsets, transfer encodings and encoded header words.
// Text inside the generator is UTF-8; these functions turn it into what a mail client writes.

#include <cstdint>
#include <string>
#include <string_view>

namespace bench {

enum class Charset { UsAscii, Utf8, Latin1, Windows1252 };

bool isAscii(std::string_view text);

// `value` as `digits` lower-case hexadecimal digits.
std::string hexDigits(std::uint64_t value, int digits);

// The text with every '\n' turned into CR LF.
std::string withCrlf(std::string_view text);

// The MIME label of a charset, e.g. "ISO-8859-1".
std::string_view charsetLabel(Charset charset);

// UTF-8 text in `charset`; characters the charset lacks become '?'.
std::string fromUtf8(std::string_view utf8, Charset charset);

// Whether every character of `utf8` exists in `charset`.
bool representable(std::string_view utf8, Charset charset);

// Base64 in lines of 76 characters, each ended by '\n'.
std::string base64Lines(std::string_view data);

// Base64 made of separately padded pieces, as some mailers write it (padding inside the body).
std::string base64PaddedPieces(std::string_view data, std::size_t pieceBytes);

// Quoted-printable with soft line breaks; '\n' in `data` are line ends.
std::string quotedPrintable(std::string_view data);

// An unstructured header value as RFC 2047 encoded words ('B' or 'Q'), split at character
// boundaries and folded with "\n "; `prefixLength` is the length of "Name: " before it.
std::string encodedWords(std::string_view utf8, Charset charset, char method, std::size_t prefixLength);

// An RFC 2231 parameter value: UTF-8''percent-encoded.
std::string rfc2231Value(std::string_view utf8);

} // namespace bench
