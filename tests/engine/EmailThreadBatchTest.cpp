// Output files are committed in batches. Whatever ends a batch early (a failing post-action, a
// failing body read, Cancel), the run leaves what the one-message-at-a-time run would have left:
// the messages before the failure with file and post-action, the later ones with neither.

#include "EmailThreadFixture.h"

#include "mapi/PropTags.h"

#include <chrono>
#include <thread>

namespace engine::testing {
namespace {

using Outcome = TEmailThread::Outcome;
using Texts = std::vector<std::string>;
using Numbers = std::vector<std::int32_t>;
using mapi::memory::MessageRef;

class EmailThreadBatch : public EmailThreadFixture {
protected:
    std::vector<MessageRef> addMessages(int count) {
        std::vector<MessageRef> added;
        for (int i = 1; i <= count; ++i)
            added.push_back(addMessage("message " + std::to_string(i), "body " + std::to_string(i)));
        return added;
    }
    bool tagged(MessageRef message) const { return subjectOf(message).starts_with("*RP* "); }
    bool read(MessageRef message) const {
        return (store.prop(message, mapi::PR_MESSAGE_FLAGS)->getLong() & mapi::MSGFLAG_READ) != 0;
    }
    // Whether the message's post-action of `action` was done.
    bool finished(MessageRef message, std::int32_t action) const {
        switch (action) {
        case MoveToDestination:
            return store.folderOf(message) == archive;
        case TagSubjectLine:
            return tagged(message);
        default:
            return read(message);
        }
    }
};

struct PostActionFailure {
    const char* name;
    std::int32_t action;
    bool readStatus;
    mapi::fault::FaultRule fault; // fails at the third message
    const char* errorPrefix;
    // What the failing message kept of the steps done before the failing one.
    bool failingMessageRead;
    bool failingMessageFinished;
};

class EmailThreadPostActionFailure : public EmailThreadBatch,
                                     public ::testing::WithParamInterface<PostActionFailure> {};

TEST_P(EmailThreadPostActionFailure, MidBatchLeavesExactlyTheFilesOfTheMessagesProcessed) {
    const auto messages = addMessages(5);
    job.moveMessages = GetParam().action;
    job.readStatus = GetParam().readStatus;
    if (GetParam().action == MoveToDestination)
        job.destinationFolder = identity(archive);
    faults->add(GetParam().fault);
    EXPECT_EQ(run(), Outcome::Failed);

    // The failing message keeps its file, as it had it before its post-action; the two after it
    // in the batch were staged and committed, and are taken back.
    EXPECT_EQ(outputFiles(), (Texts{"00000.txt", "00001.txt", "00002.txt"}));
    EXPECT_EQ(outputText("00002.txt"), "body 3\r\n");
    for (const int i : {0, 1})
        EXPECT_TRUE(finished(messages[i], GetParam().action)) << "message " << i + 1;
    EXPECT_EQ(finished(messages[2], GetParam().action), GetParam().failingMessageFinished);
    EXPECT_EQ(read(messages[2]), GetParam().failingMessageRead);
    for (const int i : {3, 4}) {
        EXPECT_FALSE(finished(messages[i], GetParam().action)) << "message " << i + 1;
        EXPECT_FALSE(read(messages[i])) << "message " << i + 1;
    }
    EXPECT_EQ(currentNumber, 2);
    ASSERT_EQ(errorBoxes().size(), 1u);
    EXPECT_TRUE(errorBoxes()[0].starts_with(errorBox("EMapiError", GetParam().errorPrefix)))
        << errorBoxes()[0];
    EXPECT_TRUE(host->firstNumbers.empty());
    EXPECT_EQ(sink->lines.back(), "Processing email 5 of 5");
}

INSTANTIATE_TEST_SUITE_P(
    Actions, EmailThreadPostActionFailure,
    ::testing::Values(PostActionFailure{"Move",
                                        MoveToDestination,
                                        true,
                                        {.operation = "CopyMessages", .nth = 3},
                                        "Position:170 ",
                                        true,
                                        false},
                      // Two saves a tag: the subject change's own, which stays saved, and the run's.
                      PostActionFailure{"Tag",
                                        TagSubjectLine,
                                        false,
                                        {.operation = "SaveChanges", .nth = 6},
                                        "Position:changesubj:-351 ",
                                        false,
                                        true},
                      PostActionFailure{"ReadFlag",
                                        LeaveInFolder,
                                        true,
                                        {.operation = "SetReadFlag", .nth = 3},
                                        "Position:250 ",
                                        false,
                                        false}),
    [](const ::testing::TestParamInfo<PostActionFailure>& info) { return std::string(info.param.name); });

TEST_F(EmailThreadBatch, AFailureFinishingABatchOnItsWayTakesBackTheBatchBeingFilled) {
    // Messages 1-256 reach the disk while 257-300 are staged; the run's save of message 100's tag
    // fails when the first batch is finished (the subject change's own save stays, as in an
    // unbatched run), so the staged later batch is never committed.
    const auto messages = addMessages(300);
    job.moveMessages = TagSubjectLine;
    faults->add({.operation = "SaveChanges", .nth = 200});
    EXPECT_EQ(run(), Outcome::Failed);

    Texts expected;
    for (int i = 0; i < 100; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "%05d.txt", i);
        expected.push_back(name);
    }
    EXPECT_EQ(outputFiles(), expected);
    for (int i = 0; i < 300; ++i)
        EXPECT_EQ(tagged(messages[i]), i < 100) << "message " << i + 1;
    EXPECT_EQ(currentNumber, 99);
    ASSERT_EQ(errorBoxes().size(), 1u);
    EXPECT_TRUE(errorBoxes()[0].starts_with(errorBox("EMapiError", "Position:changesubj:-351 ")))
        << errorBoxes()[0];
    EXPECT_TRUE(host->firstNumbers.empty());
}

TEST_F(EmailThreadBatch, BodyReadFailingMidBatchFinishesTheMessagesBeforeIt) {
    const auto messages = addMessages(5);
    job.moveMessages = TagSubjectLine;
    faults->add({.operation = "OpenProperty",
                 .kind = mapi::fault::ObjectKind::Message,
                 .entryId = store.entryIdOf(messages[2]),
                 .result = mapi::MAPI_E_NO_ACCESS});
    EXPECT_EQ(run(), Outcome::Failed);

    EXPECT_EQ(outputFiles(), (Texts{"00000.txt", "00001.txt"}));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(tagged(messages[i]), i < 2) << "message " << i + 1;
    EXPECT_EQ(currentNumber, 2);
    ASSERT_EQ(errorBoxes().size(), 1u);
    EXPECT_TRUE(errorBoxes()[0].starts_with(errorBox("EMapiError", "Position:PlainText190.2 ")))
        << errorBoxes()[0];
    EXPECT_EQ(sink->lines.back(), "Processing email 3 of 5");
}

TEST_F(EmailThreadBatch, TheFirstFailureInMessageOrderIsReportedWhenALaterOneStopsTheBatch) {
    const auto first = addMessage("a", "a");
    const auto taken = addMessage("taken", "b");
    const auto third = addMessage("c", "c");
    addMessage("50% off", "d");
    std::filesystem::create_directory(output.path() / "taken.txt");
    job.numberFormat = "%SUBJECT.txt";
    job.moveMessages = TagSubjectLine;
    EXPECT_EQ(run(), Outcome::Failed);

    // The fourth name stops the batch; committing it fails at the second file first.
    EXPECT_EQ(errorBoxes(), (Texts{errorBox("ESystemError", "Cannot replace '" + output.path().string() +
                                                                "/taken.txt': Is a directory.")}));
    EXPECT_EQ(outputFiles(), (Texts{"a.txt", "taken.txt"}));
    EXPECT_TRUE(std::filesystem::is_directory(output.path() / "taken.txt"));
    EXPECT_TRUE(tagged(first));
    EXPECT_FALSE(tagged(taken));
    EXPECT_FALSE(tagged(third));
    EXPECT_EQ(currentNumber, 1);
}

TEST_F(EmailThreadBatch, CancelMidBatchCommitsAndFinishesWhatWasStaged) {
    const auto messages = addMessages(5);
    job.moveMessages = TagSubjectLine;
    job.readStatus = true;
    sink->onPump = [this] {
        if (!sink->lines.empty() && sink->lines.back() == "Processing email 3 of 5")
            sink->cancel = true;
    };
    EXPECT_EQ(run(), Outcome::Interrupted);

    EXPECT_EQ(outputFiles(), (Texts{"00000.txt", "00001.txt", "00002.txt"}));
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(tagged(messages[i]), i < 3) << "message " << i + 1;
        EXPECT_EQ(read(messages[i]), i < 3) << "message " << i + 1;
    }
    EXPECT_EQ(sink->lines.back(), "Interrupted by user. 3 emails processed");
    EXPECT_EQ(currentNumber, 3);
    EXPECT_TRUE(host->firstNumbers.empty());
}

