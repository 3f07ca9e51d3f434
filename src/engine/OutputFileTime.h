#pragma once

#include <ctime>
#include <optional>

namespace engine {

// The instant a local date-time value (days since 30 December 1899) names, as a file time for an
// output file's access and modification times; nothing when it names none (outside the years 1
// to 9999, or not convertible), and errno tells why. Linux keeps no settable creation time.
std::optional<std::timespec> outputFileTime(double localDateTime);

} // namespace engine
