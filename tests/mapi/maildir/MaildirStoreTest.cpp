// The Maildir store through the mail interfaces: store properties, the folder tree, the listing
// columns, and the operations that change messages (read flag, move, subject), each checked on
// the files themselves.

#include "mapi/maildir/StoreFixture.h"
#include "support/MaildirBuilder.h"
#include "support/SampleMessages.h"
#include "support/TemporaryFolder.h"

#include "mapi/maildir/MaildirStore.h"

#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>

namespace {

using namespace mapi;
using namespace maildirtest;
using testsupport::MaildirBuilder;
using testsupport::MessageFileOptions;
namespace fs = std::filesystem;

constexpr std::int64_t kArrival = 1706709909; // 31 Jan 2024 14:05:09 UTC

std::vector<std::string> listing(const fs::path& root) {
    std::vector<std::string> names;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it)
        names.push_back(fs::relative(it->path(), root).string());
    std::sort(names.begin(), names.end());
    return names;
}

class MaildirStoreTest : public ::testing::Test {
protected:
    testsupport::TemporaryFolder m_temporary;
    MaildirBuilder m_builder{m_temporary.path() / "Maildir"};

    Row onlyRow(IMAPIFolder& folder) {
        const RowSet rows = contents(folder);
        EXPECT_EQ(rows.size(), 1u);
        return rows.empty() ? Row{} : rows[0];
    }
};

TEST_F(MaildirStoreTest, StoreAnswersItsPropertiesAndTheRootIsTheInbox) {
    auto store = openStore(m_builder.root());
    std::vector<PropValue> values;
    ASSERT_EQ(store->GetProps({PR_DISPLAY_NAME_A, PR_MDB_PROVIDER, PR_STORE_SUPPORT_MASK,
                               PR_IPM_SUBTREE_ENTRYID, PR_DEFAULT_STORE},
                              0, values),
              S_OK);
    EXPECT_EQ(values[0].getString(), "Test Maildir");
    const Binary publicFolders = {0x78, 0xB2, 0xFA, 0x70, 0xAF, 0xF7, 0x11, 0xCD,
                                  0x9B, 0xC8, 0x00, 0xAA, 0x00, 0x2F, 0xC4, 0x5A};
    EXPECT_EQ(values[1].getBinary().size(), 16u);
    EXPECT_NE(values[1].getBinary(), publicFolders);
    EXPECT_TRUE(values[2].getLong() & STORE_RTF_OK);
    EXPECT_TRUE(values[4].getBool());
    Binary receive;
    std::string explicitClass;
    ASSERT_EQ(store->GetReceiveFolder("IPM", 0, receive, explicitClass), S_OK);
    EXPECT_EQ(receive, values[3].getBinary());
    EXPECT_GE(receive.size(), 24u);

    auto root = openFolder(*store, receive);
    ASSERT_EQ(root->GetProps({PR_DISPLAY_NAME_A, PR_ENTRYID}, 0, values), S_OK);
    EXPECT_EQ(values[0].getString(), "Inbox");
    EXPECT_EQ(values[1].getBinary(), receive);
    std::uint32_t flags = 1;
    EXPECT_EQ(store->StoreLogoff(flags), S_OK);
}

