// The pieces of the IMAP client that need no server: store URLs, response values, UID sets,
// dates, and the folder tree built from a LIST.

#include "mapi/imap/ImapSyntax.h"
#include "mapi/imap/ImapError.h"
#include "mapi/imap/ImapFolderTree.h"
#include "mapi/imap/ImapUrl.h"

#include <gtest/gtest.h>

namespace mapi {
namespace {

struct UrlCase {
    const char* name;
    const char* url;
    bool tls;
    const char* user;
    const char* host;
    int port; // 0: the URL is refused
};

class ImapUrlTest : public ::testing::TestWithParam<UrlCase> {};

TEST_P(ImapUrlTest, ParsesOrRefuses) {
    const UrlCase& c = GetParam();
    if (c.port == 0) {
        try {
            parseImapUrl(c.url);
            FAIL() << "accepted " << c.url;
        } catch (const ImapError& error) {
            EXPECT_EQ(error.code(), MAPI_E_INVALID_PARAMETER);
            EXPECT_NE(std::string(error.what()).find(c.url), std::string::npos) << error.what();
        }
        return;
    }
    const ImapAccount account = parseImapUrl(c.url);
    EXPECT_EQ(account.implicitTls, c.tls);
    EXPECT_EQ(account.user, c.user);
    EXPECT_EQ(account.host, c.host);
    EXPECT_EQ(account.port, c.port);
}

INSTANTIATE_TEST_SUITE_P(
    Urls, ImapUrlTest,
    ::testing::Values(UrlCase{"Imap", "imap://me@imap.example.org/", false, "me", "imap.example.org", 143},
                      UrlCase{"ImapsWithoutSlash", "imaps://me@imap.example.org", true, "me",
                              "imap.example.org", 993},
                      UrlCase{"PercentEncodedUser", "imaps://me%40example.org@host:1993/", true,
                              "me@example.org", "host", 1993},
                      UrlCase{"Ipv6", "imap://me@[::1]:1143/", false, "me", "::1", 1143},
                      UrlCase{"SchemeInCapitals", "IMAPS://me@host/", true, "me", "host", 993},
                      UrlCase{"NoUser", "imap://imap.example.org/", false, "", "", 0},
                      UrlCase{"Path", "imap://me@host/INBOX", false, "", "", 0},
                      UrlCase{"PortTooLarge", "imap://me@host:70000/", false, "", "", 0},
                      UrlCase{"PortEmpty", "imap://me@host:/", false, "", "", 0},
                      UrlCase{"BrokenPercent", "imap://me%4@host/", false, "", "", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ImapLoopbackTest, OnlyNamesAndAddressesOfThisMachine) {
    for (const char* host : {"localhost", "LocalHost", "127.0.0.1", "127.8.9.10", "::1"})
        EXPECT_TRUE(isLoopbackHost(host)) << host;
    for (const char* host : {"imap.example.org", "10.0.0.1", "128.0.0.1", "::2", "localhost.example.org"})
        EXPECT_FALSE(isLoopbackHost(host)) << host;
}

TEST(ImapValuesTest, FetchResponseWithLiteralsQuotedStringsAndSectionAtoms) {
    const std::string response =
        "* 3 FETCH (UID 42 FLAGS (\\Seen $Work) INTERNALDATE \"17-Jul-1996 02:44:25 -0700\" "
        "BODY[HEADER.FIELDS (SUBJECT FROM)] {18}\r\nSubject: a ) b\r\n\r\n X \"q\\\"d\" NIL)";
    const auto values = parseImapValues(response);
    ASSERT_EQ(values.size(), 4u);
    EXPECT_TRUE(values[2].isAtom("fetch"));
    const auto& items = values[3].items;
    ASSERT_EQ(items.size(), 11u);
    EXPECT_EQ(items[1].text, "42");
    ASSERT_EQ(items[3].kind, ImapValue::Kind::List);
    EXPECT_EQ(items[3].items.at(0).text, "\\Seen");
    EXPECT_EQ(items[5].kind, ImapValue::Kind::String);
    EXPECT_EQ(items[6].text, "BODY[HEADER.FIELDS (SUBJECT FROM)]");
    EXPECT_EQ(items[7].text, "Subject: a ) b\r\n\r\n");
    EXPECT_EQ(items[9].text, "q\"d");
    EXPECT_EQ(items[10].kind, ImapValue::Kind::Nil);
}

TEST(ImapValuesTest, BrokenResponsesAreCorruptDataNotACrash) {
    for (const char* broken : {"* 1 FETCH (UID 1", "* 1 FETCH (BODY[] {10}\r\nshort)", "* LIST ) x",
                               "* 1 FETCH (BODY[] {1x}\r\na)", "* \"open"}) {
        try {
            parseImapValues(broken);
            ADD_FAILURE() << "accepted " << broken;
        } catch (const ImapError& error) {
            EXPECT_EQ(error.code(), MAPI_E_CORRUPT_DATA) << broken;
        }
    }
}

TEST(ImapSyntaxTest, UidSetsArguments) {
    EXPECT_EQ(uidSetText({9, 1, 3, 2, 7, 8, 5, 3}), "1:3,5,7:9");
    EXPECT_EQ(uidSetText({4}), "4");
    EXPECT_EQ(quotedArgument("Sent \"old\" \\ x"), "\"Sent \\\"old\\\" \\\\ x\"");
    EXPECT_FALSE(quotedArgument("Entwürfe"));
    EXPECT_FALSE(quotedArgument("two\r\nlines"));
}

TEST(ImapSyntaxTest, InternalDatesReadWithTheirZoneAndWriteInUtc) {
    EXPECT_EQ(parseInternalDate("17-Jul-1996 02:44:25 -0700"), 837596665);
    EXPECT_EQ(parseInternalDate(" 7-Jul-1996 09:44:25 +0000"), 836732665);
    EXPECT_FALSE(parseInternalDate("17-Foo-1996 02:44:25 -0700"));
    EXPECT_FALSE(parseInternalDate("yesterday"));
    EXPECT_EQ(internalDateText(837596665), "17-Jul-1996 09:44:25 +0000");
    EXPECT_EQ(parseInternalDate(internalDateText(1700000000)), 1700000000);
}

TEST(ImapFolderTreeTest, InboxIsTheRootAndMissingParentsHoldNoMessages) {
    const ImapFolderTree tree({{"INBOX", '/', true},
                               {"INBOX/Receipts", '/', true},
                               {"Work/Projects/Larks", '/', true},
                               {"Archive", '/', false},
                               {"Entw&APw-rfe", '/', true}});
    EXPECT_EQ(tree.children(kInbox),
              (std::vector<std::string>{"Archive", "Entw&APw-rfe", "INBOX/Receipts", "Work"}));
    EXPECT_EQ(tree.displayName("Entw&APw-rfe"), "Entwürfe");
    EXPECT_EQ(tree.displayName("INBOX/Receipts"), "Receipts");
    EXPECT_EQ(tree.children("Work"), std::vector<std::string>{"Work/Projects"});
    EXPECT_FALSE(tree.selectable("Work"));
    EXPECT_FALSE(tree.selectable("Archive"));
    EXPECT_TRUE(tree.selectable("Work/Projects/Larks"));
    EXPECT_FALSE(tree.exists("Nowhere"));
}

} // namespace
} // namespace mapi
