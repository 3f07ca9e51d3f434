// The IMAP store against the test server: the folder tree, the listing and bodies (compared with
// what the Maildir store makes of the same messages), and the changes a run makes: read flag,
// move (with and without the server's MOVE) and subject change.

#include "ImapFixture.h"
#include "mapi/maildir/StoreFixture.h"
#include "support/MaildirBuilder.h"
#include "support/SampleMessages.h"
#include "support/TemporaryFolder.h"

#include <algorithm>
#include <map>

namespace imaptest {
namespace {

using namespace mapi;
using maildirtest::prop;
using maildirtest::stringProp;

// Every row of the folder's contents table; a failure reports the store's reason.
RowSet contents(IMAPIFolder& folder) {
    std::shared_ptr<IMAPITable> table;
    const HRESULT hr = folder.GetContentsTable(0, table);
    if (failed(hr))
        throw std::runtime_error("GetContentsTable failed: " + maildirtest::lastErrorText(folder, hr));
    return maildirtest::contents(folder);
}

constexpr std::int64_t kDelivered = 1700000000; // 14-Nov-2023 22:13:20 +0000
constexpr const char* kDeliveredText = "14-Nov-2023 22:13:20 +0000";

class ImapStoreTest : public ServerTest {
protected:
    std::shared_ptr<IMessage> openListed(IMsgStore& store, const Row& row) {
        return maildirtest::openMessage(store, prop(row, PR_ENTRYID).getBinary());
    }

