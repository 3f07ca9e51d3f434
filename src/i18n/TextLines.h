#pragma once

#include <string_view>
#include <vector>

namespace i18n {

// The lines of a text that ends its lines in CR LF, LF or CR; a final line break adds no line.
std::vector<std::string_view> splitLines(std::string_view text);

} // namespace i18n
