#include "engine/OutputFileName.h"

#include "platform/Format.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using engine::expandPlaceholders;
using engine::fileName;

// Values of one message; unknown tokens come back with their "%", as a message answers them.
class FakeMessage : public engine::TokenProvider {
public:
    std::map<std::string, std::string> values{{"FROM", "me@example.org"}, {"SUBJECT", "Report"}};
    std::vector<std::string> asked;

    std::string tokenValue(const std::string& token) override {
        asked.push_back(token);
        std::string upper = token;
        for (char& c : upper) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        const auto found = values.find(upper);
        return found == values.end() ? "%" + token : found->second;
    }
};

struct ExpandCase {
    const char* name;
    const char* format;
    std::int32_t number;
    const char* expanded;
};

class ExpandTest : public testing::TestWithParam<ExpandCase> {};

TEST_P(ExpandTest, ExpandsByTheStateTable) {
    FakeMessage message;
    EXPECT_EQ(expandPlaceholders(GetParam().format, &message, GetParam().number), GetParam().expanded);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExpandTest,
    testing::Values(ExpandCase{"TokenUnderscoreNumber", "%FROM_%NUMBER", 7, "me@example.org_7"},
                    ExpandCase{"PercentEndsTokenAndIsConsumed", "%FROM%.txt", 1, "me@example.org.txt"},
                    ExpandCase{"DoublePercent", "%%", 1, "%"},
                    ExpandCase{"DirectivePassesThrough", "%5.5d.txt", 1, "%5.5d.txt"},
                    ExpandCase{"UnknownTokenKeepsPercent", "%XYZ.txt", 255, "%XYZ.txt"},
                    ExpandCase{"LiteralPercentBeforeDot", "mail%%.txt", 1, "mail%.txt"},
                    ExpandCase{"TrailingPercentKept", "ab%", 1, "ab%"},
                    ExpandCase{"TokenAtEnd", "x%SUBJECT", 1, "xReport"},
                    ExpandCase{"DigitEndsToken", "%FROM1", 1, "me@example.org1"},
                    ExpandCase{"NumberAnyCase", "%number.txt", 12, "12.txt"},
                    ExpandCase{"NegativeNumber", "%NUMBER", -12, "-12"},
                    ExpandCase{"SecondPercentEndsFirstToken", "%d%d", 1, "%dd"},
                    ExpandCase{"PercentThenOther", "%-4d", 1, "%-4d"}),
    [](const testing::TestParamInfo<ExpandCase>& info) { return info.param.name; });

TEST(ExpandTest, TokensReachTheProviderAsWritten) {
    FakeMessage message;
    expandPlaceholders("%subject %NUMBER %Foo", &message, 1);
    EXPECT_EQ(message.asked, (std::vector<std::string>{"subject", "Foo"}));
}

TEST(ExpandTest, WithoutProviderTokensStay) {
    EXPECT_EQ(expandPlaceholders("%FROM_%NUMBER", nullptr, 3), "%FROM_3");
}

struct NameCase {
    const char* name;
    const char* format;
    const char* subject;
    std::int32_t number;
    const char* fileName;
};

class FileNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(FileNameTest, ExpandsFormatsAndFilters) {
    FakeMessage message;
    message.values["SUBJECT"] = GetParam().subject;
    EXPECT_EQ(fileName(GetParam().format, message, GetParam().number), GetParam().fileName);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileNameTest,
    testing::Values(NameCase{"DefaultFormatZero", "%5.5d.txt", "", 0, "00000.txt"},
                    NameCase{"SubjectFiltered", "%SUBJECT.txt", "Re: Report 3/4", 1, "Re Report 34.txt"},
                    NameCase{"SubjectKeepsTab", "%SUBJECT.txt", "a\tb", 1, "a\tb.txt"},
                    NameCase{"SubjectHoldsDirective", "%SUBJECT.txt", "no %d", 9, "no 9.txt"},
                    NameCase{"UnknownTokenReadAsHex", "%XYZ.txt", "", 255, "FFYZ.txt"},
                    NameCase{"NumberToken", "%NUMBER.txt", "", 12, "12.txt"},
                    NameCase{"TrailingPercentDropped", "ab%", "", 1, "ab"},
                    NameCase{"FourPercentsGiveOne", "mail%%%%.txt", "", 1, "mail%.txt"},
                    NameCase{"PercentDigitDigit", "%d%d", "", 7, "7d"}),
    [](const testing::TestParamInfo<NameCase>& info) { return info.param.name; });

struct FailureCase {
    const char* name;
    const char* format;
    const char* subject;
    const char* message;
};

class FileNameFailureTest : public testing::TestWithParam<FailureCase> {};