TEST_F(MaildirStoreTest, FolderTreeHasMaildirPlusPlusAndNestedFoldersAndSkipsTheRest) {
    m_builder.addFolder(".Archive");
    m_builder.addFolder(".Archive.2023");
    m_builder.addFolder(".Lists.dev"); // ".Lists" exists only as the parent in the name
    m_builder.addFolder(".Entw&APw-rfe");
    m_builder.addFolder("Projects/Alpha"); // plain Maildirs, "Projects" only holds one
    fs::create_directories(m_builder.root() / ".notmuch" / "xapian");
    fs::create_directories(m_builder.root() / "courierimapkeywords");
    auto store = openStore(m_builder.root());
    auto root = openRoot(*store);

    std::vector<std::pair<std::string, bool>> top;
    for (const auto& row : hierarchy(*root))
        top.emplace_back(stringProp(row, PR_DISPLAY_NAME_A), prop(row, PR_SUBFOLDERS).getBool());
    const std::vector<std::pair<std::string, bool>> expected = {
        {"Archive", true}, {"Entwürfe", false}, {"Lists", true}, {"Projects", true}};
    EXPECT_EQ(top, expected);

    auto archive = openFolder(*store, childFolderId(*root, "Archive"));
    auto year = openFolder(*store, childFolderId(*archive, "2023"));
    std::vector<PropValue> values;
    ASSERT_EQ(year->GetProps({PR_DISPLAY_NAME_A, PR_SUBFOLDERS}, 0, values), S_OK);
    EXPECT_EQ(values[0].getString(), "2023");
    EXPECT_FALSE(values[1].getBool());
    auto lists = openFolder(*store, childFolderId(*root, "Lists"));
    EXPECT_TRUE(contents(*lists).empty());
    EXPECT_NO_THROW(childFolderId(*lists, "dev"));
    auto projects = openFolder(*store, childFolderId(*root, "Projects"));
    EXPECT_NO_THROW(childFolderId(*projects, "Alpha"));

    // A folder entry id from an earlier run opens the same folder; one of another store does not.
    auto again = openStore(m_builder.root());
    EXPECT_NO_THROW(openFolder(*again, childFolderId(*archive, "2023")));
    std::uint32_t type = 0;
    std::shared_ptr<IMAPIProp> object;
    Binary foreign = childFolderId(*archive, "2023");
    foreign[10] ^= 0xFF;
    EXPECT_EQ(again->OpenEntry(foreign, Iid::IMAPIFolder, 0, type, object), MAPI_E_INVALID_ENTRYID);
}

TEST_F(MaildirStoreTest, ListingHasEveryColumnAndCreatesNothing) {
    const std::string text =
        "From: \"Ann Lee\" <ann@example.org>\nTo: Bob <bob@example.org>, carl@example.org\n"
        "Cc: =?UTF-8?Q?D=C3=B6rte?= <d@example.org>\nBcc: eve@example.org\n"
        "Subject: =?UTF-8?B?UXVhcnRhbA==?= =?UTF-8?B?c2JlcmljaHQ=?=\n"
        "Date: Tue, 30 Jan 2024 10:00:00 +0100\n"
        "Content-Type: multipart/mixed; boundary=x\n\n--x\n\nbody\n--x--\n";
    m_builder.addMessage("", text, {.inNew = false, .flags = "FS", .mtime = kArrival});
    const fs::path second =
        m_builder.addMessage("", testsupport::simpleMessage("Second", "text\n"), {.inNew = true});
    testsupport::writeFileText(m_builder.root() / "cur" / ".hidden:2,", "not a message");
    // Only regular files are messages: neither a link to one nor a folder with a message's name.
    fs::create_symlink(second, m_builder.root() / "cur" / "8.M8.link:2,");
    fs::create_symlink("9.M9.gone", m_builder.root() / "cur" / "9.M9.dangling:2,");
    fs::create_directory(m_builder.root() / "cur" / "10.M10.folder:2,");
    testsupport::writeFileText(m_builder.root() / "tmp" / "1.M1.half-delivered", "Subject: partial\n");
    const auto before = listing(m_builder.root());

    auto store = openStore(m_builder.root());
    auto root = openRoot(*store);
    std::shared_ptr<IMAPITable> table;
    ASSERT_EQ(root->GetContentsTable(0, table), S_OK);
    const std::vector<PropTag> columns = {
        PR_HASATTACH,     PR_STORE_SUPPORT_MASK, PR_DISPLAY_TO_A, PR_SENDER_EMAIL_ADDRESS_A,
        PR_MESSAGE_FLAGS, PR_SUBJECT_A,          PR_MESSAGE_SIZE, PR_MESSAGE_DELIVERY_TIME,
        PR_ENTRYID};
    ASSERT_EQ(table->SetColumns(columns, 0), S_OK);
    ASSERT_EQ(table->SortTable({{PR_CLIENT_SUBMIT_TIME, false}}, 0), S_OK);
    RowSet rows;
    ASSERT_EQ(table->QueryRows(25, 0, rows), S_OK);
    ASSERT_EQ(rows.size(), 2u);
    const Row& first = rows[0];
    for (std::size_t i = 0; i < columns.size(); ++i)
        EXPECT_EQ(first[i].tag, columns[i]) << i;
    EXPECT_TRUE(first[0].getBool());
    EXPECT_TRUE(first[1].getLong() & STORE_RTF_OK);
    EXPECT_EQ(first[2].getString(), "Bob; carl@example.org");
    EXPECT_EQ(first[3].getString(), "ann@example.org");
    EXPECT_TRUE(first[4].getLong() & MSGFLAG_READ);
    EXPECT_EQ(first[5].getString(), "Quartalsbericht");
    EXPECT_EQ(first[6].getLong(), static_cast<std::int32_t>(text.size()));
    EXPECT_EQ(first[7].getTime().ticks, (kArrival + 11644473600ull) * 10'000'000ull);
    EXPECT_FALSE(rows[1][4].getLong() & MSGFLAG_READ);
    EXPECT_EQ(rows[1][5].getString(), "Second");

    auto message = openMessage(*store, first[8].getBinary());
    std::vector<PropValue> values;
    ASSERT_EQ(message->GetProps({PR_DISPLAY_CC_A, PR_DISPLAY_BCC_A, PR_CLIENT_SUBMIT_TIME}, 0, values), S_OK);
    EXPECT_EQ(values[0].getString(), "Dörte");
    EXPECT_EQ(values[1].getString(), "eve@example.org");
    EXPECT_EQ(values[2].getTime().ticks, (1706605200ull + 11644473600ull) * 10'000'000ull);
    // What showing the message in a client asks for.
    EXPECT_EQ(
        message->GetProps({PR_MESSAGE_STATUS, PR_MESSAGE_FLAGS, PR_ACCESS, PR_MESSAGE_CLASS_A}, 0, values),
        S_OK);
    EXPECT_EQ(values[3].getString(), "IPM.Note");
    EXPECT_EQ(readBody(*message).result, S_OK);
    EXPECT_EQ(listing(m_builder.root()), before);
}

