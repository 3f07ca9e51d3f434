// A child process runs a sequence of read flags, moves and subject tags and is stopped at each
// durable step in turn. After every stop each message exists exactly once, is byte for byte its
// original or its intended result, and running the sequence again reaches the same end state as a
// run that was never stopped.

#include "mapi/maildir/StoreFixture.h"
#include "support/MaildirBuilder.h"
#include "support/SampleMessages.h"
#include "support/StoppedChild.h"
#include "support/TemporaryFolder.h"

#include "mapi/maildir/MaildirName.h"
#include "platform/StepCounter.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <unistd.h>

namespace {

using namespace mapi;
using namespace maildirtest;
namespace fs = std::filesystem;

const std::string kTag = "[done] ";

void buildStore(const fs::path& root) {
    testsupport::MaildirBuilder builder(root);
    builder.addFolder(".Archive");
    builder.addMessage("", testsupport::simpleMessage("Alpha", "first\n", "Mon, 1 Jan 2024 10:00:00 +0000"),
                       {.inNew = true, .unique = "1.M1.host"});
    builder.addMessage("",
                       testsupport::withCrLf(
                           testsupport::simpleMessage("Bravo", "second\n", "Tue, 2 Jan 2024 10:00:00 +0000")),
                       {.flags = "F", .unique = "2.M2.host", .sizeMarkers = true});
    builder.addMessage("", testsupport::simpleMessage("Charlie", "third\n", "Wed, 3 Jan 2024 10:00:00 +0000"),
                       {.unique = "3.M3.host"});
    builder.addMessage("", testsupport::simpleMessage("Delta", "fourth\n", "Thu, 4 Jan 2024 10:00:00 +0000"),
                       {.inNew = true, .unique = "4.M4.host"});
}

void check(HRESULT hr, const char* what) {
    if (failed(hr))
        throw std::runtime_error(std::string(what) + " failed");
}

void markRead(IMessage& message) {
    std::vector<PropValue> values;
    check(message.GetProps({PR_MESSAGE_FLAGS}, 0, values), "GetProps");
    if (!(values[0].getLong() & MSGFLAG_READ))
        check(message.SetReadFlag(SUPPRESS_RECEIPT), "SetReadFlag");
}

void tag(IMessage& message, const std::string& subject) {
    if (subject.rfind(kTag, 0) == 0)
        return;
    check(message.SetProps({PropValue::string(PR_SUBJECT_A, kTag + subject)}, nullptr), "SetProps");
    const HRESULT hr = message.SaveChanges(KEEP_OPEN_READWRITE);
    check(hr == MAPI_E_OBJECT_CHANGED ? message.SaveChanges(FORCE_SAVE) : hr, "SaveChanges");
}

// What a run does with each message of the Inbox, as the extraction run would.
void runSequence(const fs::path& root) {
    auto store = openStore(root);
    auto inbox = openRoot(*store);
    auto archive = openFolder(*store, childFolderId(*inbox, "Archive"));
    for (const auto& row : contents(*inbox)) {
        const std::string subject = stringProp(row, PR_SUBJECT_A);
        const Binary id = prop(row, PR_ENTRYID).getBinary();
        const std::string plain = subject.rfind(kTag, 0) == 0 ? subject.substr(kTag.size()) : subject;
        auto message = openMessage(*store, id);
        if (plain == "Alpha") {
            markRead(*message);
            check(inbox->CopyMessages({id}, Iid::IMAPIFolder, *archive, 0, nullptr, MESSAGE_MOVE), "move");
        } else if (plain == "Bravo") {
            tag(*message, subject);
            markRead(*message);
        } else if (plain == "Charlie") {
            tag(*message, subject);
            check(inbox->CopyMessages({id}, Iid::IMAPIFolder, *archive, 0, nullptr, MESSAGE_MOVE), "move");
        }
    }
}

struct MessageFile {
    std::string path; // relative to the root
    std::string content;
};

// Message files by key; a key seen twice is a doubled message.
std::map<std::string, std::vector<MessageFile>> filesByKey(const fs::path& root) {
    std::map<std::string, std::vector<MessageFile>> files;
    for (const auto& [path, content] : testsupport::messageFilesBelow(root))
        files[messageKey(MaildirName::parse(fs::path(path).filename().string()).unique)].push_back(
            {path, content});
    return files;
}

std::string folderOf(const std::string& path) {
    return fs::path(path).parent_path().parent_path().string();
}

std::string uniqueOf(const std::string& path) {
    return MaildirName::parse(fs::path(path).filename().string()).unique;
}

bool isRead(const std::string& path) {
    return MaildirName::parse(fs::path(path).filename().string()).hasFlag('S');
}

TEST(KillAtEveryStep, NoMessageIsLostDoubledOrDamagedAndARerunFinishes) {
    testsupport::TemporaryFolder temporary;
    const fs::path reference = temporary.path() / "reference";
    buildStore(reference);
    const auto original = filesByKey(reference);
    const long before = platform::durableStepsTaken();
    runSequence(reference);
    const long steps = platform::durableStepsTaken() - before;
    const auto finished = filesByKey(reference);
    // Alpha: flag rename and move; Bravo: size-marker rename, temporary file, write, time, fsync,
    // rename, then the flag rename; Charlie: the rewrite's five steps and the move.
    EXPECT_EQ(steps, 15);
    ASSERT_EQ(original.size(), 4u);
    ASSERT_EQ(finished.size(), 4u);

    int stops = 0;
    for (long step = 1; step <= steps + 1; ++step) {
        const fs::path root = temporary.path() / ("run" + std::to_string(step));
        buildStore(root);
        const int status = testsupport::runStoppedAt(step, [&] { runSequence(root); });
        if (step > steps) {
            EXPECT_EQ(status, 0);
            break;
        }
        ASSERT_EQ(status, testsupport::kStoppedAtStep) << "step " << step;
        ++stops;

        const auto now = filesByKey(root);
        ASSERT_EQ(now.size(), original.size()) << "step " << step;
        for (const auto& [key, files] : now) {
            ASSERT_EQ(files.size(), 1u) << key << " doubled at step " << step;
            ASSERT_TRUE(original.count(key)) << key;
            const MessageFile& was = original.at(key)[0];
            const MessageFile& will = finished.at(key)[0];
            const MessageFile& is = files[0];
            EXPECT_TRUE(is.content == was.content || is.content == will.content)
                << key << " damaged at step " << step;
            EXPECT_TRUE(folderOf(is.path) == folderOf(was.path) || folderOf(is.path) == folderOf(will.path))
                << key;
            EXPECT_TRUE(isRead(is.path) == isRead(was.path) || isRead(is.path) == isRead(will.path)) << key;
            // Size markers are right for the content, or already those of the intended result
            // while the original content waits for its rewrite.
            const std::string expectedUnique =
                MaildirName::parse(uniqueOf(is.path)).withSizesOf(is.content).unique;
            EXPECT_TRUE(uniqueOf(is.path) == expectedUnique ||
                        (is.content == was.content && uniqueOf(is.path) == uniqueOf(will.path)))
                << is.path << " at step " << step;
        }

        runSequence(root);
        const auto rerun = filesByKey(root);
        ASSERT_EQ(rerun.size(), finished.size());
        for (const auto& [key, files] : finished) {
            ASSERT_EQ(rerun.at(key).size(), 1u) << key;
            EXPECT_EQ(rerun.at(key)[0].path, files[0].path) << "step " << step;
            EXPECT_EQ(rerun.at(key)[0].content, files[0].content) << "step " << step;
        }
    }
    EXPECT_EQ(stops, steps);
}

} // namespace
