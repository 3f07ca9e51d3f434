// A child process runs a tag run, a read-flag run, a move run and a run of all three over an mbox
// tree, holding its messages as the extraction run does, and is stopped at each durable step in
// turn. After every stop each message is whole, its original or its intended result; only a
// moved message may stand in both folders, for a stop between its arrival in one and its removal
// from the other. Running again reaches the files of a run that was never stopped.

#include "mapi/mbox/MboxFixture.h"
#include "support/MaildirBuilder.h"
#include "support/MboxText.h"
#include "support/SampleMessages.h"
#include "support/StoppedChild.h"
#include "support/TemporaryFolder.h"

#include "platform/StepCounter.h"

#include <gtest/gtest.h>
#include <map>

namespace {

using namespace mapi;
using namespace maildirtest;
using namespace mboxtest;
namespace fs = std::filesystem;

const std::string kTag = "[done] ";
const std::vector<std::string> kNames = {"Alpha", "Bravo", "Charlie", "Delta"};

void buildStore(const fs::path& root) {
    fs::create_directories(root);
    testsupport::writeFileText(root / "Archive", "");
    std::string inbox;
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        std::string message = testsupport::simpleMessage(kNames[i], "From the body of " + kNames[i] + "\n");
        if (i == 1)
            message = testsupport::withCrLf(message);
        if (i == 2)
            message.insert(0, "X-Mozilla-Status: 0000\n");
        inbox += testsupport::mboxRecord(message, 1700000000 + static_cast<std::int64_t>(i) * 3600);
    }
    testsupport::writeFileText(root / "Inbox", inbox);
}

struct Sequence {
    std::string name;
    bool tag;
    bool read;
    bool move;
};

// What the run does once the output files are durable; it holds the messages of its batch until
// their post-actions are done.
void runSequence(const fs::path& root, const Sequence& sequence) {
    auto store = openMbox(root);
    auto inbox = openRoot(*store);
    auto archive = openFolder(*store, childFolderId(*openFolder(*store, {}), "Archive"));
    const RowSet rows = contents(*inbox);
    std::vector<std::shared_ptr<IMessage>> held;
    for (const auto& row : rows)
        held.push_back(openMessage(*store, prop(row, PR_ENTRYID).getBinary()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string subject = stringProp(rows[i], PR_SUBJECT_A);
        if (sequence.read)
            markRead(*held[i]);
        if (sequence.tag && subject.rfind(kTag, 0) != 0)
            setSubject(*held[i], kTag + subject);
        if (sequence.move)
            check(inbox->CopyMessages({prop(rows[i], PR_ENTRYID).getBinary()}, Iid::IMAPIFolder, *archive, 0,
                                      nullptr, MESSAGE_MOVE),
                  "move");
    }
}

std::string nameOf(const std::string& record) {
    for (const auto& name : kNames)
        if (record.find("Subject: " + name) != std::string::npos ||
            record.find("Subject: " + kTag + name) != std::string::npos)
            return name;
    return "?";
}

// Every message of both folders by name, with the folder it is in.
std::multimap<std::string, std::pair<std::string, std::string>> messagesOf(const fs::path& root) {
    std::multimap<std::string, std::pair<std::string, std::string>> found;
    for (const char* folder : {"Inbox", "Archive"})
        for (const auto& record : testsupport::mboxMessages(testsupport::readFileText(root / folder)))
            found.emplace(nameOf(record), std::make_pair(std::string(folder), record));
    return found;
}

class KillAtEveryStep : public ::testing::TestWithParam<Sequence> {};

TEST_P(KillAtEveryStep, NoMessageIsLostDoubledOrDamagedAndARerunFinishes) {
    testsupport::TemporaryFolder temporary;
    const fs::path reference = temporary.path() / "reference";
    buildStore(reference);
    const auto original = messagesOf(reference);
    const long before = platform::durableStepsTaken();
    runSequence(reference, GetParam());
    const long steps = platform::durableStepsTaken() - before;
    const auto finished = messagesOf(reference);
    const std::string finishedInbox = testsupport::readFileText(reference / "Inbox");
    const std::string finishedArchive = testsupport::readFileText(reference / "Archive");
    // One rewrite of the Inbox (lock file, temporary file, write, fsync, rename, lock file
    // removed), and before it one of the Archive when messages move there; the Inbox then ends
    // empty, so its rewrite has nothing to write.
    EXPECT_EQ(steps, GetParam().move ? 6 + 5 : 6);
    ASSERT_EQ(original.size(), kNames.size());

    int stops = 0;
    for (long step = 1; step <= steps + 1; ++step) {
        const fs::path root = temporary.path() / ("run" + std::to_string(step));
        buildStore(root);
        const int status = testsupport::runStoppedAt(step, [&] { runSequence(root, GetParam()); });
        if (step > steps) {
            EXPECT_EQ(status, 0);
            break;
        }
        ASSERT_EQ(status, testsupport::kStoppedAtStep) << "step " << step;
        ++stops;

        const auto now = messagesOf(root);
        for (const auto& name : kNames) {
            const auto [first, last] = now.equal_range(name);
            const auto copies = std::distance(first, last);
            ASSERT_GE(copies, 1) << name << " lost at step " << step;
            ASSERT_LE(copies, GetParam().move ? 2 : 1) << name << " doubled at step " << step;
            const auto& was = original.find(name)->second;
            const auto& will = finished.find(name)->second;
            for (auto it = first; it != last; ++it)
                EXPECT_TRUE(it->second == was || it->second == will) << name << " damaged at step " << step;
            if (copies == 2) {
                EXPECT_NE(std::next(first)->second.first, first->second.first)
                    << name << " twice in a folder";
            }
        }

        runSequence(root, GetParam());
        EXPECT_EQ(testsupport::readFileText(root / "Inbox"), finishedInbox) << "step " << step;
        EXPECT_EQ(testsupport::readFileText(root / "Archive"), finishedArchive) << "step " << step;
    }
    EXPECT_EQ(stops, steps);
}

INSTANTIATE_TEST_SUITE_P(Runs, KillAtEveryStep,
                         ::testing::Values(Sequence{"Tag", true, false, false},
                                           Sequence{"ReadFlag", false, true, false},
                                           Sequence{"Move", false, false, true},
                                           Sequence{"All", true, true, true}),
                         [](const auto& info) { return info.param.name; });

} // namespace
