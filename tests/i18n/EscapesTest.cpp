#include "i18n/Escapes.h"

#include <gtest/gtest.h>

namespace {

using i18n::DecodeEscapes;
using i18n::EncodeEscapes;
using i18n::EscapeError;

struct DecodeCase {
    const char* name;
    std::string value;
    std::string decoded;
};

class DecodeTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTest, Decodes) {
    EXPECT_EQ(DecodeEscapes(GetParam().value), GetParam().decoded);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeTest,
    testing::Values(DecodeCase{"BackslashTIsATab", "C:\\temp", "C:\temp"},
                    DecodeCase{"DoubleBackslash", "C:\\\\temp", "C:\\temp"},
                    DecodeCase{"Octal", "\\101", "A"}, DecodeCase{"OctalMaximum", "\\377", "\xFF"},
                    DecodeCase{"OctalZero", "a\\000b", std::string("a\0b", 3)},
                    DecodeCase{"LineBreak", "one\\r\\ntwo", "one\r\ntwo"},
                    DecodeCase{"AllLetters", "\\a\\b\\t\\n\\v\\f\\r\\e", "\a\b\t\n\v\f\r\x1b"},
                    DecodeCase{"UnknownLetterStays", "\\q", "\\q"},
                    DecodeCase{"EightIsNoOctalDigit", "\\8", "\\8"},
                    DecodeCase{"UpperCaseLetterStays", "\\N", "\\N"},
                    DecodeCase{"PlainText", "Connecting...", "Connecting..."}),
    [](const testing::TestParamInfo<DecodeCase>& info) { return info.param.name; });

struct ErrorCase {
    const char* name;
    const char* value;
    const char* problem;
};

class DecodeErrorTest : public testing::TestWithParam<ErrorCase> {};

TEST_P(DecodeErrorTest, NamesTheProblemAndQuotesTheValue) {
    try {
        DecodeEscapes(GetParam().value);
        FAIL() << "no error";
    } catch (const EscapeError& error) {
        EXPECT_EQ(error.what(), std::string(GetParam().problem) + "\r\n\r\n" + GetParam().value);
        EXPECT_EQ(error.helpContext(), 530);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeErrorTest,
    testing::Values(ErrorCase{"NonOctalSecondDigit", "x\\18x",
                              "\\OOO You must specify all 3 octal digits (Leading zeros are required)"},
                    ErrorCase{"AboveMaximum", "\\400", "\\OOO Maximum octal value is \\377:"},
                    ErrorCase{"TrailingBackslash", "abc\\",
                              "Trailing \\ needs to be followed by another \\ or 3 Octal digits"},
                    ErrorCase{"TwoDigitsAtEnd", "abc\\12", "\\OOO Expecting 3 trailing octal digits"},
                    ErrorCase{"OneDigitAtEnd", "\\1", "\\OOO Expecting 3 trailing octal digits"}),
    [](const testing::TestParamInfo<ErrorCase>& info) { return info.param.name; });

TEST(EncodeTest, WritesEscapes) {
    EXPECT_EQ(EncodeEscapes("C:\\temp\r\n\t\x1b"), "C:\\\\temp\\r\\n\\t\\e");
    EXPECT_EQ(EncodeEscapes(std::string("\x01\x0e\x1f\0", 4)), "\\001\\016\\037\\000");
    EXPECT_EQ(EncodeEscapes("[] ~\x7f\xc3\xa9"), "[] ~\x7f\xc3\xa9");
}

TEST(EncodeTest, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) {
        all += static_cast<char>(byte);
    }
    const std::string encoded = EncodeEscapes(all);
    EXPECT_EQ(encoded.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(DecodeEscapes(encoded), all);
}

} // namespace
