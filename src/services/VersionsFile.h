#pragma once
// The versions file on the maker's site: one product per line, fields cut at commas. The
// product's line gives the release date of the newest version, its page and its version text.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace services {

// The fields of a line, cut at every comma without trimming; an empty text after a final comma
// is no field.
std::vector<std::string> splitVersionFields(std::string_view line);

// The first line (ending in CR LF, LF or CR) holding a comma whose text before the first comma is
// `product` without regard to case.
std::optional<std::string> findProductLine(std::string_view body, std::string_view product);

// A release date: blanks, an optional sign, digits, an optional "." with digits and an optional
// exponent, and nothing after. An empty text is 0; anything else gives nothing.
std::optional<double> parseReleaseDate(std::string_view text);

struct VersionLine {
    std::optional<double> date; // nothing when field 2 is not a number
    std::string rawDate;        // field 2 as written
    std::string page;           // field 3 with the link parameters, or the fallback download page
    std::string version;        // field 4, or "Unknown"
};

VersionLine parseVersionLine(std::string_view line);

enum class UpdateVerdict { InvalidDate, Newer, NotNewer };

// Newer only when the line's date lies more than one second after `releaseTimestamp`.
UpdateVerdict compareRelease(const VersionLine& line, double releaseTimestamp);

} // namespace services
