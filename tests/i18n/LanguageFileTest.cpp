#include "i18n/LanguageFile.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using i18n::LanguageFile;

struct LookupCase {
    const char* name;
    const char* file;
    const char* section;
    const char* key;
    std::optional<std::string> value;
};

class LanguageFileLookupTest : public testing::TestWithParam<LookupCase> {};

TEST_P(LanguageFileLookupTest, FollowsTheIniRules) {
    EXPECT_EQ(LanguageFile::parse(GetParam().file).value(GetParam().section, GetParam().key),
              GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LanguageFileLookupTest,
    testing::Values(
        LookupCase{"Found", "[global]\r\n8250=Busy\r\n", "global", "8250", "Busy"},
        LookupCase{"EmptyValueIsPresent", "[global]\r\n8250=\r\n", "global", "8250", ""},
        LookupCase{"BlankBeforeEqualsIsPartOfKey", "[global]\r\n8250 =Busy\r\n", "global", "8250",
                   std::nullopt},
        LookupCase{"BlankLedKey", "[global]\r\n 8250=Busy\r\n", "global", "8250", std::nullopt},
        LookupCase{"BlankAfterEqualsIsPartOfValue", "[global]\r\n8250= Busy \r\n", "global", "8250",
                   " Busy "},
        LookupCase{"FirstEqualsSplits", "[global]\r\n1=a=b\r\n", "global", "1", "a=b"},
        LookupCase{"LineWithoutEqualsNeverMatches", "[global]\r\n8250\r\n", "global", "8250", std::nullopt},
        LookupCase{"FirstDuplicateKeyWins", "[global]\r\n1=first\r\n1=second\r\n", "global", "1", "first"},
        LookupCase{"FirstDuplicateSectionWins", "[global]\r\n1=a\r\n[GLOBAL]\r\n1=b\r\n2=c\r\n", "global",
                   "2", std::nullopt},
        LookupCase{"HeaderWithTrailingBlankIsALine", "[A]\r\n[global] \r\n1=x\r\n", "A", "1", "x"},
        LookupCase{"TrailingBlankHeaderOpensNothing", "[A]\r\n[global] \r\n1=x\r\n", "global ", "1",
                   std::nullopt},
        LookupCase{"SectionNameKeepsBlanks", "[ global ]\r\n1=x\r\n", " global ", "1", "x"},
        LookupCase{"NamesIgnoreCase", "[TForm1]\r\nOKBtn.Caption=OK\r\n", "tform1", "okbtn.caption", "OK"},
        LookupCase{"LinesBeforeFirstSectionIgnored", "1=x\r\n[global]\r\n", "global", "1", std::nullopt},
        LookupCase{"CommentIgnored", "[global]\r\n;1=x\r\n", "global", ";1", std::nullopt},
        LookupCase{"LoneLineFeeds", "[global]\n1=x\n2=y", "global", "2", "y"},
        LookupCase{"LoneCarriageReturns", "[global]\r1=x\r2=y\r", "global", "2", "y"},
        LookupCase{"ByteOrderMarkSpoilsFirstHeader", "\xEF\xBB\xBF[global]\r\n1=x\r\n", "global", "1",
                   std::nullopt},
        LookupCase{"MissingSection", "[global]\r\n1=x\r\n", "other", "1", std::nullopt}),
    [](const testing::TestParamInfo<LookupCase>& info) { return info.param.name; });

TEST(LanguageFileTest, WritesSectionsLinesAndAnEmptyLineWithoutComments) {
    LanguageFile file = LanguageFile::parse("; comment\nbefore=1\n[global]\n\n1=a\n[TForm1]\nX.Caption=b\n");
    EXPECT_EQ(file.text(), "[global]\r\n1=a\r\n\r\n[TForm1]\r\nX.Caption=b\r\n\r\n");
}

TEST(LanguageFileTest, SetValueReplacesTheFirstLineOrAppends) {
    LanguageFile file = LanguageFile::parse("[global]\n1=a\n1=b\n[Other]\nk=v\n");
    file.setValue("GLOBAL", "1", "new");
    file.setValue("global", "2", "added");
    file.setValue("TTstatusForm", "Exceptions.col_1.row_0", "Subject");
    EXPECT_EQ(file.text(), "[global]\r\n1=new\r\n1=b\r\n2=added\r\n\r\n[Other]\r\nk=v\r\n\r\n"
                           "[TTstatusForm]\r\nExceptions.col_1.row_0=Subject\r\n\r\n");
}

} // namespace
