#pragma once
// The switch file of "/Z=": one switch a line, empty lines skipped.

#include <string>
#include <string_view>
#include <vector>

namespace ui {

// The switches of a switch file's text, in file order; lines end at CR LF, CR or LF.
std::vector<std::string> switchFileSwitches(std::string_view text);

} // namespace ui
