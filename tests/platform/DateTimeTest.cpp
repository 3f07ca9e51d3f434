#include "platform/DateTime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

struct CalendarCase {
    const char* name;
    int year, month, day, hour, minute, second;
    double value;
};

class CalendarTable : public testing::TestWithParam<CalendarCase> {};

TEST_P(CalendarTable, ConvertsBothWays) {
    const auto& c = GetParam();
    EXPECT_DOUBLE_EQ(platform::dateTimeFromParts(c.year, c.month, c.day, c.hour, c.minute, c.second),
                     c.value);
    const auto parts = platform::partsFromDateTime(c.value);
    EXPECT_EQ(parts.year, c.year);
    EXPECT_EQ(parts.month, c.month);
    EXPECT_EQ(parts.day, c.day);
    EXPECT_EQ(parts.hour, c.hour);
    EXPECT_EQ(parts.minute, c.minute);
    EXPECT_EQ(parts.second, c.second);
}

INSTANTIATE_TEST_SUITE_P(Dates, CalendarTable,
                         testing::Values(CalendarCase{"Zero", 1899, 12, 30, 0, 0, 0, 0.0},
                                         CalendarCase{"Noon2024", 2024, 1, 31, 12, 0, 0, 45322.5},
                                         CalendarCase{"LeapDay", 2000, 2, 29, 6, 0, 0, 36585.25},
                                         CalendarCase{"BeforeZero", 1899, 12, 29, 6, 0, 0, -1.25}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DateTime, DayOfWeekAndMillisecondRounding) {
    // 31 January 2024 was a Wednesday.
    EXPECT_EQ(platform::partsFromDateTime(45322.0).dayOfWeek, 3);
    const auto parts = platform::partsFromDateTime(platform::dateTimeFromParts(2024, 1, 31, 23, 59, 59, 999));
    EXPECT_EQ(parts.day, 31);
    EXPECT_EQ(parts.millisecond, 999);
}

class TimeZoneTest : public testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("TZ");
        m_old = old ? old : "";
        m_hadOld = old != nullptr;
        setenv("TZ", "Europe/Berlin", 1);
        tzset();
    }
    void TearDown() override {
        if (m_hadOld)
            setenv("TZ", m_old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    std::string m_old;
    bool m_hadOld = false;
};

TEST_F(TimeZoneTest, FileTimeUsesTheOffsetOfItsOwnDate) {
    // 2024-07-01 10:00:00 UTC is 12:00 summer time in Berlin; 2024-01-01 10:00 UTC is 11:00.
    const auto summer = platform::fileTimeFromUnix(1719828000);
    const auto winter = platform::fileTimeFromUnix(1704103200);
    EXPECT_EQ(platform::partsFromDateTime(platform::fileTimeToLocalDateTime(summer)).hour, 12);
    EXPECT_EQ(platform::partsFromDateTime(platform::fileTimeToLocalDateTime(winter)).hour, 11);
}

TEST_F(TimeZoneTest, LocalToUtcRoundTrips) {
    const double local = platform::dateTimeFromParts(2024, 7, 1, 12, 0, 0, 250);
    const auto utc = platform::localDateTimeToUtc(local);
    EXPECT_EQ(utc.tv_sec, 1719828000);
    EXPECT_EQ(utc.tv_nsec, 250'000'000);
}

} // namespace
