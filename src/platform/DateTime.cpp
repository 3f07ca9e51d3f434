#include "platform/DateTime.h"

#include <chrono>
#include <cmath>
#include <cstdlib>

namespace platform {
namespace {

constexpr std::int64_t kMillisecondsPerDay = 86'400'000;
// Days from 1 January 1970 to 30 December 1899.
constexpr std::int64_t kEpochOffsetDays = -25'569;
// FILETIME ticks from 1601 to 1970.
constexpr std::uint64_t kUnixEpochTicks = 116'444'736'000'000'000ULL;

// Days since 1970-01-01 of a proleptic Gregorian date, counted in 400-year eras.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

double dateTimeFromTm(const std::tm& t, int millisecond) {
    return dateTimeFromParts(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
                             millisecond);
}

} // namespace

double dateTimeFromParts(int year, int month, int day, int hour, int minute, int second, int millisecond) {
    const std::int64_t days =
        daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpochOffsetDays;
    const double fraction = (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) /
                            static_cast<double>(kMillisecondsPerDay);
    // Before 1899 the fraction counts away from zero, as the value's convention has it.
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

DateParts partsFromDateTime(double dateTime) {
    double whole = std::trunc(dateTime);
    double fraction = std::fabs(dateTime - whole);
    auto ms = static_cast<std::int64_t>(std::llround(fraction * static_cast<double>(kMillisecondsPerDay)));
    if (ms >= kMillisecondsPerDay) {
        ms -= kMillisecondsPerDay;
        whole += dateTime >= 0 ? 1 : -1;
    }
    const auto days = static_cast<std::int64_t>(whole) + kEpochOffsetDays;
    DateParts parts;
    civilFromDays(days, parts.year, parts.month, parts.day);
    parts.dayOfWeek = static_cast<int>(((days % 7) + 7 + 4) % 7); // 1970-01-01 was a Thursday
    parts.hour = static_cast<int>(ms / 3'600'000);
    parts.minute = static_cast<int>(ms / 60'000 % 60);
    parts.second = static_cast<int>(ms / 1000 % 60);
    parts.millisecond = static_cast<int>(ms % 1000);
    return parts;
}

std::uint64_t fileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds) {
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(kUnixEpochTicks) + seconds * 10'000'000 +
                                      nanoseconds / 100);
}

double fileTimeToLocalDateTime(std::uint64_t ticks) {
    const auto sinceUnix = static_cast<std::int64_t>(ticks) - static_cast<std::int64_t>(kUnixEpochTicks);
    std::int64_t seconds = sinceUnix / 10'000'000;
    std::int64_t remainder = sinceUnix % 10'000'000;
    if (remainder < 0) {
        remainder += 10'000'000;
        --seconds;
    }
    const auto instant = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&instant, &local);
    return dateTimeFromTm(local, static_cast<int>(remainder / 10'000));
}

std::timespec localDateTimeToUtc(double dateTime) {
    const DateParts parts = partsFromDateTime(dateTime);
    std::tm local{};
    local.tm_year = parts.year - 1900;
    local.tm_mon = parts.month - 1;
    local.tm_mday = parts.day;
    local.tm_hour = parts.hour;
    local.tm_min = parts.minute;
    local.tm_sec = parts.second;
    local.tm_isdst = -1; // let the time zone decide whether summer time applies
    std::timespec result{};
    result.tv_sec = std::mktime(&local);
    result.tv_nsec = static_cast<long>(parts.millisecond) * 1'000'000;
    return result;
}

double localNow() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
    return fileTimeToLocalDateTime(fileTimeFromUnix(ns / 1'000'000'000, ns % 1'000'000'000));
}

void keepSystemTimeZone() {
    if (!std::getenv("TZ"))
        ::setenv("TZ", ":/etc/localtime", 0);
}

} // namespace platform
