// The time an output file is given: the message's local received time as UTC, by the zone rules
// of that date.

#include "engine/OutputFileTime.h"

#include "platform/DateTime.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

// A time zone fixed for the test, so UTC results are known.
class OutputFileTimeTest : public testing::Test {
protected:
    void SetUp() override {
        const char* zone = std::getenv("TZ");
        m_savedZone = zone ? std::optional<std::string>(zone) : std::nullopt;
        // Central European time written as a rule, so no zone database is needed.
        ::setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        ::tzset();
    }
    void TearDown() override {
        if (m_savedZone) {
            ::setenv("TZ", m_savedZone->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

    std::optional<std::string> m_savedZone;
};

TEST_F(OutputFileTimeTest, LocalTimeBecomesUtcByTheZoneRulesOfItsDate) {
    // 31 January 2024 14:05:09.250 local winter time is 13:05:09.250 UTC.
    const auto winter = engine::outputFileTime(platform::dateTimeFromParts(2024, 1, 31, 14, 5, 9, 250));
    ASSERT_TRUE(winter);
    EXPECT_EQ(winter->tv_sec, 1706706309);
    EXPECT_EQ(winter->tv_nsec, 250'000'000);
    // 1 July 2024 12:00 local summer time is 10:00 UTC.
    const auto summer = engine::outputFileTime(platform::dateTimeFromParts(2024, 7, 1, 12));
    ASSERT_TRUE(summer);
    EXPECT_EQ(summer->tv_sec, 1719828000);
}

TEST_F(OutputFileTimeTest, AValueNamingNoDateIsNoTime) {
    for (const double value : {1e300, -1e300, -693594.0, 2958466.0}) {
        SCOPED_TRACE(value);
        errno = 0;
        EXPECT_FALSE(engine::outputFileTime(value));
        EXPECT_EQ(errno, EINVAL);
    }
    // The first and the last day that are dates still are.
    EXPECT_TRUE(engine::outputFileTime(-693593.0));
    EXPECT_TRUE(engine::outputFileTime(2958465.5));
}

} // namespace
