#include "platform/HiveText.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

const char* const kKey = "HKEY_CURRENT_USER\\Software\\Tamberlock\\Larkspire";

TEST(HiveTextTest, ReadsWhatOtherToolsWrite) {
    const std::string text = "REGEDIT4\r\n"
                             "\r\n"
                             "; a comment\r\n"
                             "[HKEY_CURRENT_USER\\Software\\Tamberlock\\Larkspire]\r\n"
                             "@=\"default\"\r\n"
                             "\"long\"=hex:01,02,\\\r\n"
                             "  03,04\r\n"
                             "\"path\"=hex(2):25,48,4f,4d,45,25,00\r\n"
                             "\"multi\"=hex(7):61,00,62,00,00,00\r\n"
                             "\"n\"=dword:0000002A\r\n";
    const HiveParseResult parsed = parseHiveText(text);
    ASSERT_FALSE(parsed.problem) << parsed.problem->reason;
    const HiveKeyData* key = parsed.document.find(kKey);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(*key->find(""), HiveValue::string("default"));
    EXPECT_EQ(*key->find("long"), HiveValue::binary(std::string("\x01\x02\x03\x04", 4)));
    EXPECT_EQ(*key->find("path"), HiveValue::expandString("%HOME%"));
    EXPECT_EQ(key->find("multi")->type, static_cast<HiveType>(7));
    EXPECT_EQ(key->find("n")->dwordValue(), 42u);
}

TEST(HiveTextTest, FormatsEveryTypeAndEscape) {
    HiveDocument document;
    HiveKeyData& key = document.findOrAdd(kKey);
    key.set("a\"b\\c", HiveValue::string(std::string("x\\y\"z\r\n\t\x01\x7f\xc3\xa9", 12)));
    key.set("n", HiveValue::dword(0xDEADBEEF));
    key.set("bin", HiveValue::binary(std::string("\x00\xff", 2)));
    key.set("exp", HiveValue::expandString("%A%"));
    key.set("", HiveValue::string(""));
    key.set("multi", HiveValue{static_cast<HiveType>(7), std::string("a\0\0", 3)});
    const std::string text = formatHiveText(document);
    EXPECT_EQ(text, "REGEDIT4\n\n"
                    "[HKEY_CURRENT_USER\\Software\\Tamberlock\\Larkspire]\n"
                    "\"a\\\"b\\\\c\"=\"x\\\\y\\\"z\\r\\n\\x09\\x01\\x7f\xc3\xa9\"\n"
                    "\"n\"=dword:deadbeef\n"
                    "\"bin\"=hex:00,ff\n"
                    "\"exp\"=hex(2):25,41,25,00\n"
                    "@=\"\"\n"
                    "\"multi\"=hex(7):61,00,00\n\n");
    const HiveParseResult parsed = parseHiveText(text);
    ASSERT_FALSE(parsed.problem);
    EXPECT_EQ(parsed.document.keys.size(), 1u);
    EXPECT_EQ(parsed.document.keys[0].values, key.values);
}

TEST(HiveTextTest, NamesCompareWithoutCaseAndKeepTheirFirstSpelling) {
    const HiveParseResult parsed =
        parseHiveText("REGEDIT4\n[HKEY_CURRENT_USER\\Software\\X]\n\"Save Folder\"=\"a\"\n"
                      "[hkey_current_user\\SOFTWARE\\x]\n\"save folder\"=\"b\"\n");
    ASSERT_FALSE(parsed.problem);
    ASSERT_EQ(parsed.document.keys.size(), 1u);
    EXPECT_EQ(parsed.document.keys[0].path, "HKEY_CURRENT_USER\\Software\\X");
    ASSERT_EQ(parsed.document.keys[0].values.size(), 1u);
    EXPECT_EQ(parsed.document.keys[0].values[0].first, "Save Folder");
    EXPECT_EQ(parsed.document.keys[0].values[0].second, HiveValue::string("b"));
    EXPECT_TRUE(parsed.document.exists("HKEY_CURRENT_USER\\software"));
    EXPECT_FALSE(parsed.document.exists("HKEY_CURRENT_USER\\Soft"));
}

struct DamageCase {
    const char* name;
    const char* line;
};

void PrintTo(const DamageCase& c, std::ostream* out) {
    *out << c.name;
}

class HiveTextDamageTest : public testing::TestWithParam<DamageCase> {};