TEST_F(MaildirStoreTest, AFolderOfManyMessagesListsEachOnceWithItsOwnRow) {
    // Enough files for the listing to be shared out between threads in several runs.
    constexpr int kMessages = 300;
    for (int i = 0; i < kMessages; ++i)
        m_builder.addMessage(
            "", testsupport::simpleMessage("Message " + std::to_string(i), "text\n"),
            {.inNew = i % 3 == 0, .unique = std::to_string(i) + ".M" + std::to_string(i) + ".host"});
    auto store = openStore(m_builder.root());
    const RowSet rows = contents(*openRoot(*store));
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kMessages));
    std::set<std::string> subjects;
    for (const auto& row : rows) {
        const std::string subject = stringProp(row, PR_SUBJECT_A);
        subjects.insert(subject);
        // The row's entry id opens the message the row describes.
        auto message = openMessage(*store, prop(row, PR_ENTRYID).getBinary());
        std::vector<PropValue> values;
        ASSERT_EQ(message->GetProps({PR_SUBJECT_A}, 0, values), S_OK);
        EXPECT_EQ(values[0].getString(), subject);
    }
    EXPECT_EQ(subjects.size(), static_cast<std::size_t>(kMessages));
}

TEST_F(MaildirStoreTest, SetReadFlagAddsTheSeenFlagByRename) {
    const std::string text = testsupport::simpleMessage("Fresh", "x\n");
    const fs::path fresh = m_builder.addMessage("", text, {.inNew = true, .unique = "1.M1.host"});
    m_builder.addMessage("", text, {.flags = "RF", .unique = "2.M2.host,S=77"});
    auto store = openStore(m_builder.root());
    auto root = openRoot(*store);
    for (const auto& row : contents(*root)) {
        auto message = openMessage(*store, prop(row, PR_ENTRYID).getBinary());
        ASSERT_EQ(message->SetReadFlag(SUPPRESS_RECEIPT), S_OK);
        ASSERT_EQ(message->SetReadFlag(SUPPRESS_RECEIPT), S_OK); // already read: nothing to do
        std::vector<PropValue> values;
        message->GetProps({PR_MESSAGE_FLAGS}, 0, values);
        EXPECT_TRUE(values[0].getLong() & MSGFLAG_READ);
    }
    EXPECT_FALSE(fs::exists(fresh));
    EXPECT_EQ(testsupport::readFileText(m_builder.root() / "cur" / "1.M1.host:2,S"), text);
    EXPECT_TRUE(fs::exists(m_builder.root() / "cur" / "2.M2.host,S=77:2,FRS"));
    for (const auto& row : contents(*openRoot(*openStore(m_builder.root()))))
        EXPECT_TRUE(prop(row, PR_MESSAGE_FLAGS).getLong() & MSGFLAG_READ);
}

