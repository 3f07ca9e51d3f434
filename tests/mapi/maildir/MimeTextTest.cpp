// The text pieces below the body and the listing, as tables of one-line cases: header decoding
// (with GMime 3.2.13's dropped-word bug), address lists, charsets, HTML layout and the raw
// Subject edit.

#include "mapi/mime/Charset.h"
#include "mapi/mime/HeaderText.h"
#include "mapi/mime/HtmlText.h"
#include "mapi/mime/SubjectRewrite.h"

#include <gtest/gtest.h>

namespace {

using namespace mapi::mime;

struct TextCase {
    const char* name;
    std::string input;
    std::string expected;
};

std::string rowName(const ::testing::TestParamInfo<TextCase>& info) {
    return info.param.name;
}

std::string repeated(std::string_view text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

class HeaderTextCases : public ::testing::TestWithParam<TextCase> {};

TEST_P(HeaderTextCases, DecodesToOneLineOfUtf8) {
    EXPECT_EQ(decodeHeaderText(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, HeaderTextCases,
    ::testing::Values(
        TextCase{"PaddedBase64WordsBothKept", "=?UTF-8?B?SGVsbG8=?= =?UTF-8?B?IHdvcmxk?=", "Hello world"},
        TextCase{"QuotedWordWithUnderscores", "=?iso-8859-1?q?caf=E9_au_lait?=", "café au lait"},
        TextCase{"MixedPlainAndEncoded", "Re: =?utf-8?b?w6k=?= ok", "Re: é ok"},
        TextCase{"RawUtf8",
                 "Gr\xC3\xBC\xC3\x9F"
                 "e",
                 "Grüße"},
        TextCase{"RawLatin1",
                 "Gr\xFC\xDF"
                 "e",
                 "Grüße"},
        TextCase{"FoldedValue", " Hello\r\n\tworld ", "Hello world"},
        TextCase{"EncodedLineBreakBecomesBlanks", "=?UTF-8?Q?a=0D=0Ab?=", "a  b"}),
    rowName);

class AddressCases : public ::testing::TestWithParam<TextCase> {};

TEST_P(AddressCases, DisplayListShowsNamesElseAddresses) {
    EXPECT_EQ(displayList(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, AddressCases,
    ::testing::Values(TextCase{"NamesAndBareAddress", "Ann <a@x.org>, b@x.org", "Ann; b@x.org"},
                      TextCase{"QuotedNameWithComma", "\"Lee, Ann\" <a@x.org>", "Lee, Ann"},
                      TextCase{"EncodedNameAfterPaddedWord", "=?UTF-8?B?SsO2?= =?UTF-8?B?cmc=?= <j@x.org>",
                               "Jörg"},
                      TextCase{"GroupMembers", "Team: a@x.org, Bo <b@x.org>;", "a@x.org; Bo"},
                      TextCase{"EmptyGroup", "undisclosed-recipients:;", "undisclosed-recipients"},
                      TextCase{"Empty", "", ""}),
    rowName);

TEST(SenderAddress, IsTheFirstAddrSpec) {
    EXPECT_EQ(firstAddress("\"Ann\" <Ann.Lee@Example.org> (work)"), "Ann.Lee@Example.org");
    EXPECT_EQ(firstAddress("Team: b@x.org;"), "b@x.org");
    EXPECT_EQ(firstAddress(""), "");
}

struct CharsetCase {
    const char* name;
    std::string charset;
    std::string bytes;
    std::string expected;
};

class CharsetCases : public ::testing::TestWithParam<CharsetCase> {};

TEST_P(CharsetCases, ConvertToUtf8) {
    EXPECT_EQ(toUtf8(GetParam().bytes, GetParam().charset), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Charsets, CharsetCases,
    ::testing::Values(CharsetCase{"Latin1LabelReadAsWindows1252", "ISO-8859-1", "\x80 \xE9", "€ é"},
                      CharsetCase{"UsAsciiWith8Bit", "us-ascii", "\x93hi\x94", "\u201Chi\u201D"},
                      CharsetCase{"QuotedLabel", "\"utf-8\"", "\xC3\xA9", "é"},
                      CharsetCase{"Iso885915ThroughIconv", "iso-8859-15", "\xA4", "€"},
                      CharsetCase{"Utf7IsNotAsciiCompatible", "utf-7", "+AOQ-", "ä"},
                      CharsetCase{"Utf16", "utf-16le", std::string("a\0b\0", 4), "ab"},
                      CharsetCase{"InvalidBytesReplaced", "shift_jis", "\x82\xA0\xFF", "あ\uFFFD"},
                      CharsetCase{"UnknownLabelLikeUndeclared", "x-no-such-charset", "caf\xE9", "café"},
                      CharsetCase{"UndefinedWindows1252Byte", "", "\x81", "\uFFFD"}),
    [](const ::testing::TestParamInfo<CharsetCase>& info) { return std::string(info.param.name); });

class HtmlCases : public ::testing::TestWithParam<TextCase> {};

TEST_P(HtmlCases, RenderAsReadableText) {
    EXPECT_EQ(htmlToText(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Html, HtmlCases,
    ::testing::Values(
        TextCase{"ParagraphsAndBreaks", "<p>one<br>two</p><p>three</p>", "one\ntwo\n\nthree"},
        TextCase{"BlanksCollapse", "<div>  a \n\t b  </div>", "a b"},
        TextCase{"PreformattedKept", "<pre>a  b\n  c</pre>after", "a  b\n  c\n\nafter"},
        TextCase{"ScriptStyleAndHeadDropped",
                 "<html><head><title>T</title><style>x{}</style></head><body><script>var "
                 "a;</script>text</body></html>",
                 "text"},
        TextCase{"EntitiesDecoded", "&lt;a&gt; &amp; &quot;b&quot; &eacute;&#233;&#x20AC;",
                 "<a> & \"b\" éé€"},
        TextCase{"TableCellsApart", "<table><tr><td>a</td><td>b</td></tr><tr><td>c</td></tr></table>",
                 "a b\nc"},
        TextCase{"BrokenMarkupRecovered", "<p>open <b>bold <i>both</p>next", "open bold both\n\nnext"},
        TextCase{"StaleMetaCharsetIgnored", "<meta charset=iso-8859-1><p>\xC3\xA9</p>", "é"},
        TextCase{"SkippedElementHidesNestedBlocks", "<div>a<template><p>x</p>y</template>b</div>", "ab"},
        TextCase{"NonBreakingSpacesKept", "a&nbsp;&nbsp;b\xC2\xA0 c", "a  b  c"},
        TextCase{"ListItemsMarked", "<ul><li>one<li>two</ul>", "* one\n* two"},
        TextCase{"PreformattedCrLf", "<pre>a\r\n b</pre>", "a\n b"},
        TextCase{"OutlookConditionalsRemoved", "x<![if !mso]><p>y</p><![endif]>z", "x\n\ny\n\nz"},
        TextCase{"ConditionalCommentEndIsNoMarker",
                 "<!--[if mso]><table><![endif]--><p>kept</p><!--[if mso]></table><![endif]-->", "kept"},
        TextCase{"XmlIslandDropped", "<body><xml><w:data>hidden</w:data></xml><p>shown</p></body>", "shown"},
        TextCase{"TextAfterTheEndKept", "<p>a</p></html><p>b</p>", "a\n\nb"},
        TextCase{"AfterTheEndDroppedBehindADoctype", "<!DOCTYPE html><p>a</p></html><p>b</p>", "a"},
        TextCase{"AfterTheEndDroppedBehindAComment", "<!-- x --><p>a</p></html>b", "a"},
        TextCase{"DeepNesting", repeated("<div>", 20000) + "deep", "deep"}, TextCase{"Empty", "", ""}),
    rowName);

class SubjectCases : public ::testing::TestWithParam<TextCase> {};

TEST_P(SubjectCases, OnlyTheSubjectFieldChanges) {
    EXPECT_EQ(withSubject(GetParam().input, "New"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Subjects, SubjectCases,
    ::testing::Values(
        TextCase{"Replaced", "A: 1\nSubject: Old\nB: 2\n\nbody", "A: 1\nSubject: New\nB: 2\n\nbody"},
        TextCase{"FoldedReplaced", "Subject: Old\n more\nB: 2\n\nbody", "Subject: New\nB: 2\n\nbody"},
        TextCase{"CrLfKept", "A: 1\r\nSubject: Old\r\n\r\nbody\r\n", "A: 1\r\nSubject: New\r\n\r\nbody\r\n"},
        TextCase{"AddedBeforeTheBlankLine", "A: 1\r\n\r\nbody", "A: 1\r\nSubject: New\r\n\r\nbody"},
        TextCase{"AddedToHeadersWithoutEnd", "A: 1", "A: 1\nSubject: New\n"},
        TextCase{"NoHeadersAtAll", "just text\n", "Subject: New\n\njust text\n"},
        TextCase{"SubjectInBodyUntouched", "A: 1\n\nSubject: Old\n", "A: 1\nSubject: New\n\nSubject: Old\n"}),
    rowName);

TEST(SubjectRewrite, NonAsciiIsEncodedAndLongSubjectsFolded) {
    const std::string subject = "Grüße " + std::string(100, 'x') + " end";
    const std::string out = withSubject("A: 1\n\n", subject);
    EXPECT_EQ(out.find("Grüße"), std::string::npos);
    EXPECT_NE(out.find("=?UTF-8?"), std::string::npos) << out;
    const std::size_t start = out.find("Subject:") + 8;
    const std::string field = out.substr(start, out.find("\n\n") - start);
    for (std::size_t line = 0, next = 0; line < field.size(); line = next + 1) {
        next = std::min(field.find('\n', line), field.size());
        EXPECT_LE(next - line, 80u) << out; // GMime cuts long words into 76-byte encoded words
    }
    EXPECT_NE(field.find("\n "), std::string::npos) << out;
    EXPECT_EQ(decodeHeaderText(field), subject);
}

} // namespace
