#pragma once

#include <filesystem>

namespace engine {

// Sets the access and modification times of an existing file to a local date-time value (days
// since 30 December 1899). Returns 0, -1 when the file cannot be opened for writing, or the
// errno of the failed step. Never throws. Linux keeps no settable creation time.
int setOutputFileTime(const std::filesystem::path& path, double localDateTime);

} // namespace engine
