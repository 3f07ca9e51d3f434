// Reading mbox stores: the folder layouts people have, the split of files into messages in every
// form they take, and the flags of both header conventions.

#include "mapi/mbox/MboxFixture.h"
#include "support/MboxText.h"
#include "support/SampleMessages.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

namespace {

using namespace mapi;
using namespace maildirtest;
using namespace mboxtest;
namespace fs = std::filesystem;
using testsupport::mboxRecord;
using testsupport::simpleMessage;

struct LayoutCase {
    std::string name;
    std::vector<std::pair<std::string, std::string>> files; // path below the store, content
    std::string store;                                      // path below the temporary folder
    std::vector<std::string> folders;
    std::string inbox; // display name of the receive folder
};

class Layout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(Layout, FoldersAndReceiveFolder) {
    testsupport::TemporaryFolder temporary;
    for (const auto& [path, content] : GetParam().files)
        temporary.writeFile(path, content);
    fs::create_directories(temporary.path() / "tree");
    auto store = openMbox(temporary.path() / GetParam().store);
    auto top = openFolder(*store, {});
    EXPECT_EQ(folderPaths(*top), GetParam().folders);
    std::vector<PropValue> name;
    openRoot(*store)->GetProps({PR_DISPLAY_NAME_A}, 0, name);
    EXPECT_EQ(name[0].getString(), GetParam().inbox);
}

const std::string kOne = mboxRecord(simpleMessage("One", "1\n"));

INSTANTIATE_TEST_SUITE_P(
    Stores, Layout,
    ::testing::Values(LayoutCase{"SingleFile", {{"spool/me", kOne}}, "spool/me", {}, "me"},
                      LayoutCase{"DesktopClientTree",
                                 {{"tree/Inbox", kOne},
                                  {"tree/Inbox.msf", "// index"},
                                  {"tree/Sent", ""},
                                  {"tree/Archives.sbd/2024", kOne},
                                  {"tree/Archives.sbd/2024.msf", ""},
                                  {"tree/Archives.sbd/2023", kOne},
                                  {"tree/msgFilterRules.dat", "version=\"9\""},
                                  {"tree/popstate.dat", ""},
                                  {"tree/.hidden", kOne},
                                  {"tree/Inbox.lock", ""}},
                                 "tree",
                                 {"Archives", "Archives/2023", "Archives/2024", "Inbox", "Sent"},
                                 "Inbox"},
                      LayoutCase{"MuttFolders",
                                 {{"tree/lists/devel", kOne}, {"tree/sent-mail", kOne}, {"tree/inbox", kOne}},
                                 "tree",
                                 {"inbox", "lists", "lists/devel", "sent-mail"},
                                 "inbox"},
                      LayoutCase{"NoInboxTakesTheFirstFile",
                                 {{"tree/Drafts", kOne}, {"tree/Archives.sbd/Old", kOne}},
                                 "tree",
                                 {"Archives", "Archives/Old", "Drafts"},
                                 "Drafts"}),
    [](const auto& info) { return info.param.name; });

struct SplitCase {
    std::string name;
    std::string file;
    std::vector<std::string> subjects;
    std::vector<std::string> bodies; // as shown, CR LF line ends
};

class Split : public ::testing::TestWithParam<SplitCase> {};

TEST_P(Split, EachMessageWithItsOwnBody) {
    testsupport::TemporaryFolder temporary;
    const fs::path file = temporary.writeFile("mbox", GetParam().file);
    auto store = openMbox(file);
    auto inbox = openRoot(*store);
    const RowSet rows = contents(*inbox);
    EXPECT_EQ(subjects(rows), GetParam().subjects);
    std::vector<std::string> bodies;
    for (const auto& row : rows)
        bodies.push_back(readBody(*openMessage(*store, prop(row, PR_ENTRYID).getBinary())).text);
    EXPECT_EQ(bodies, GetParam().bodies);
}

const std::string kFrom = "From someone@example.org Mon Jan  1 10:00:00 2024\n";

INSTANTIATE_TEST_SUITE_P(
    Files, Split,
    ::testing::Values(
        SplitCase{"Mboxrd",
                  kFrom + "Subject: A\n\n>From here\n>>From there\n\n" + kFrom + "Subject: B\n\nb\n\n",
                  {"A", "B"},
                  {"From here\r\n>From there\r\n", "b\r\n"}},
        SplitCase{
            "Mboxo", kFrom + "Subject: A\n\n>From the start\nok\n", {"A"}, {"From the start\r\nok\r\n"}},
        SplitCase{"CrLf",
                  testsupport::withCrLf(kFrom + "Subject: A\n\na\n\n" + kFrom + "Subject: B\n\nb\n\n"),
                  {"A", "B"},
                  {"a\r\n", "b\r\n"}},
        SplitCase{"NoFinalNewline",
                  kFrom + "Subject: A\n\na\n\n" + kFrom + "Subject: B\n\nlast",
                  {"A", "B"},
                  {"a\r\n", "last"}},
        SplitCase{"FromInsideABody",
                  kFrom + "Subject: A\n\nline\nFrom me to you\n\nFrom the desk of nobody\n\n" + kFrom +
                      "Subject: B\n\nb\n",
                  {"A", "B"},
                  {"line\r\nFrom me to you\r\n\r\nFrom the desk of nobody\r\n", "b\r\n"}},
        SplitCase{"FirstMessageWithoutSeparator",
                  "Subject: Lost\n\nno separator\n\n" + kFrom + "Subject: B\n\nb\n",
                  {"Lost", "B"},
                  {"no separator\r\n", "b\r\n"}},
        SplitCase{"BlankLinesBeforeTheFirst", "\n\n" + kFrom + "Subject: A\n\na\n", {"A"}, {"a\r\n"}},
        SplitCase{"TextWithoutHeadersIsNoMessage", "just some notes\n\nand more\n", {}, {}},
        SplitCase{"Empty", "", {}, {}}),
    [](const auto& info) { return info.param.name; });

TEST(MboxListing, ColumnsComeFromTheSeparatorAndTheHeader) {
    testsupport::TemporaryFolder temporary;
    const std::string dated = simpleMessage("Dated", "x\n", "Wed, 31 Jan 2024 14:05:09 +0000");
    // The first message lost its separator, so only its Date: tells when it came; a line that
    // only looks like a separator after a blank line stays in the last message's body.
    const fs::path file =
        temporary.writeFile("mbox", dated + "\n" + "From a@example.org Thu Feb  1 08:00:00 2024\n" + dated +
                                        "\n" + "From b@example.org Thu Feb  1 08:00:00 2024 +0100\n" + dated +
                                        "\n" + "From c@example.org Thu Feb  1 08:00:00 -0200 2024\n" + dated +
                                        "\n" + "Subject: not a separator\n\nFrom 9:00 to 10:30 2024\n");
    auto store = openMbox(file);
    const RowSet rows = contents(*openRoot(*store));
    ASSERT_EQ(rows.size(), 4u);
    const auto unixTime = [](const Row& row) {
        return static_cast<std::int64_t>(prop(row, PR_MESSAGE_DELIVERY_TIME).getTime().ticks / 10'000'000) -
               11644473600;
    };
    EXPECT_EQ(unixTime(rows[0]), 1706709909);
    EXPECT_EQ(unixTime(rows[1]), 1706774400);
    EXPECT_EQ(unixTime(rows[2]), 1706774400 - 3600);
    EXPECT_EQ(unixTime(rows[3]), 1706774400 + 7200);
    EXPECT_EQ(stringProp(rows[1], PR_SENDER_EMAIL_ADDRESS_A), "sender@example.org");
    EXPECT_EQ(stringProp(rows[1], PR_DISPLAY_TO_A), "receiver@example.org");
    EXPECT_EQ(prop(rows[1], PR_MESSAGE_SIZE).getLong(), static_cast<std::int32_t>(dated.size()));
}

TEST(MboxListing, FlagsOfBothConventionsAndExpungedMessagesLeftOut) {
    testsupport::TemporaryFolder temporary;
    const auto message = [](const std::string& subject, const std::string& flags) {
        return mboxRecord(flags + "Subject: " + subject + "\n\nbody\n");
    };
    const fs::path file = temporary.writeFile(
        "mbox", message("Unread", "") + message("MuttRead", "Status: RO\n") +
                    message("MuttOld", "Status: O\n") + message("ClientRead", "X-Mozilla-Status: 0001\n") +
                    message("ClientUnreadOverStatus", "X-Mozilla-Status: 0000\nStatus: RO\n") +
                    message("Expunged", "X-Mozilla-Status: 0009\n"));
    auto store = openMbox(file);
    EXPECT_EQ(subjects(contents(*openRoot(*store))),
              (std::vector<std::string>{"Unread", "MuttRead (read)", "MuttOld", "ClientRead (read)",
                                        "ClientUnreadOverStatus"}));
}

TEST(MboxListing, AMissingStoreOrFolderIsNotFound) {
    testsupport::TemporaryFolder temporary;
    EXPECT_THROW(openMbox(temporary.path() / "absent"), std::runtime_error);
    temporary.writeFile("tree/Inbox", kOne);
    auto store = openMbox(temporary.path() / "tree");
    auto inbox = openRoot(*store);
    const Binary id = prop(contents(*inbox)[0], PR_ENTRYID).getBinary();
    fs::remove(temporary.path() / "tree/Inbox");
    std::shared_ptr<IMAPITable> table;
    const HRESULT hr = inbox->GetContentsTable(0, table);
    EXPECT_EQ(hr, S_OK) << "a folder whose file went away has no messages";
    std::uint32_t type = 0;
    std::shared_ptr<IMAPIProp> object;
    EXPECT_EQ(store->OpenEntry(id, Iid::IMessage, 0, type, object), MAPI_E_NOT_FOUND);
}

} // namespace
