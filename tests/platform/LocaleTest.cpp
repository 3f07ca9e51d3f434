#include "platform/Locale.h"
#include "platform/DateTime.h"

#include <gtest/gtest.h>

namespace {

struct PictureCase {
    const char* name;
    const char* picture;
    const char* expected;
};

class PictureTable : public testing::TestWithParam<PictureCase> {};

TEST_P(PictureTable, FormatsAFixedInstant) {
    const platform::FixedLocale locale;
    const double when = platform::dateTimeFromParts(2024, 1, 31, 14, 5, 9);
    EXPECT_EQ(platform::formatDateTime(locale, GetParam().picture, when), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Pictures, PictureTable,
                         testing::Values(PictureCase{"DayMonthYear", "dd/MM/yyyy", "31/01/2024"},
                                         PictureCase{"ShortForms", "d.M.yy", "31.1.24"},
                                         PictureCase{"Time24", "HH:mm:ss", "14:05:09"},
                                         PictureCase{"Time12", "h:mm tt", "2:05 PM"},
                                         PictureCase{"Names", "dddd d MMMM", "Wednesday 31 January"},
                                         PictureCase{"Abbreviated", "ddd MMM", "Wed Jan"},
                                         PictureCase{"QuotedLiteral", "'day' d", "day 31"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct StrftimeCase {
    const char* name;
    const char* format;
    const char* picture;
};

class StrftimeTable : public testing::TestWithParam<StrftimeCase> {};

TEST_P(StrftimeTable, BecomesAPicture) {
    EXPECT_EQ(platform::pictureFromStrftime(GetParam().format), GetParam().picture);
}

INSTANTIATE_TEST_SUITE_P(Formats, StrftimeTable,
                         testing::Values(StrftimeCase{"British", "%d/%m/%Y", "dd/MM/yyyy"},
                                         StrftimeCase{"American", "%m/%d/%y", "MM/dd/yy"},
                                         StrftimeCase{"Time", "%T", "HH:mm:ss"},
                                         StrftimeCase{"TwelveHour", "%r", "hh:mm:ss tt"},
                                         StrftimeCase{"LiteralLetters", "%d. %B %Y h", "dd. MMMM yyyy 'h'"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Locale, UpperCasesUtf8AndKeepsBrokenBytes) {
    EXPECT_EQ(platform::upperCaseUtf8("re: émile"), "RE: ÉMILE");
    EXPECT_EQ(platform::upperCaseUtf8(std::string("a\xE9z")), std::string("A\xE9Z"));
}

TEST(Locale, ComparesWithoutRegardToCase) {
    const platform::FixedLocale locale;
    EXPECT_EQ(locale.compareTextIgnoreCase("Zebra", "zebra"), 0);
    EXPECT_LT(locale.compareTextIgnoreCase("apple", "Banana"), 0);
    EXPECT_GT(locale.compareTextIgnoreCase("émile", "EMILE"), 0);
}

} // namespace
