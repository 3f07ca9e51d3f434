#include "EmailThreadFixture.h"

#include "mapi/PropTags.h"

namespace engine::testing {
namespace {

using Outcome = TEmailThread::Outcome;
using Texts = std::vector<std::string>;
using Numbers = std::vector<std::int32_t>;

TEST_F(EmailThreadFixture, EmptyFolderCompletesWithZeroAndTheUnchangedNumber) {
    job.firstNumber = 41;
    EXPECT_EQ(run(), Outcome::Completed);
    EXPECT_EQ(sink->lines,
              (Texts{"Connecting to MAPI client...", "Locating source mail folder...", "Counting emails...",
                     "Sorting emails...", "Processing emails...", "Complete. 0 emails processed"}));
    EXPECT_EQ(sink->progress, (Numbers{100}));
    EXPECT_EQ(sink->shown, 1);
    EXPECT_EQ(sink->finished, 1);
    EXPECT_EQ(host->firstNumbers, (Numbers{41}));
    EXPECT_EQ(host->countSaves, 1);
    EXPECT_TRUE(outputFiles().empty());
}

TEST_F(EmailThreadFixture, ThreeMessagesGetConsecutiveFilesAndHandTheNextNumberBack) {
    addMessage("first", "Hello\r\nworld");
    addMessage("second", std::nullopt);
    addMessage("third", "caf\xc3\xa9");
    job.firstNumber = 5;
    EXPECT_EQ(run(), Outcome::Completed);

    EXPECT_EQ(outputFiles(), (Texts{"00005.txt", "00006.txt", "00007.txt"}));
    EXPECT_EQ(outputText("00005.txt"), "Hello\r\nworld\r\n");
    EXPECT_EQ(outputText("00006.txt"), "\r\n"); // a message without a body
    EXPECT_EQ(outputText("00007.txt"), "caf\xc3\xa9\r\n");
    EXPECT_EQ(host->firstNumbers, (Numbers{8}));
    EXPECT_EQ(host->countSaves, 1);
    EXPECT_EQ(Texts(sink->lines.begin() + 5, sink->lines.end()),
              (Texts{"Processing email 1 of 3", "Processing email 2 of 3", "Processing email 3 of 3",
                     "Complete. 3 emails processed"}));
    EXPECT_EQ(sink->progress, (Numbers{33, 66, 100, 100}));
    EXPECT_EQ(sink->subjects, (Texts{"first", "second", "third", ""}));
    EXPECT_EQ(sink->finished, 1);
    EXPECT_TRUE(errorBoxes().empty());
}

TEST_F(EmailThreadFixture, EveryUpdateAndEveryMessageServesPendingEvents) {
    addMessage("one");
    addMessage("two");
    EXPECT_EQ(run(), Outcome::Completed);
    // Once after show, after each of 6 + 2 status lines, 2 + 1 progress and 2 + 1 subject
    // updates, and once before each message.
    EXPECT_EQ(sink->pumps, 1 + 8 + 3 + 3 + 2);
}

TEST_F(EmailThreadFixture, OutputFilesTakeTheMessageTimeAndReplaceExistingFiles) {
    addMessage("Re: Report 3/4", "new", platform::dateTimeFromParts(2024, 1, 31, 14, 5, 9));
    job.numberFormat = "%SUBJECT_%NUMBER.txt";
    job.firstNumber = 12;
    std::ofstream(output.path() / "Re Report 34_12.txt") << "old text that is longer";
    EXPECT_EQ(run(), Outcome::Completed);

    EXPECT_EQ(outputFiles(), (Texts{"Re Report 34_12.txt"}));
    EXPECT_EQ(outputText("Re Report 34_12.txt"), "new\r\n");
    const auto written = std::filesystem::last_write_time(output.path() / "Re Report 34_12.txt");
    const auto expected = platform::localDateTimeToUtc(platform::dateTimeFromParts(2024, 1, 31, 14, 5, 9));
    EXPECT_EQ(std::chrono::duration_cast<std::chrono::seconds>(
                  std::chrono::file_clock::to_sys(written).time_since_epoch())
                  .count(),
              expected.tv_sec);
}

TEST_F(EmailThreadFixture, TagPostActionSkipsTaggedSubjectsCaseSensitively) {
    const auto tagged = addMessage("*RP* done before", "a");
    const auto lower = addMessage("*rp* lower case", "b");
    const auto plain = addMessage("plain", "c");
    job.moveMessages = TagSubjectLine;
    job.firstNumber = 1;
    EXPECT_EQ(run(), Outcome::Completed);

    EXPECT_EQ(outputFiles(), (Texts{"00001.txt", "00002.txt"}));
    EXPECT_EQ(outputText("00001.txt"), "b\r\n");
    EXPECT_EQ(outputText("00002.txt"), "c\r\n");
    EXPECT_EQ(subjectOf(tagged), "*RP* done before");
    EXPECT_EQ(subjectOf(lower), "*RP* *rp* lower case");
    EXPECT_EQ(subjectOf(plain), "*RP* plain");
    EXPECT_EQ(sink->lines.back(), "Complete. 3 emails processed");
    EXPECT_EQ(host->firstNumbers, (Numbers{3}));
}

TEST_F(EmailThreadFixture, MovePostActionMovesEachMessageToTheDestination) {
    addMessage("one");
    addMessage("two");
    job.moveMessages = MoveToDestination;
    job.destinationFolder = identity(archive);
    EXPECT_EQ(run(), Outcome::Completed);

    EXPECT_TRUE(store.messages(inbox).empty());
    EXPECT_EQ(store.messages(archive).size(), 2u);
    EXPECT_EQ(sink->lines.at(2), "Locating destination mail folder...");
    EXPECT_EQ(outputFiles().size(), 2u);
}

TEST_F(EmailThreadFixture, PostActionsOtherThanMoveNeverOpenTheDestination) {
    for (const std::int32_t action : {LeaveInFolder, TagSubjectLine}) {
        SCOPED_TRACE(action);
        addMessage("message");
        faults->clearLog();
        const mapi::Binary stale = mapi::makeObjectEntryId(mapi::makeStoreEntryId(store.url()), "gone");
        job = defaultJob();
        job.moveMessages = action;
        job.destinationFolder = identity(stale);
        EXPECT_EQ(run(), Outcome::Completed);
        EXPECT_EQ(faults->count("OpenEntry", mapi::fault::ObjectKind::Any, stale), 0u);
        EXPECT_TRUE(std::find(sink->lines.begin(), sink->lines.end(),
                              "Locating destination mail folder...") == sink->lines.end());
    }
}

TEST_F(EmailThreadFixture, ReadStatusMarksEachMessageRead) {
    for (const bool readStatus : {false, true}) {
        SCOPED_TRACE(readStatus);
        const auto message = addMessage("message");
        job = defaultJob();
        job.readStatus = readStatus;
        EXPECT_EQ(run(), Outcome::Completed);
        const std::int32_t flags = store.prop(message, mapi::PR_MESSAGE_FLAGS)->getLong();
        EXPECT_EQ((flags & mapi::MSGFLAG_READ) != 0, readStatus);
        store.setProp(message, mapi::PropValue::integer(mapi::PR_MESSAGE_FLAGS, mapi::MSGFLAG_READ));
    }
}

TEST_F(EmailThreadFixture, ChosenSourceFolderIsReadInsteadOfTheInbox) {
    addMessage("in the inbox");
    addMessage("archived", "from the archive", 45322.5, archive);
    job.getFromDefaultFolder = false;
    job.sourceFolder = identity(archive);
    EXPECT_EQ(run(), Outcome::Completed);
    EXPECT_EQ(outputFiles(), (Texts{"00000.txt"}));
    EXPECT_EQ(outputText("00000.txt"), "from the archive\r\n");
}

TEST_F(EmailThreadFixture, SortOrderDecidesWhichMessageGetsWhichNumber) {
    addMessage("b", "b");
    addMessage("A", "A");
    addMessage("c", "c");
    job.sortOrder = engine::SubjectLine;
    job.sortDescending = true;
    EXPECT_EQ(run(), Outcome::Completed);
    EXPECT_EQ(outputText("00000.txt") + outputText("00001.txt") + outputText("00002.txt"), "c\r\nb\r\nA\r\n");
}

} // namespace
} // namespace engine::testing