    // The one message of `mailbox` put there by the probe, listed and opened through the store.
    std::shared_ptr<IMessage> onlyMessage(IMsgStore& store, const std::string& displayName) {
        const RowSet rows = contents(*openMailbox(store, displayName));
        EXPECT_EQ(rows.size(), 1u);
        return rows.empty() ? nullptr : openListed(store, rows.front());
    }
};

TEST_F(ImapStoreTest, FolderTreeHasInboxAsRootWithDecodedNamesAndNoselectParents) {
    ImapProbe probe(server());
    probe.command("CREATE \"Entw&APw-rfe\"");
    probe.command("CREATE \"Archive.2024\"");
    probe.command("CREATE \"Sent\"");
    const auto store = openStore(server());
    const auto inbox = maildirtest::openRoot(*store);
    std::vector<std::string> names;
    for (const auto& row : maildirtest::hierarchy(*inbox))
        names.push_back(stringProp(row, PR_DISPLAY_NAME_A));
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    for (const char* expected : {"Archive", "Entwürfe", "Sent"})
        EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;

    // "Archive" exists only as the parent of "2024": shown, walkable, but it holds no messages.
    const auto archive = openMailbox(*store, "Archive");
    EXPECT_EQ(stringProp(maildirtest::hierarchy(*archive).at(0), PR_DISPLAY_NAME_A), "2024");
    std::shared_ptr<IMAPITable> table;
    const HRESULT hr = archive->GetContentsTable(0, table);
    EXPECT_EQ(hr, MAPI_E_NOT_FOUND);
    EXPECT_NE(maildirtest::lastErrorText(*archive, hr).find("holds no messages"), std::string::npos);

    std::vector<PropValue> values;
    ASSERT_EQ(store->GetProps({PR_IPM_SUBTREE_ENTRYID}, 0, values), S_OK);
    Binary receive;
    std::string explicitClass;
    ASSERT_EQ(store->GetReceiveFolder("IPM", 0, receive, explicitClass), S_OK);
    EXPECT_EQ(values.at(0).getBinary(), receive);
}

TEST_F(ImapStoreTest, ListingAndBodiesMatchTheMaildirStoresOfTheSameMessages) {
    const std::string mailbox = freshMailbox("Samples");
    testsupport::TemporaryFolder local;
    testsupport::MaildirBuilder maildir(local / "Maildir");
    {
        ImapProbe probe(server());
        for (const auto& sample : testsupport::sampleMessages()) {
            probe.append(mailbox, testsupport::withCrLf(sample.text), "", kDeliveredText);
            testsupport::MessageFileOptions options;
            options.mtime = kDelivered;
            maildir.addMessage("", sample.text, options);
        }
    }
    const auto bySubject = [](IMsgStore& store, IMAPIFolder& folder) {
        std::map<std::string, std::pair<Row, std::string>> found;
        for (const auto& row : contents(folder)) {
            const auto message = maildirtest::openMessage(store, prop(row, PR_ENTRYID).getBinary());
            found[stringProp(row, PR_SUBJECT_A)] = {row, maildirtest::readBody(*message).text};
        }
        return found;
    };
    const auto imapStore = openStore(server());
    const auto imap = bySubject(*imapStore, *openMailbox(*imapStore, mailbox));
    const auto maildirStore = maildirtest::openStore(maildir.root());
    const auto expected = bySubject(*maildirStore, *maildirtest::openRoot(*maildirStore));
    ASSERT_EQ(imap.size(), expected.size());
    for (const auto& [subject, wanted] : expected) {
        SCOPED_TRACE(subject);
        ASSERT_EQ(imap.count(subject), 1u);
        const auto& [row, body] = imap.at(subject);
        EXPECT_EQ(body, wanted.second);
        for (const PropTag tag :
             {PR_SENDER_EMAIL_ADDRESS_A, PR_DISPLAY_TO_A, PR_DISPLAY_CC_A, PR_DISPLAY_BCC_A})
            EXPECT_EQ(stringProp(row, tag), stringProp(wanted.first, tag)) << tag;
        for (const PropTag tag :
             {PR_MESSAGE_DELIVERY_TIME, PR_CLIENT_SUBMIT_TIME, PR_HASATTACH, PR_MESSAGE_FLAGS})
            EXPECT_EQ(prop(row, tag), prop(wanted.first, tag)) << tag;
    }
}

TEST_F(ImapStoreTest, ReadingLeavesUnreadAndSetReadFlagIsSeenByAnotherClient) {
    const std::string mailbox = freshMailbox("Unread");
    ImapProbe(server()).append(mailbox, testsupport::simpleMessage("Unread one", "Text\n"));
    const auto store = openStore(server());
    const auto message = onlyMessage(*store, mailbox);
    ASSERT_TRUE(message);
    EXPECT_EQ(maildirtest::readBody(*message, 0).text, "Text\r\n");
    EXPECT_EQ(maildirtest::readBody(*message).text, "Text\r\n");
    ImapProbe probe(server());
    const unsigned uid = probe.uids(mailbox).at(0);
    EXPECT_EQ(probe.fetch(mailbox, uid, "FLAGS").find("\\Seen"), std::string::npos);

    ASSERT_EQ(message->SetReadFlag(SUPPRESS_RECEIPT), S_OK);
    EXPECT_NE(probe.fetch(mailbox, uid, "FLAGS").find("\\Seen"), std::string::npos);
    std::vector<PropValue> flags;
    ASSERT_EQ(message->GetProps({PR_MESSAGE_FLAGS}, 0, flags), S_OK);
    EXPECT_TRUE(flags.at(0).getLong() & MSGFLAG_READ);
}

TEST_F(ImapStoreTest, SubjectChangeKeepsFlagsAndDateAndLeavesOneMessage) {
    const std::string mailbox = freshMailbox("Tagging");
    ImapProbe(server()).append(mailbox, testsupport::simpleMessage("Report", "Numbers\n"), "\\Flagged $Work",
                               kDeliveredText);
    const auto store = openStore(server());
    const auto message = onlyMessage(*store, mailbox);
    ASSERT_TRUE(message);
    ASSERT_EQ(message->SetProps({PropValue::string(PR_SUBJECT_A, "[done] Report")}, nullptr), S_OK);
    ASSERT_EQ(message->SaveChanges(KEEP_OPEN_READWRITE), S_OK);
    ASSERT_EQ(message->SetReadFlag(SUPPRESS_RECEIPT), S_OK); // finds the message under its new UID

    ImapProbe probe(server());
    const auto uids = probe.uids(mailbox);
    ASSERT_EQ(uids.size(), 1u);
    const std::string fetched =
        probe.fetch(mailbox, uids[0], "FLAGS INTERNALDATE BODY.PEEK[HEADER.FIELDS (SUBJECT)]");
    for (const char* part : {"\\Flagged", "$Work", "\\Seen", kDeliveredText, "Subject: [done] Report"})
        EXPECT_NE(fetched.find(part), std::string::npos) << part << " in " << fetched;
    EXPECT_EQ(stringProp(contents(*openMailbox(*store, mailbox)).at(0), PR_SUBJECT_A), "[done] Report");
}

TEST_F(ImapStoreTest, EntryIdOfARenumberedMailboxFindsNothing) {
    const std::string mailbox = freshMailbox("Renumbered");
    ImapProbe(server()).append(mailbox, testsupport::simpleMessage("Old", "Old\n"));
    const auto store = openStore(server());
    const Binary oldId = prop(contents(*openMailbox(*store, mailbox)).at(0), PR_ENTRYID).getBinary();
    {
        ImapProbe probe(server());
        probe.command("DELETE \"" + mailbox + "\"");
        probe.command("CREATE \"" + mailbox + "\"");
        probe.append(mailbox, testsupport::simpleMessage("New", "New\n"));
    }
    const auto fresh = openStore(server());
    std::uint32_t type = 0;
    std::shared_ptr<IMAPIProp> object;
    const HRESULT hr = fresh->OpenEntry(oldId, Iid::IMessage, MAPI_BEST_ACCESS, type, object);
    EXPECT_EQ(hr, MAPI_E_NOT_FOUND);
    EXPECT_NE(maildirtest::lastErrorText(*fresh, hr).find("UIDVALIDITY"), std::string::npos);
}

// Moves on servers with and without MOVE and UIDPLUS.
struct MoveCase {
    const char* name;
    DovecotOptions server;
    bool originalStaysDeleted; // without UIDPLUS nothing may be expunged
};

class ImapMoveTest : public ServerTest, public ::testing::WithParamInterface<MoveCase> {
protected:
    static void SetUpTestSuite() {}
    void SetUp() override {
        startServer(GetParam().server);
        ServerTest::SetUp();
    }
};

TEST_P(ImapMoveTest, MovedMessagesLeaveTheSourceAndArriveOnce) {
    const std::string source = freshMailbox("From");
    const std::string target = freshMailbox("To");
    {
        ImapProbe probe(server());
        for (const char* subject : {"One", "Two", "Stays"})
            probe.append(source, testsupport::simpleMessage(subject, "Body\n"));
    }
    const auto store = openStore(server());
    const auto from = openMailbox(*store, source);
    const auto to = openMailbox(*store, target);
    std::vector<Binary> moved;
    for (const auto& row : contents(*from))
        if (stringProp(row, PR_SUBJECT_A) != "Stays")
            moved.push_back(prop(row, PR_ENTRYID).getBinary());
    ASSERT_EQ(from->CopyMessages(moved, Iid::IMAPIFolder, *to, 0, nullptr, MESSAGE_MOVE), S_OK);

    EXPECT_EQ(contents(*from).size(), 1u);
    EXPECT_EQ(contents(*to).size(), 2u);
    ImapProbe probe(server());
    const std::string all = probe.command("SELECT \"" + source + "\"");
    EXPECT_NE(all.find(GetParam().originalStaysDeleted ? "* 3 EXISTS" : "* 1 EXISTS"), std::string::npos)
        << all;
}

INSTANTIATE_TEST_SUITE_P(Servers, ImapMoveTest,
                         ::testing::Values(MoveCase{"WithMove", {true, true}, false},
                                           MoveCase{"CopyAndUidExpunge", {false, true}, false},
                                           MoveCase{"CopyWithoutUidplus", {false, false}, true}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace imaptest
