#pragma once

#include <ctime>
#include <filesystem>
#include <optional>

namespace engine {

// Sets the access and modification times of an existing file to a local date-time value (days
// since 30 December 1899). Returns 0, -1 when the file cannot be opened for writing, or the
// errno of the failed step. Never throws. Linux keeps no settable creation time.
int setOutputFileTime(const std::filesystem::path& path, double localDateTime);

// The instant a local date-time value names, as a file time; nothing when it names none (outside
// the years 1 to 9999, or not convertible). errno tells why.
std::optional<std::timespec> outputFileTime(double localDateTime);

} // namespace engine
