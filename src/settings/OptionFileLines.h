#pragma once
// The two list settings are stored as one text each, in option files and in the registry alike:
// every line followed by CR LF. Reading accepts any line end.

#include <string>
#include <string_view>
#include <vector>

namespace settings {

// Lines end at CR LF, a lone CR or a lone LF; a final line end adds no empty line.
std::vector<std::string> splitLines(std::string_view text);
// Every line followed by CR LF.
std::string joinLines(const std::vector<std::string>& lines);

} // namespace settings
