#include "platform/Format.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using platform::format;
using platform::FormatArg;
using platform::FormatError;

struct IntegerCase {
    const char* name;
    const char* pattern;
    std::int32_t number;
    const char* expected;
};

class FormatIntegerTest : public testing::TestWithParam<IntegerCase> {};

TEST_P(FormatIntegerTest, FormatsTheNumber) {
    EXPECT_EQ(format(GetParam().pattern, {GetParam().number}), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, FormatIntegerTest,
                         testing::Values(IntegerCase{"PrecisionZeroFills", "%5.5d", 42, "00042"},
                                         IntegerCase{"PrecisionAfterSign", "%5.5d", -42, "-00042"},
                                         IntegerCase{"ZeroWithPrecision", "%5.5d.txt", 0, "00000.txt"},
                                         IntegerCase{"WidthPadsLeft", "%3d", 42, " 42"},
                                         IntegerCase{"MinusPadsRight", "%-4d|", 42, "42  |"},
                                         IntegerCase{"WidthBelowLength", "%1d", 12345, "12345"},
                                         IntegerCase{"HexUpperCase", "%x", 42, "2A"},
                                         IntegerCase{"HexTypeUpperCase", "%X", 255, "FF"},
                                         IntegerCase{"UnsignedOfMinusOne", "%u", -1, "4294967295"},
                                         IntegerCase{"HexOfMinusOne", "%x", -1, "FFFFFFFF"},
                                         IntegerCase{"TypeLetterEitherCase", "%D", -7, "-7"},
                                         IntegerCase{"LowestInteger", "%d", INT32_MIN, "-2147483648"},
                                         IntegerCase{"PrecisionSixteenKept", "%.16d", 1, "0000000000000001"},
                                         IntegerCase{"PrecisionAboveSixteenIgnored", "%.17d", 1, "1"},
                                         IntegerCase{"EmptyPrecision", "%.d", 5, "5"},
                                         IntegerCase{"IndexZero", "%0:d-%0:x", 26, "26-1A"},
                                         IntegerCase{"IndexWithMinusAndWidth", "%0:-3d|", 1, "1  |"},
                                         IntegerCase{"DoublePercent", "100%%", 1, "100%"},
                                         IntegerCase{"TrailingPercentDropped", "ab%", 1, "ab"},
                                         IntegerCase{"EndsAfterWidth", "ab%5", 1, "ab"},
                                         IntegerCase{"EndsAfterPrecisionDot", "ab%5.", 1, "ab"},
                                         IntegerCase{"EndsAfterIndex", "ab%0:", 1, "ab"},
                                         IntegerCase{"EndsAfterMinus", "ab%-", 1, "ab"},
                                         IntegerCase{"OutputStopsAtUnfinishedDirective", "%d-%3", 9, "9-"},
                                         IntegerCase{"NoDirective", "plain.txt", 1, "plain.txt"}),
                         [](const testing::TestParamInfo<IntegerCase>& info) { return info.param.name; });

struct ErrorCase {
    const char* name;
    const char* pattern;
    const char* message;
};

class FormatErrorTest : public testing::TestWithParam<ErrorCase> {};

TEST_P(FormatErrorTest, ThrowsTheProgramsText) {
    try {
        format(GetParam().pattern, {42});
        FAIL() << "no error for " << GetParam().pattern;
    } catch (const FormatError& error) {
        EXPECT_STREQ(error.what(), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatErrorTest,
    testing::Values(
        ErrorCase{"StringTypeWithInteger", "%s", "Format '%s' invalid or incompatible with argument"},
        ErrorCase{"FloatType", "%5.2f", "Format '%5.2f' invalid or incompatible with argument"},
        ErrorCase{"BlankAsType", "50% off", "Format '% ' invalid or incompatible with argument"},
        ErrorCase{"DotThenLetter", "mail%.txt", "Format '%.t' invalid or incompatible with argument"},
        ErrorCase{"MinusAfterWidth", "%4-d", "Format '%4-' invalid or incompatible with argument"},
        ErrorCase{"SecondDirective", "%d %d", "No argument for format '%d'"},
        ErrorCase{"IndexOne", "%1:d", "No argument for format '%1:d'"},
        ErrorCase{"StarUsesTheOnlyArgument", "%*d", "No argument for format '%*d'"},
        ErrorCase{"QuotedTextCutAt31", "%00000000000000000000000000000000001f",
                  "Format '%000000000000000000000000000000' invalid or incompatible with argument"},
        ErrorCase{"HugeWidthRefused", "%99999999999d",
                  "Format '%99999999999d' invalid or incompatible with argument"}),
    [](const testing::TestParamInfo<ErrorCase>& info) { return info.param.name; });

TEST(FormatTest, StarTakesTheNextArgumentThenTheValueFollows) {
    EXPECT_EQ(format("%*d", {4, 7}), "   7");
    EXPECT_EQ(format("%.*d", {3, 7}), "007");
    EXPECT_EQ(format("[%*d]", {-4, 7}), "[7]");
}

TEST(FormatTest, FormatsTextArguments) {
    EXPECT_EQ(format("Processing email %d of %d: %s", {3, 10, "Hello"}), "Processing email 3 of 10: Hello");
    EXPECT_EQ(format("[%6s][%-6s][%.2s]", {"abc", "abc", "abc"}), "[   abc][abc   ][ab]");
    EXPECT_EQ(format("%1:s %0:s", {"world", "hello"}), "hello world");
}

TEST(FormatTest, IntegerTypeWithTextArgumentIsInvalid) {
    EXPECT_THROW(format("%d", {"text"}), FormatError);
    EXPECT_THROW(format("%*s", {"3", "x"}), FormatError);
}

TEST(FormatTest, UnsignedArgumentKeepsItsBitPattern) {
    const std::vector<FormatArg> args{std::uint32_t{0x80040113}};
    EXPECT_EQ(format("%x", args), "80040113");
}

} // namespace