TEST_F(MaildirStoreTest, MoveAcrossFoldersKeepsTheMessageAndItsEntryId) {
    const std::string text = testsupport::simpleMessage("Move me", "body\n");
    m_builder.addMessage("", text, {.inNew = true, .unique = "3.M3.host", .mtime = kArrival});
    m_builder.addFolder(".Archive");
    auto store = openStore(m_builder.root());
    auto root = openRoot(*store);
    const Binary id = prop(onlyRow(*root), PR_ENTRYID).getBinary();
    auto archive = openFolder(*store, childFolderId(*root, "Archive"));

    ASSERT_EQ(root->CopyMessages({id}, Iid::IMAPIFolder, *archive, 0, nullptr, MESSAGE_MOVE), S_OK);
    EXPECT_TRUE(contents(*root).empty());
    const Row moved = onlyRow(*archive);
    EXPECT_EQ(prop(moved, PR_ENTRYID).getBinary(), id);
    EXPECT_EQ(prop(moved, PR_MESSAGE_DELIVERY_TIME).getTime().ticks,
              (kArrival + 11644473600ull) * 10'000'000ull);
    EXPECT_EQ(testsupport::readFileText(m_builder.root() / ".Archive" / "cur" / "3.M3.host:2,"), text);
    EXPECT_EQ(testsupport::messageFilesBelow(m_builder.root()).size(), 1u);
    // A fresh store (a later run) opens the message by the same id, and moving it from a folder
    // it is no longer in fails.
    auto later = openStore(m_builder.root());
    EXPECT_EQ(readBody(*openMessage(*later, id)).text, "body\r\n");
    auto laterRoot = openRoot(*later);
    const HRESULT hr = laterRoot->CopyMessages({id}, Iid::IMAPIFolder, *archive, 0, nullptr, MESSAGE_MOVE);
    EXPECT_EQ(hr, MAPI_E_NOT_FOUND);
    EXPECT_NE(lastErrorText(*later, hr).find(m_builder.root().string()), std::string::npos);
}

TEST_F(MaildirStoreTest, FailedMoveReportsThePathAndTheReason) {
    m_builder.addMessage("", testsupport::simpleMessage("Stay", "x\n"));
    fs::create_directories(m_builder.root() / ".Lists.dev" / "cur");
    auto store = openStore(m_builder.root());
    auto root = openRoot(*store);
    const Binary id = prop(onlyRow(*root), PR_ENTRYID).getBinary();
    auto lists = openFolder(*store, childFolderId(*root, "Lists")); // has no cur/ of its own
    const HRESULT hr = root->CopyMessages({id}, Iid::IMAPIFolder, *lists, 0, nullptr, MESSAGE_MOVE);
    EXPECT_EQ(hr, MAPI_E_NOT_FOUND);
    const std::string text = lastErrorText(*store, hr);
    EXPECT_NE(text.find((m_builder.root() / ".Lists" / "cur").string()), std::string::npos) << text;
    EXPECT_NE(text.find("No such file or directory"), std::string::npos) << text;
    EXPECT_EQ(contents(*root).size(), 1u);
}

