// A run over a real Maildir that tags every message, stopped at each durable step in turn: a
// tagged message is skipped by the next run, so it may be tagged only once its output file is
// whole under its final name; and no final name ever holds part of a file.

#include "EmailThreadFixture.h"

#include "mapi/ProfileSubsystem.h"
#include "mapi/maildir/MaildirProvider.h"
#include "platform/StepCounter.h"
#include "support/StoppedChild.h"

#include <unistd.h>

namespace engine::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kMessages = 4;
const std::string kTag = "*RP* ";

std::string subjectOf(int message) {
    return "Message " + std::to_string(message);
}

void buildMaildir(const fs::path& root) {
    for (const char* sub : {"cur", "new", "tmp"})
        fs::create_directories(root / sub);
    for (int i = 1; i <= kMessages; ++i) {
        const fs::path file = root / "cur" / (std::to_string(i) + ".M" + std::to_string(i) + ".host:2,");
        std::ofstream(file, std::ios::binary)
            << "From: ann@example.org\nSubject: " << subjectOf(i)
            << "\nDate: Mon, 1 Jan 2024 10:00:00 +0000\n\nBody " << i << "\n";
        // The arrival time orders the messages.
        fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::hours(kMessages - i));
    }
}

// The output folder's files under final names (not the hidden temporary ones), by name.
std::map<std::string, std::string> finalFiles(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with("."))
            files[name] = testsupport::TemporaryFolder::readFile(entry.path());
    }
    return files;
}

// The subjects found in the Maildir's message files.
std::vector<std::string> subjectsIn(const fs::path& root) {
    std::vector<std::string> subjects;
    for (const char* sub : {"cur", "new"}) {
        for (const auto& entry : fs::directory_iterator(root / sub)) {
            std::ifstream in(entry.path());
            for (std::string line; std::getline(in, line);)
                if (line.starts_with("Subject: "))
                    subjects.push_back(line.substr(9));
        }
    }
    return subjects;
}

// The whole run, tagging each message, as Go would start it.
void exportTagged(const fs::path& root, const fs::path& output) {
    auto registry = std::make_shared<mapi::ProviderRegistry>();
    mapi::registerMaildirProvider(*registry);
    mapi::Profile profile{"Test", true, {{"Mail", "maildir:" + root.string(), true}}};
    mailstore::TMapiSession session(
        std::make_shared<mapi::ProfileSubsystem>(mapi::fixedProfiles({profile}), std::move(registry)));
    RecordingHost host(session);
    host.dialogService.answers.push_back(platform::DialogButton::OK);
    RunJob job;
    job.saveFolder = output.string();
    job.numberFormat = "%5.5d.txt";
    job.getFromDefaultFolder = true;
    job.sortOrder = DateReceived;
    job.moveMessages = TagSubjectLine;
    job.tagText = kTag;
    const auto sink = std::make_shared<RecordingSink>();
    const TEmailThread thread(std::move(job), sink, host);
    if (thread.outcome() != TEmailThread::Outcome::Completed)
        throw std::runtime_error("the run did not complete");
}

TEST(EmailThreadCrash, AMessageIsTaggedOnlyOnceItsWholeFileIsUnderItsName) {
    testsupport::TemporaryFolder temporary;
    buildMaildir(temporary / "reference");
    fs::create_directories(temporary / "reference-out");
    const long before = platform::durableStepsTaken();
    exportTagged(temporary / "reference", temporary / "reference-out");
    const long steps = platform::durableStepsTaken() - before;
    const auto expected = finalFiles(temporary / "reference-out");
    ASSERT_EQ(expected.size(), static_cast<std::size_t>(kMessages));
    // Two steps to stage each file, the sync, a rename each; then the batch's rewrites: three
    // steps each to stage (temporary file, write, time), one sync, a rename each.
    ASSERT_EQ(steps, 2 * kMessages + 1 + kMessages + 3 * kMessages + 1 + kMessages);

    int stops = 0;
    for (long step = 1; step <= steps; ++step) {
        const fs::path root = temporary / ("mail" + std::to_string(step));
        const fs::path output = temporary / ("out" + std::to_string(step));
        buildMaildir(root);
        fs::create_directories(output);
        ASSERT_EQ(testsupport::runStoppedAt(step, [&] { exportTagged(root, output); }),
                  testsupport::kStoppedAtStep)
            << "step " << step;
        ++stops;

        const auto files = finalFiles(output);
        for (const auto& [name, content] : files) {
            ASSERT_TRUE(expected.count(name)) << name << " at step " << step;
            EXPECT_EQ(content, expected.at(name)) << name << " at step " << step;
        }
        const auto subjects = subjectsIn(root);
        EXPECT_EQ(subjects.size(), static_cast<std::size_t>(kMessages)) << "step " << step;
        for (int i = 1; i <= kMessages; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "%05d.txt", i - 1);
            const bool tagged =
                std::find(subjects.begin(), subjects.end(), kTag + subjectOf(i)) != subjects.end();
            EXPECT_TRUE(!tagged || files.count(name))
                << subjectOf(i) << " tagged without its file at step " << step;
        }
    }
    EXPECT_EQ(stops, steps);
}

} // namespace
} // namespace engine::testing