TEST_F(EmailThreadBatch, SixHundredMessagesCrossTwoBatchBoundariesWithConsecutiveNumbers) {
    const auto messages = addMessages(600);
    job.moveMessages = TagSubjectLine;
    job.firstNumber = 1;
    // A full batch reaches the disk while the next one fills: the first batch (messages 1-256)
    // is neither renamed nor tagged while the 257th message is shown, and finished, with its
    // tags, by the time the 513th (the next boundary) is; the second batch is not yet.
    std::vector<bool> seen;
    sink->onPump = [&] {
        if (sink->lines.empty())
            return;
        const std::string& line = sink->lines.back();
        if (line == "Processing email 257 of 600" && seen.empty())
            seen = {tagged(messages[0]), std::filesystem::exists(output.path() / "00001.txt")};
        if (line == "Processing email 513 of 600" && seen.size() == 2)
            seen.insert(seen.end(),
                        {tagged(messages[255]), std::filesystem::exists(output.path() / "00256.txt"),
                         tagged(messages[256]), std::filesystem::exists(output.path() / "00257.txt")});
    };
    EXPECT_EQ(run(), Outcome::Completed);

    EXPECT_EQ(seen, (std::vector<bool>{false, false, true, true, false, false}));
    const Texts files = outputFiles();
    ASSERT_EQ(files.size(), 600u);
    for (int i = 0; i < 600; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "%05d.txt", i + 1);
        ASSERT_EQ(files[i], name);
        EXPECT_EQ(outputText(name), "body " + std::to_string(i + 1) + "\r\n") << name;
        EXPECT_TRUE(tagged(messages[i])) << name;
    }
    EXPECT_EQ(host->firstNumbers, (Numbers{601}));
}

TEST_F(EmailThreadBatch, ABatchOlderThanASecondIsOnItsWayBeforeTheNextMessage) {
    const auto messages = addMessages(5);
    job.moveMessages = TagSubjectLine;
    // A slow folder: a second passes while messages 2 and 4 are shown, so messages 1-2 form a
    // batch at message 3 and are finished when 3-4 have aged into the next one, at message 5.
    std::vector<bool> seen;
    sink->onPump = [&] {
        if (sink->lines.empty())
            return;
        const std::string& line = sink->lines.back();
        if ((line == "Processing email 2 of 5" && seen.empty()) ||
            (line == "Processing email 4 of 5" && seen.size() == 1)) {
            seen.push_back(tagged(messages[0]));
            std::this_thread::sleep_for(std::chrono::milliseconds(1100));
        }
        if (line == "Processing email 5 of 5" && seen.size() == 2)
            seen.insert(seen.end(), {tagged(messages[0]), tagged(messages[1]), tagged(messages[2])});
    };
    EXPECT_EQ(run(), Outcome::Completed);
    EXPECT_EQ(seen, (std::vector<bool>{false, false, true, true, false}));
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(tagged(messages[i])) << "message " << i + 1;
}

} // namespace
} // namespace engine::testing
