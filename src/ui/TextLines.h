#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ui {

// The lines of a text; a line ends at CR LF, CR or LF, and a final line end adds no line.
std::vector<std::string> splitLines(std::string_view text);

} // namespace ui