TEST_F(MaildirStoreTest, ATagSurvivesReReadingAndOnlyTheSubjectChanges) {
    const std::string text =
        "Received: from a\n  by b\r\nSubject: Old\n subject folded\nX-Keep:  odd  spacing \n"
        "Content-Type: text/plain\n\nBody line\nno final newline";
    const fs::path file =
        m_builder.addMessage("", text, {.unique = "4.M4.host", .mtime = kArrival, .sizeMarkers = true});
    auto store = openStore(m_builder.root());
    auto root = openRoot(*store);
    const Binary id = prop(onlyRow(*root), PR_ENTRYID).getBinary();
    auto message = openMessage(*store, id);
    const std::string subject = "[done] Old subject folded – ünïcode and a very long tail that needs folding";
    ASSERT_EQ(message->SetProps({PropValue::string(PR_SUBJECT_A, subject)}, nullptr), S_OK);
    ASSERT_EQ(message->SaveChanges(KEEP_OPEN_READWRITE), S_OK);

    auto files = testsupport::messageFilesBelow(m_builder.root());
    ASSERT_EQ(files.size(), 1u);
    const auto& [name, rewritten] = *files.begin();
    const std::size_t start = text.find("Subject:");
    const std::size_t end = text.find("\nX-Keep");
    EXPECT_EQ(rewritten.substr(0, start), text.substr(0, start));
    EXPECT_EQ(rewritten.substr(rewritten.find("\nX-Keep")), text.substr(end));
    const std::string field = rewritten.substr(start, rewritten.find("\nX-Keep") - start);
    EXPECT_EQ(field.find('\r'), std::string::npos);
    EXPECT_NE(field.find("\n "), std::string::npos) << "folded";
    EXPECT_NE(field.find("=?UTF-8?"), std::string::npos) << field;
    std::size_t bareLineFeeds = 0;
    for (std::size_t i = 0; i < rewritten.size(); ++i)
        bareLineFeeds += rewritten[i] == '\n' && (i == 0 || rewritten[i - 1] != '\r');
    EXPECT_EQ(name, "cur/4.M4.host,S=" + std::to_string(rewritten.size()) +
                        ",W=" + std::to_string(rewritten.size() + bareLineFeeds) + ":2,");
    EXPECT_FALSE(fs::exists(file));
    struct stat info {};
    ASSERT_EQ(::stat((m_builder.root() / name).c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_sec, kArrival);
    EXPECT_TRUE(fs::is_empty(m_builder.root() / "tmp"));

    auto later = openStore(m_builder.root());
    const Row row = onlyRow(*openRoot(*later));
    EXPECT_EQ(stringProp(row, PR_SUBJECT_A), subject);
    EXPECT_EQ(prop(row, PR_ENTRYID).getBinary(), id);
    EXPECT_EQ(readBody(*openMessage(*later, id)).text, "Body line\r\nno final newline");
}

TEST_F(MaildirStoreTest, HostileSubjectNeverWritesALineBreak) {
    m_builder.addMessage("", testsupport::simpleMessage("=?UTF-8?Q?a=0D=0ABcc:_x@evil?=", "x\n"));
    auto store = openStore(m_builder.root());
    const Row row = onlyRow(*openRoot(*store));
    const std::string decoded = stringProp(row, PR_SUBJECT_A);
    EXPECT_EQ(decoded.find_first_of("\r\n"), std::string::npos);
    auto message = openMessage(*store, prop(row, PR_ENTRYID).getBinary());
    ASSERT_EQ(message->SetProps({PropValue::string(PR_SUBJECT_A, "tag\r\nBcc: x@evil " + decoded)}, nullptr),
              S_OK);
    ASSERT_EQ(message->SaveChanges(KEEP_OPEN_READWRITE), S_OK);
    const std::string file = testsupport::messageFilesBelow(m_builder.root()).begin()->second;
    EXPECT_EQ(file.find("\nBcc:"), std::string::npos) << file;
    EXPECT_EQ(stringProp(onlyRow(*openRoot(*openStore(m_builder.root()))), PR_SUBJECT_A),
              "tag  Bcc: x@evil " + decoded);
}

TEST_F(MaildirStoreTest, AConcurrentChangeIsAnsweredByObjectChangedAndForceSaveKeepsIt) {
    const fs::path file = m_builder.addMessage("", testsupport::simpleMessage("Original", "old body\n"),
                                               {.unique = "5.M5.host"});
    auto store = openStore(m_builder.root());
    const Binary id = prop(onlyRow(*openRoot(*store)), PR_ENTRYID).getBinary();
    auto message = openMessage(*store, id);
    ASSERT_EQ(message->SetProps({PropValue::string(PR_SUBJECT_A, "[tag] Original")}, nullptr), S_OK);

    // Another client rewrites the message and marks it read meanwhile.
    const std::string other = testsupport::simpleMessage("Original", "edited elsewhere\n");
    testsupport::writeFileText(m_builder.root() / "tmp" / "other", other);
    fs::rename(m_builder.root() / "tmp" / "other", file);
    fs::rename(file, m_builder.root() / "cur" / "5.M5.host:2,S");

    const HRESULT hr = message->SaveChanges(KEEP_OPEN_READWRITE);
    ASSERT_EQ(hr, MAPI_E_OBJECT_CHANGED);
    EXPECT_NE(lastErrorText(*message, hr).find("5.M5.host:2,S"), std::string::npos);
    EXPECT_EQ(testsupport::readFileText(m_builder.root() / "cur" / "5.M5.host:2,S"), other);

    ASSERT_EQ(message->SaveChanges(FORCE_SAVE), S_OK);
    EXPECT_EQ(testsupport::readFileText(m_builder.root() / "cur" / "5.M5.host:2,S"),
              testsupport::simpleMessage("[tag] Original", "edited elsewhere\n"));
}

// Opening a listed message reuses what the listing read only while its file is the one listed.
TEST_F(MaildirStoreTest, OpeningAListedMessageAnswersTheFileAsItIsNow) {
    const fs::path replaced =
        m_builder.addMessage("", testsupport::simpleMessage("Listed", "a\n"), {.unique = "6.M6.host"});
    m_builder.addMessage("", testsupport::simpleMessage("Kept", "b\n"), {.unique = "7.M7.host"});
    auto store = openStore(m_builder.root());
    const RowSet rows = contents(*openRoot(*store));
    ASSERT_EQ(rows.size(), 2u);
    testsupport::writeFileText(m_builder.root() / "tmp" / "other",
                               testsupport::simpleMessage("Rewritten", "c\n"));
    fs::rename(m_builder.root() / "tmp" / "other", replaced);

    for (const auto& row : rows) {
        auto message = openMessage(*store, prop(row, PR_ENTRYID).getBinary());
        std::vector<PropValue> values;
        ASSERT_EQ(message->GetProps({PR_SUBJECT_A, PR_MESSAGE_CLASS_A}, 0, values), S_OK);
        const bool kept = stringProp(row, PR_SUBJECT_A) == "Kept";
        EXPECT_EQ(values[0].getString(), kept ? "Kept" : "Rewritten");
        EXPECT_EQ(values[1].getString(), "IPM.Note");
        // The identity taken at opening is the file's: a save is no concurrent change.
        ASSERT_EQ(
            message->SetProps({PropValue::string(PR_SUBJECT_A, "[t] " + values[0].getString())}, nullptr),
            S_OK);
        EXPECT_EQ(message->SaveChanges(0), S_OK);
    }
    for (const auto& row : contents(*openRoot(*openStore(m_builder.root()))))
        EXPECT_TRUE(stringProp(row, PR_SUBJECT_A) == "[t] Kept" ||
                    stringProp(row, PR_SUBJECT_A) == "[t] Rewritten")
            << stringProp(row, PR_SUBJECT_A);
}

TEST_F(MaildirStoreTest, ABodyFollowsItsFileAndRefusesWhatReplacedIt) {
    enum class Change { RenamedByAnotherTool, ReplacedByFifo, Removed };
    for (const Change change : {Change::RenamedByAnotherTool, Change::ReplacedByFifo, Change::Removed}) {
        SCOPED_TRACE(static_cast<int>(change));
        testsupport::TemporaryFolder temporary;
        testsupport::MaildirBuilder builder(temporary.path() / "Maildir");
        const fs::path file =
            builder.addMessage("", testsupport::simpleMessage("Moving", "body\n"), {.unique = "8.M8.host"});
        auto store = openStore(builder.root());
        const RowSet rows = contents(*openRoot(*store));
        ASSERT_EQ(rows.size(), 1u);
        auto message = openMessage(*store, prop(rows[0], PR_ENTRYID).getBinary());
        if (change == Change::RenamedByAnotherTool) {
            fs::rename(file, builder.root() / "cur" / "8.M8.host:2,S");
        } else {
            fs::remove(file);
            if (change == Change::ReplacedByFifo)
                ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
        }
        // A FIFO is neither waited on nor read: the message is gone.
        for (const std::uint32_t flags : {0u, MAPI_DEFERRED_ERRORS}) {
            const BodyRead body = readBody(*message, flags);
            if (change == Change::RenamedByAnotherTool) {
                EXPECT_EQ(body.result, S_OK);
                EXPECT_EQ(body.text, "body\r\n");
            } else {
                EXPECT_EQ(body.result, MAPI_E_OBJECT_DELETED);
            }
        }
    }
}

TEST_F(MaildirStoreTest, MoveToAnotherFileSystemCopiesThenRemoves) {
    const fs::path shm = "/dev/shm";
    struct stat here {
    }, there{};
    if (::stat(m_temporary.path().c_str(), &here) != 0 || ::stat(shm.c_str(), &there) != 0 ||
        here.st_dev == there.st_dev)
        GTEST_SKIP() << "needs /dev/shm on another file system";
    const fs::path otherRoot = shm / ("larkspire-maildir-" + m_temporary.path().filename().string());
    MaildirBuilder other(otherRoot);
    const std::string text = testsupport::simpleMessage("Far away", "x\n");
    m_builder.addMessage("", text, {.flags = "S", .unique = "6.M6.host", .mtime = kArrival});
    auto store = openStore(m_builder.root());
    auto root = openRoot(*store);
    auto destinationStore = openStore(otherRoot);
    auto destination = openRoot(*destinationStore);
    const HRESULT hr = root->CopyMessages({prop(onlyRow(*root), PR_ENTRYID).getBinary()}, Iid::IMAPIFolder,
                                          *destination, 0, nullptr, MESSAGE_MOVE);
    const auto moved = testsupport::messageFilesBelow(otherRoot);
    const auto left = testsupport::messageFilesBelow(m_builder.root());
    std::error_code ignored;
    fs::remove_all(otherRoot, ignored);
    ASSERT_EQ(hr, S_OK);
    EXPECT_TRUE(left.empty());
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved.begin()->first, "cur/6.M6.host:2,S");
    EXPECT_EQ(moved.begin()->second, text);
}

