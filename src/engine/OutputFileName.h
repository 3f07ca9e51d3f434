#pragma once
// Output file names come from the "Number format" text in three stages: placeholders are
// expanded with the message's values, the result is formatted with the running number, and the
// characters a file name may not hold are dropped. The folder goes in front, ending in "/".
// A name longer than a file system allows would stop an unattended run at the same message every
// night, so the placeholder values are cut until it fits; the format's own text and number stay.

#include "engine/TokenProvider.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

// Replaces %TOKEN words; NUMBER is the number in decimal, other tokens come from `provider`
// (without one, a token stays "%" and its letters). "%%" becomes one "%".
std::string expandPlaceholders(std::string_view format, TokenProvider* provider, std::int32_t number);

// Formats the expanded text with the number as its one argument; throws platform::FormatError.
std::string formatNumber(std::string_view format, std::int32_t number);

// Drops every " * / : < > ? \ | so that a name never holds a folder part.
std::string filterFileName(std::string_view text);

// Removes one leading and one trailing double quote and makes the folder end in "/".
std::string normaliseFolder(std::string_view folder);

// The longest file name (NAME_MAX) and path (PATH_MAX less its terminating NUL), in bytes.
inline constexpr std::size_t kMaxFileNameBytes = 255;
inline constexpr std::size_t kMaxPathBytes = 4095;

// The path of the file for `message`: `normalisedFolder` followed by the filtered name, shortened
// so the name fits in kMaxFileNameBytes and the path in kMaxPathBytes.
std::string outputFileName(std::string_view normalisedFolder, std::string_view numberFormat,
                           TokenProvider& message, std::int32_t number);

// The file name (without folder) that `format` gives for a message's values and `number`. When it
// is longer than `maxBytes`, each placeholder value is cut (at a character boundary) to the most
// bytes that let the name fit; a name whose format text alone is too long is left whole.
std::string fileName(std::string_view format, TokenProvider& message, std::int32_t number,
                     std::size_t maxBytes = kMaxFileNameBytes);

} // namespace engine
