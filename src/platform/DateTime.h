#pragma once
// Date-time values as the program keeps them: a double counting days since 30 December 1899 in
// local time, the time of day as the fraction. Mail stores give instants as FILETIMEs (100 ns
// ticks since 1601 UTC); files take UTC timespecs.

#include <cstdint>
#include <ctime>

namespace platform {

struct DateParts {
    int year = 1899;
    int month = 12; // 1..12
    int day = 30;   // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int dayOfWeek = 6; // 0 = Sunday
};

// Days since 30 December 1899 for a calendar date and time of day.
double dateTimeFromParts(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                         int millisecond = 0);

// The calendar fields of a date-time value, rounded to the millisecond.
DateParts partsFromDateTime(double dateTime);

// FILETIME ticks for a UTC instant given as seconds and nanoseconds since 1970.
std::uint64_t fileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds = 0);

// The local date-time value of a FILETIME instant, in the system's time zone at that instant
// (so a summer date shows summer time even when converted in winter).
double fileTimeToLocalDateTime(std::uint64_t ticks);

// The UTC instant of a local date-time value through the system's time zone.
std::timespec localDateTimeToUtc(double dateTime);

// The current local date-time.
double localNow();

// With TZ unset, the C library looks at the system's zone file again on every conversion (a file
// status call per message of a run); naming that zone in TZ once, at the start and before any
// thread, keeps the zone it read. A TZ already set is left as it is.
void keepSystemTimeZone();

} // namespace platform