TEST_F(MaildirStoreTest, HostileFilesAreListedAndReadWithoutHarm) {
    m_builder.addMessage("", "", {.unique = "7.empty"});
    m_builder.addMessage("", std::string("\x00\x01\xFF\xFE junk \x00\x80", 12), {.unique = "8.junk"});
    std::string params = "Subject: Params\nContent-Type: text/plain";
    for (int i = 0; i < 7000; ++i)
        params += ";";
    params += " charset=utf-8\n\nStill readable.\n";
    m_builder.addMessage("", params, {.unique = "9.params"});
    std::string deep = "Subject: Deep\nContent-Type: text/html\n\n";
    for (int i = 0; i < 20000; ++i)
        deep += "<div>";
    deep += "deep text";
    m_builder.addMessage("", deep, {.unique = "10.deep"});

    auto store = openStore(m_builder.root());
    std::map<std::string, BodyRead> bodies;
    const auto start = std::chrono::steady_clock::now();
    for (const auto& row : contents(*openRoot(*store)))
        bodies[stringProp(row, PR_SUBJECT_A)] =
            readBody(*openMessage(*store, prop(row, PR_ENTRYID).getBinary()));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(bodies.size(), 3u); // the empty file and the junk have no subject
    EXPECT_EQ(bodies[""].result, S_OK);
    EXPECT_EQ(bodies[""].text, std::string("\x01\xC3\xBF\xC3\xBE junk \xE2\x82\xAC", 14));
    EXPECT_EQ(bodies["Params"].text, "Still readable.\r\n");
    EXPECT_EQ(bodies["Deep"].text, "deep text");
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 2000);
}

} // namespace
