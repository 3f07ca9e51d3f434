#include "engine/OutputFileTime.h"

#include "platform/DateTime.h"

#include <cerrno>
#include <cmath>
#include <exception>

namespace engine {

namespace {

// Date-time values of the years 1 to 9999; others cannot become calendar fields.
constexpr double kFirstDay = -693593.0;
constexpr double kPastLastDay = 2958466.0;

} // namespace

std::optional<std::timespec> outputFileTime(double localDateTime) {
    if (!std::isfinite(localDateTime) || localDateTime < kFirstDay || localDateTime >= kPastLastDay) {
        errno = EINVAL;
        return std::nullopt;
    }
    try {
        errno = 0;
        const std::timespec utc = platform::localDateTimeToUtc(localDateTime);
        // mktime's -1 is also a real instant; only errno tells a failed conversion apart.
        if (utc.tv_sec == -1 && errno != 0) {
            return std::nullopt;
        }
        return utc;
    } catch (const std::exception&) {
        if (errno == 0) {
            errno = EINVAL;
        }
        return std::nullopt;
    }
}

} // namespace engine
