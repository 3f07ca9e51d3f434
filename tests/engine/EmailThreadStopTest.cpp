// How a run stops: Cancel, a status window that goes away, and errors, each leaving what was done
// before it done and the First number untouched.

#include "EmailThreadFixture.h"

#include "mapi/PropTags.h"

namespace engine::testing {
namespace {

using Outcome = TEmailThread::Outcome;
using Texts = std::vector<std::string>;
using Numbers = std::vector<std::int32_t>;

struct CancelCase {
    const char* name;
    const char* pressedDuring; // the status line after which Cancel is pressed
    std::vector<std::string> files;
    const char* finalText;
};

class EmailThreadCancel : public EmailThreadFixture, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(EmailThreadCancel, StopsBeforeTheNextMessageWithoutHandingTheNumberBack) {
    addMessage("one");
    addMessage("two");
    addMessage("three");
    sink->onPump = [this] {
        if (!sink->lines.empty() && sink->lines.back() == GetParam().pressedDuring)
            sink->cancel = true;
    };
    EXPECT_EQ(run(), Outcome::Interrupted);
    EXPECT_EQ(outputFiles(), GetParam().files);
    EXPECT_EQ(sink->lines.back(), GetParam().finalText);
    EXPECT_EQ(sink->progress.back(), 100);
    EXPECT_EQ(sink->subjects.back(), "");
    EXPECT_EQ(sink->finished, 1);
    EXPECT_TRUE(host->firstNumbers.empty());
    EXPECT_EQ(host->countSaves, 0);
}

INSTANTIATE_TEST_SUITE_P(Points, EmailThreadCancel,
                         ::testing::Values(CancelCase{"BeforeTheFirstMessage",
                                                      "Processing emails...",
                                                      {},
                                                      "Interrupted by user. 0 emails processed"},
                                           CancelCase{"DuringTheFirstMessage",
                                                      "Processing email 1 of 3",
                                                      {"00000.txt"},
                                                      "Interrupted by user. 1 emails processed"},
                                           CancelCase{"DuringTheLastMessage",
                                                      "Processing email 3 of 3",
                                                      {"00000.txt", "00001.txt", "00002.txt"},
                                                      "Interrupted by user. 3 emails processed"}),
                         [](const ::testing::TestParamInfo<CancelCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(EmailThreadFixture, SinkReleasedMidRunStopsBetweenMessages) {
    const auto first = addMessage("one");
    const auto second = addMessage("two");
    job.moveMessages = TagSubjectLine;
    sink->onPump = [this] {
        if (!sink->lines.empty() && sink->lines.back() == "Processing email 2 of 2")
            sink.reset(); // the frame closed the window; the run's own lock keeps this call safe
    };
    const std::weak_ptr<RecordingSink> watched = sink;
    EXPECT_EQ(run(), Outcome::Interrupted);
    EXPECT_TRUE(watched.expired());
    // The first message was done in full; the second was not touched.
    EXPECT_EQ(outputFiles(), (Texts{"00000.txt"}));
    EXPECT_EQ(subjectOf(first), "*RP* one");
    EXPECT_EQ(subjectOf(second), "two");
    EXPECT_TRUE(host->firstNumbers.empty());
    EXPECT_TRUE(errorBoxes().empty());
}

TEST_F(EmailThreadFixture, SinkReleasedAfterTheNumberWasHandedBackStillCompletes) {
    addMessage("one");
    sink->onPump = [this] {
        if (sink->progress.size() == 2) // the final progress update
            sink.reset();
    };
    EXPECT_EQ(run(), Outcome::Completed);
    EXPECT_EQ(host->firstNumbers, (Numbers{1}));
}

struct MissingFolderCase {
    const char* name;
    bool sourceMissing;
    const char* expected;
};

class EmailThreadMissingFolder : public EmailThreadFixture,
                                 public ::testing::WithParamInterface<MissingFolderCase> {};

TEST_P(EmailThreadMissingFolder, EndsWithTheFolderTextBeforeListing) {
    addMessage("one");
    const mapi::Binary gone = mapi::makeObjectEntryId(mapi::makeStoreEntryId(store.url()), "gone");
    job.getFromDefaultFolder = false;
    job.sourceFolder = GetParam().sourceMissing ? identity(gone) : identity(inbox);
    job.moveMessages = MoveToDestination;
    job.destinationFolder = GetParam().sourceMissing ? identity(archive) : identity(gone);
    job.fromFolderName = "Personal Folders\\Inbox";
    job.msgDestination = "Personal Folders\\Old";
    EXPECT_EQ(run(), Outcome::Failed);
    EXPECT_EQ(errorBoxes(), (Texts{errorBox("ERunError", GetParam().expected)}));
    EXPECT_EQ(faults->count("GetContentsTable"), 0u);
    EXPECT_TRUE(outputFiles().empty());
    EXPECT_EQ(sink->finished, 0);
    EXPECT_TRUE(host->firstNumbers.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Folders, EmailThreadMissingFolder,
    ::testing::Values(
        MissingFolderCase{
            "Source", true,
            "The source folder Personal Folders\\Inbox could not be found.\r\nThis can happen if "
            "you move, copy or rename the folder, or connect to it from a different machine or "
            "with a different login name.\r\n\r\nPlease re-select the source folder in the folder "
            "browse window."},
        MissingFolderCase{
            "Destination", false,
            "The destination folder Personal Folders\\Old could not be found.\r\nThis can happen "
            "if you move, copy or rename the folder, or connect to it from a different machine or "
            "with a different login name.\r\n\r\nPlease re-select the destination folder in the "
            "folder browse window."}),
    [](const ::testing::TestParamInfo<MissingFolderCase>& info) { return std::string(info.param.name); });

TEST_F(EmailThreadFixture, DefaultInboxThatCannotBeFoundEndsTheRun) {
    store.setReceiveFolder(std::nullopt);
    EXPECT_EQ(run(), Outcome::Failed);
    EXPECT_EQ(errorBoxes(), (Texts{errorBox("EMapiError", "Failed to find default inbox.")}));
}

TEST_F(EmailThreadFixture, ProfileWithoutDefaultStoreEndsTheRun) {
    faults->add({.operation = "GetMsgStoresTable", .nth = 0});
    EXPECT_EQ(run(), Outcome::Failed);
    EXPECT_EQ(
        errorBoxes(),
        (Texts{errorBox("ERunError",
                        "The mail profile has no default store, so the default Inbox cannot be read.")}));
}

TEST_F(EmailThreadFixture, DateOrderWithoutReceivedTimeFailsBeforeAnyFile) {
    addMessage("dated");
    addMessage("undated", "text", std::nullopt);
    job.sortOrder = engine::DateReceived;
    EXPECT_EQ(run(), Outcome::Failed);
    EXPECT_EQ(errorBoxes(), (Texts{errorBox("Exception", "Invalid variant operation.")}));
    EXPECT_TRUE(outputFiles().empty());
    EXPECT_EQ(sink->lines.back(), "Sorting emails...");
}

TEST_F(EmailThreadFixture, OutputFileThatCannotBeCreatedNamesPathAndReason) {
    addMessage("one");
    job.saveFolder = (output.path() / "missing").string();
    EXPECT_EQ(run(), Outcome::Failed);
    const std::string path = (output.path() / "missing" / "00000.txt").string();
    EXPECT_EQ(errorBoxes(),
              (Texts{errorBox("ESystemError", "Cannot create '" + path + "': No such file or directory.")}));
    // The status window keeps its last texts and its Cancel button.
    EXPECT_EQ(sink->lines.back(), "Processing email 1 of 1");
    EXPECT_EQ(sink->finished, 0);
}

struct BadNameCase {
    const char* name;
    const char* subject;
    const char* expected; // after "Cannot replace '<output folder>/"
};

class EmailThreadBadName : public EmailThreadFixture, public ::testing::WithParamInterface<BadNameCase> {};

TEST_P(EmailThreadBadName, FailsWithoutLeavingATemporaryFile) {
    addMessage(GetParam().subject);
    std::filesystem::create_directory(output.path() / "taken.txt");
    job.numberFormat = "%SUBJECT";
    EXPECT_EQ(run(), Outcome::Failed);
    EXPECT_EQ(errorBoxes(), (Texts{errorBox("ESystemError", "Cannot replace '" + output.path().string() +
                                                                "/" + GetParam().expected)}));
    EXPECT_EQ(outputFiles(), (Texts{"taken.txt"}));
}

INSTANTIATE_TEST_SUITE_P(
    Names, EmailThreadBadName,
    ::testing::Values(BadNameCase{"ExistingFolder", "taken.txt", "taken.txt': Is a directory."},
                      BadNameCase{"Empty", "", "': Not a directory."}),
    [](const ::testing::TestParamInfo<BadNameCase>& info) { return std::string(info.param.name); });

TEST_F(EmailThreadFixture, NumberFormatErrorAtAMessageKeepsEarlierFiles) {
    addMessage("fine", "a");
    addMessage("50% off", "b");
    job.numberFormat = "%SUBJECT.txt";
    EXPECT_EQ(run(), Outcome::Failed);
    EXPECT_EQ(outputFiles(), (Texts{"fine.txt"}));
    EXPECT_EQ(errorBoxes(),
              (Texts{errorBox("EFormatError", "Format '% ' invalid or incompatible with argument.")}));
}

TEST_F(EmailThreadFixture, FailingMoveEndsTheRunAndKeepsEarlierWork) {
    const auto first = addMessage("one");
    const auto second = addMessage("two");
    const auto third = addMessage("three");
    job.moveMessages = MoveToDestination;
    job.destinationFolder = identity(archive);
    job.readStatus = true;
    faults->add({.operation = "CopyMessages", .nth = 2});
    EXPECT_EQ(run(), Outcome::Failed);

    EXPECT_EQ(outputFiles(), (Texts{"00000.txt", "00001.txt"}));
    EXPECT_EQ(store.folderOf(first), archive);
    EXPECT_EQ(store.folderOf(second), inbox);
    EXPECT_EQ(store.folderOf(third), inbox);
    // The failing message was written and marked read before its move failed.
    EXPECT_NE(store.prop(second, mapi::PR_MESSAGE_FLAGS)->getLong() & mapi::MSGFLAG_READ, 0);
    EXPECT_EQ(store.prop(third, mapi::PR_MESSAGE_FLAGS)->getLong() & mapi::MSGFLAG_READ, 0);
    ASSERT_EQ(errorBoxes().size(), 1u);
    EXPECT_TRUE(errorBoxes()[0].starts_with(errorBox("EMapiError", "Position:170 ")));
    EXPECT_EQ(host->dialogService.dialogs[0].kind, platform::DialogKind::Error);
    EXPECT_EQ(host->dialogService.dialogs[0].buttons, platform::DialogButtons(platform::DialogButton::OK));
    EXPECT_EQ(host->dialogService.dialogs[0].title, "Application Error");
    EXPECT_TRUE(host->firstNumbers.empty());
    EXPECT_EQ(sink->finished, 0);
}

TEST_F(EmailThreadFixture, TagSaveFailureNamesTheSecondSave) {
    const auto message = addMessage("one");
    job.moveMessages = TagSubjectLine;
    // The first save is the subject change's own; the second is the run's.
    faults->add({.operation = "SaveChanges", .nth = 2});
    EXPECT_EQ(run(), Outcome::Failed);
    ASSERT_EQ(errorBoxes().size(), 1u);
    EXPECT_TRUE(errorBoxes()[0].starts_with(errorBox("EMapiError", "Position:changesubj:-351 ")));
    EXPECT_EQ(subjectOf(message), "*RP* one");
    EXPECT_EQ(outputFiles(), (Texts{"00000.txt"}));
}

} // namespace
} // namespace engine::testing