// The bad line sits between two good values of one key: both good values are read, and the
// problem names the bad line.
TEST_P(HiveTextDamageTest, SkipsTheBadLineAndReadsTheRest) {
    const std::string text = std::string("REGEDIT4\n\n[HKEY_CURRENT_USER\\K]\n\"before\"=dword:00000001\n") +
                             GetParam().line + "\n\"after\"=\"2\"\n";
    const HiveParseResult parsed = parseHiveText(text);
    ASSERT_TRUE(parsed.problem);
    EXPECT_EQ(parsed.problem->line, 5);
    EXPECT_EQ(parsed.problem->badLines, 1);
    const HiveKeyData* key = parsed.document.find("HKEY_CURRENT_USER\\K");
    ASSERT_NE(key, nullptr);
    EXPECT_NE(key->find("before"), nullptr);
    EXPECT_NE(key->find("after"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, HiveTextDamageTest,
    testing::Values(DamageCase{"Garbage", "garbage"}, DamageCase{"DwordTooLong", "\"x\"=dword:123456789"},
                    DamageCase{"DwordNotHex", "\"x\"=dword:12g4"},
                    DamageCase{"HexOneDigit", "\"x\"=hex:1,02"}, DamageCase{"UnclosedString", "\"x\"=\"abc"},
                    DamageCase{"UnknownEscape", "\"x\"=\"a\\qb\""},
                    DamageCase{"ShortHexEscape", "\"x\"=\"a\\x4\""},
                    DamageCase{"TextAfterString", "\"x\"=\"a\" b"},
                    DamageCase{"DwordOfThreeBytes", "\"x\"=hex(4):01,02,03"}, DamageCase{"NoEquals", "\"x\""},
                    DamageCase{"DeletionMarker", "\"x\"=-"}),
    [](const testing::TestParamInfo<DamageCase>& info) { return std::string(info.param.name); });

TEST(HiveTextTest, ValuesBelowABadKeyLineAreDroppedNotMisfiled) {
    const HiveParseResult parsed =
        parseHiveText("REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"a\"=\"1\"\n[-HKEY_CURRENT_USER\\B]\n\"b\"=\"2\"\n"
                      "[HKEY_CURRENT_USER\\C]\n\"c\"=\"3\"\n");
    ASSERT_TRUE(parsed.problem);
    EXPECT_EQ(parsed.problem->line, 4);
    EXPECT_EQ(parsed.document.find("HKEY_CURRENT_USER\\A")->values.size(), 1u);
    EXPECT_NE(parsed.document.find("HKEY_CURRENT_USER\\C")->find("c"), nullptr);
}

TEST(HiveTextTest, AMissingSignatureIsDamageButTheKeysAreRead) {
    const HiveParseResult parsed = parseHiveText("[HKEY_CURRENT_USER\\A]\n\"a\"=\"1\"\n");
    ASSERT_TRUE(parsed.problem);
    EXPECT_EQ(parsed.problem->line, 1);
    EXPECT_TRUE(parsed.document.exists("HKEY_CURRENT_USER\\A"));
}

// Whatever a damaged file holds, what could be read is written back in a form that reads clean
// and gives the same keys and values.
TEST(HiveTextTest, WhatWasReadFromDamageIsWrittenBackClean) {
    HiveDocument document;
    HiveKeyData& key = document.findOrAdd("HKEY_CURRENT_USER\\Software\\A");
    key.set("text", HiveValue::string("a\\b\"c\r\nd"));
    key.set("n", HiveValue::dword(7));
    key.set("bin", HiveValue::binary("\x01\x02"));
    document.findOrAdd("HKEY_CURRENT_USER\\Software\\B").set("", HiveValue::expandString("%X%"));
    const std::string text = formatHiveText(document);
    for (std::size_t at = 0; at < text.size(); ++at)
        for (const char c : {'"', '\\', '\n', '[', ']', '=', ',', '\0', 'x'}) {
            std::string damaged = text;
            damaged[at] = c;
            const HiveParseResult first = parseHiveText(damaged);
            const HiveParseResult second = parseHiveText(formatHiveText(first.document));
            EXPECT_FALSE(second.problem) << "at " << at << " '" << c << "'";
            ASSERT_EQ(second.document.keys.size(), first.document.keys.size());
            for (std::size_t i = 0; i < first.document.keys.size(); ++i) {
                EXPECT_EQ(second.document.keys[i].path, first.document.keys[i].path);
                EXPECT_EQ(second.document.keys[i].values, first.document.keys[i].values);
            }
        }
}

TEST(HiveTextTest, AnEmptyFileIsAnEmptyHive) {
    const HiveParseResult parsed = parseHiveText("");
    EXPECT_FALSE(parsed.problem);
    EXPECT_TRUE(parsed.document.keys.empty());
}

} // namespace
} // namespace platform
