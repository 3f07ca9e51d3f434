#pragma once

#include <string>

namespace platform {

// The folder of the running executable as an absolute path ending in "/". The language files,
// the tips file and the help pages lie there, so the program also runs from its build tree.
// Throws std::system_error when the executable's path cannot be read.
const std::string& programFolder();

} // namespace platform