TEST_P(FileNameFailureTest, FailsWithTheFormatError) {
    FakeMessage message;
    message.values["SUBJECT"] = GetParam().subject;
    try {
        fileName(GetParam().format, message, 1);
        FAIL() << "no error";
    } catch (const platform::FormatError& error) {
        EXPECT_STREQ(error.what(), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FileNameFailureTest,
                         testing::Values(FailureCase{"LiteralPercentNeedsFour", "mail%%.txt", "",
                                                     "Format '%.t' invalid or incompatible with argument"},
                                         FailureCase{"PercentInSubject", "%SUBJECT.txt", "50% off",
                                                     "Format '% ' invalid or incompatible with argument"},
                                         FailureCase{"TwoDirectives", "%d %d", "",
                                                     "No argument for format '%d'"}),
                         [](const testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

std::string repeated(std::string_view text, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        out += text;
    }
    return out;
}

struct LongNameCase {
    const char* name;
    std::string format;
    std::string subject;
    std::string from;
    std::string fileName;
};

class LongNameTest : public testing::TestWithParam<LongNameCase> {};

TEST_P(LongNameTest, ValuesAreCutUntilTheNameFits) {
    FakeMessage message;
    message.values["SUBJECT"] = GetParam().subject;
    message.values["FROM"] = GetParam().from;
    EXPECT_EQ(fileName(GetParam().format, message, 1), GetParam().fileName);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LongNameTest,
    testing::Values(LongNameCase{"FitsExactly", "%5.5d %SUBJECT.txt", std::string(245, 'a'), "",
                                 "00001 " + std::string(245, 'a') + ".txt"},
                    LongNameCase{"OneByteOver", "%5.5d %SUBJECT.txt", std::string(246, 'a'), "",
                                 "00001 " + std::string(245, 'a') + ".txt"},
                    LongNameCase{"NumberAndExtensionKept", "%SUBJECT_%5.5d.txt", std::string(1000, 'b'), "",
                                 std::string(245, 'b') + "_00001.txt"},
                    LongNameCase{"CutAtACharacterBoundary", "%SUBJECT.txt", repeated("\xC3\xA9", 200), "",
                                 repeated("\xC3\xA9", 125) + ".txt"},
                    LongNameCase{"FourByteCharacters", "%SUBJECT", repeated("\xF0\x9F\x93\xA7", 100), "",
                                 repeated("\xF0\x9F\x93\xA7", 63)},
                    LongNameCase{"EveryValueCutAlike", "%FROM %SUBJECT", std::string(300, 's'),
                                 std::string(300, 'f'), std::string(127, 'f') + " " + std::string(127, 's')},
                    LongNameCase{"ShortValueKept", "%FROM %SUBJECT", std::string(300, 's'), "me",
                                 "me " + std::string(252, 's')},
                    LongNameCase{"FilteredCharactersDoNotCount", "%SUBJECT", repeated("a/", 300), "",
                                 std::string(255, 'a')},
                    LongNameCase{"CutNeverEndsInAPercent", "%SUBJECT.txt",
                                 std::string(250, 'p') + "%%" + std::string(9, 'p'), "",
                                 std::string(250, 'p') + ".txt"},
                    LongNameCase{"FormatTextAloneTooLongIsLeft", std::string(300, 'x') + "%SUBJECT", "s", "",
                                 std::string(300, 'x') + "s"}),
    [](const testing::TestParamInfo<LongNameCase>& info) { return info.param.name; });

TEST(LongNameTest, PathFitsWithTheFolder) {
    FakeMessage message;
    message.values["SUBJECT"] = std::string(200, 'a');
    const std::string folder = "/" + std::string(4000, 'd') + "/";
    const std::string path = engine::outputFileName(folder, "%SUBJECT_%5.5d.txt", message, 3);
    EXPECT_EQ(path, folder + std::string(83, 'a') + "_00003.txt");
    EXPECT_EQ(path.size(), engine::kMaxPathBytes);
}

TEST(FilterTest, DropsTheNineCharactersOnly) {
    EXPECT_EQ(engine::filterFileName("a\"b*c/d:e<f>g?h\\i|j"), "abcdefghij");
    EXPECT_EQ(engine::filterFileName("\x01\t\xC3\xA9 .~"), "\x01\t\xC3\xA9 .~");
}

struct FolderCase {
    const char* name;
    const char* folder;
    const char* normalised;
};

class NormaliseFolderTest : public testing::TestWithParam<FolderCase> {};

TEST_P(NormaliseFolderTest, Normalises) {
    EXPECT_EQ(engine::normaliseFolder(GetParam().folder), GetParam().normalised);
}

INSTANTIATE_TEST_SUITE_P(Cases, NormaliseFolderTest,
                         testing::Values(FolderCase{"Empty", "", "/"},
                                         FolderCase{"Plain", "/tmp/x", "/tmp/x/"},
                                         FolderCase{"AlreadySlash", "/tmp/x/", "/tmp/x/"},
                                         FolderCase{"Quoted", "\"/tmp/x\"", "/tmp/x/"},
                                         FolderCase{"QuotedWithSlash", "\"/tmp/x/\"", "/tmp/x/"},
                                         FolderCase{"OneQuote", "\"", "/"},
                                         FolderCase{"OnlyOneQuoteEachSide", "\"\"a\"\"", "\"a\"/"},
                                         FolderCase{"BackslashIsNoSeparator", "C:\\x\\", "C:\\x\\/"}),
                         [](const testing::TestParamInfo<FolderCase>& info) { return info.param.name; });

TEST(OutputFileNameTest, PutsTheFolderInFront) {
    FakeMessage message;
    EXPECT_EQ(engine::outputFileName("/out/", "%FROM_%5.5d.txt", message, 42),
              "/out/me@example.org_00042.txt");
}

} // namespace