namespace engine::testing {
namespace {

struct ReadAheadCase {
    std::int32_t messageSize;
    std::size_t mostAhead;
};

class BodyReadAheadTest : public EmailThreadFixture, public ::testing::WithParamInterface<ReadAheadCase> {};

// Bodies are opened ahead of their turn, at most 64 messages or 16 MB of messages ahead; each
// body is opened once, and a message whose subject is tagged is never opened.
TEST_P(BodyReadAheadTest, BodiesAreOpenedAheadWithinTheWindow) {
    for (int i = 0; i < 150; ++i) {
        const auto message =
            addMessage(i % 10 == 9 ? "*RP* done " + std::to_string(i) : "new " + std::to_string(i));
        store.setProp(message, mapi::PropValue::integer(mapi::PR_MESSAGE_SIZE, GetParam().messageSize));
    }
    std::size_t mostAhead = 0;
    sink->onPump = [&] {
        // Messages begun so far (tagged ones too) against bodies opened.
        const std::size_t begun = sink->subjects.size();
        const std::size_t opened = faults->count("OpenProperty") + begun / 10;
        if (opened > begun)
            mostAhead = std::max(mostAhead, opened - begun);
    };
    job.moveMessages = TagSubjectLine;
    EXPECT_EQ(run(), Outcome::Completed);
    sink->onPump = nullptr;
    EXPECT_EQ(faults->count("OpenProperty"), 135u);
    EXPECT_EQ(outputFiles().size(), 135u);
    EXPECT_GT(mostAhead, 0u);
    EXPECT_LE(mostAhead, GetParam().mostAhead);
}

INSTANTIATE_TEST_SUITE_P(Windows, BodyReadAheadTest,
                         ::testing::Values(ReadAheadCase{1000, 64}, ReadAheadCase{4 << 20, 4}),
                         [](const ::testing::TestParamInfo<ReadAheadCase>& info) {
                             return info.param.messageSize > 1000 ? std::string("LargeMessages")
                                                                  : std::string("SmallMessages");
                         });

} // namespace
} // namespace engine::testing
