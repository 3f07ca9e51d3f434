// Changes to mbox folders: read flags and subject tags written in one rewrite that keeps every
// other byte, moves between folders and stores, and what other programs do meanwhile: hold the
// locks, append a message, rewrite the file.

#include "mapi/mbox/MboxFixture.h"
#include "support/MaildirBuilder.h"
#include "support/MboxText.h"
#include "support/SampleMessages.h"
#include "support/TemporaryFolder.h"

#include "mapi/StoreErrors.h"
#include "mapi/mbox/MboxLock.h"
#include "mapi/mbox/MboxStore.h"

#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace mapi;
using namespace maildirtest;
using namespace mboxtest;
namespace fs = std::filesystem;
using testsupport::mboxRecord;
using testsupport::readFileText;
using testsupport::simpleMessage;
using testsupport::TemporaryFolder;

const std::string kFrom1 = "From a@example.org Mon Jan  1 10:00:00 2024\n";
const std::string kFrom2 = "From b@example.org Tue Jan  2 10:00:00 2024\n";
const std::string kFrom3 = "From c@example.org Wed Jan  3 10:00:00 2024\n";

std::vector<std::shared_ptr<IMessage>> openAll(IMsgStore& store, IMAPIFolder& folder) {
    std::vector<std::shared_ptr<IMessage>> messages;
    for (const auto& row : contents(folder))
        messages.push_back(openMessage(store, prop(row, PR_ENTRYID).getBinary()));
    return messages;
}

std::uint64_t rewrites(IMsgStore& store) {
    return dynamic_cast<MboxStore&>(store).rewrites();
}

// A child process that runs `work` and then waits until it is killed.
class Holder {
public:
    template <class Work> explicit Holder(Work&& work) {
        int ready[2];
        if (::pipe(ready) != 0)
            throw std::runtime_error("pipe");
        m_pid = ::fork();
        if (m_pid == 0) {
            work();
            char c = 1;
            (void)!::write(ready[1], &c, 1);
            while (true)
                ::pause();
        }
        char c = 0;
        (void)!::read(ready[0], &c, 1);
        ::close(ready[0]);
        ::close(ready[1]);
    }
    ~Holder() {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    pid_t pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
};

TEST(MboxChange, OneRewriteTagsAndMarksEveryMessageKeepingEveryOtherByte) {
    TemporaryFolder temporary;
    // Stray text before the first separator is no message, and stays.
    const std::string stray = "stray notes\n\n";
    const std::string original = stray + kFrom1 +
                                 "Subject: One\nX-Mozilla-Status: 0010\n\n>From quoted\nbody 1\n\n" +
                                 testsupport::withCrLf(kFrom2 + "Subject: Two\nStatus: O\n\nbody 2\n\n") +
                                 kFrom3 + "Subject: Three\n\nbody 3 without end";
    const fs::path file = temporary.writeFile("mbox", original);
    ::chmod(file.c_str(), 0600);
    auto store = openMbox(file);
    {
        auto inbox = openRoot(*store);
        auto messages = openAll(*store, *inbox);
        ASSERT_EQ(messages.size(), 3u);
        for (std::size_t i = 0; i < messages.size(); ++i) {
            markRead(*messages[i]);
            std::vector<PropValue> subject;
            messages[i]->GetProps({PR_SUBJECT_A}, 0, subject);
            setSubject(*messages[i], "[done] " + subject[0].getString());
        }
        // The changes wait while the messages are open, and show in them meanwhile.
        EXPECT_EQ(readFileText(file), original);
        std::vector<PropValue> values;
        messages[0]->GetProps({PR_SUBJECT_A, PR_MESSAGE_FLAGS}, 0, values);
        EXPECT_EQ(values[0].getString(), "[done] One");
        EXPECT_TRUE(values[1].getLong() & MSGFLAG_READ);
    }
    EXPECT_EQ(rewrites(*store), 1u);
    EXPECT_EQ(readFileText(file),
              stray + kFrom1 +
                  "Subject: [done] One\nX-Mozilla-Status: 0011\nStatus: RO\n\n>From quoted\nbody 1\n\n" +
                  testsupport::withCrLf(
                      kFrom2 + "Subject: [done] Two\nStatus: RO\nX-Mozilla-Status: 0001\n\nbody 2\n\n") +
                  kFrom3 + "Subject: [done] Three\nX-Mozilla-Status: 0001\nStatus: RO\n\nbody 3 without end");
    struct stat info {};
    ::stat(file.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_FALSE(fs::exists(dotLockPath(file)));
    EXPECT_EQ(subjects(contents(*openRoot(*store))),
              (std::vector<std::string>{"[done] One (read)", "[done] Two (read)", "[done] Three (read)"}));
    // A new store (the next run) finds everything as written.
    EXPECT_EQ(subjects(contents(*openRoot(*openMbox(file)))),
              (std::vector<std::string>{"[done] One (read)", "[done] Two (read)", "[done] Three (read)"}));
}

TEST(MboxChange, ALockAnotherProgramKeepsMakesTheChangeWaitThenFailNamingTheFileAndChangingNothing) {
    TemporaryFolder temporary;
    const std::string original = mboxRecord(simpleMessage("Only", "x\n"));
    const fs::path file = temporary.writeFile("mbox", original);
    for (const bool dotLock : {true, false}) {
        SCOPED_TRACE(dotLock ? "lock file" : "fcntl lock");
        auto holder = std::make_unique<Holder>([&] {
            if (dotLock) {
                const std::string pid = std::to_string(::getpid()) + "\n";
                temporary.writeFile("mbox.lock", pid);
                return;
            }
            const int fd = ::open(file.c_str(), O_RDWR);
            struct flock lock {};
            lock.l_type = F_WRLCK;
            ::fcntl(fd, F_SETLK, &lock);
        });
        auto store = openMbox(file, std::chrono::milliseconds(300));
        auto message = openAll(*store, *openRoot(*store)).at(0);
        const auto started = std::chrono::steady_clock::now();
        const HRESULT hr = message->SetReadFlag(SUPPRESS_RECEIPT);
        EXPECT_EQ(hr, MAPI_E_BUSY);
        EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(300));
        const std::string text = lastErrorText(*message, hr);
        EXPECT_NE(text.find((dotLock ? dotLockPath(file) : file).string()), std::string::npos) << text;
        EXPECT_EQ(readFileText(file), original);
        // Once the other program lets go, the change can be made.
        holder.reset();
        fs::remove(dotLockPath(file));
        EXPECT_EQ(message->SetReadFlag(SUPPRESS_RECEIPT), S_OK);
        EXPECT_NE(readFileText(file).find("Status: RO"), std::string::npos);
        temporary.writeFile("mbox", original);
    }
}

TEST(MboxChange, LockFilesOfEndedProgramsAndOldOnesAreStale) {
    TemporaryFolder temporary;
    const fs::path file = temporary.writeFile("mbox", mboxRecord(simpleMessage("Only", "x\n")));
    const pid_t ended = ::fork();
    if (ended == 0)
        ::_exit(0);
    ::waitpid(ended, nullptr, 0);
    temporary.writeFile("mbox.lock", std::to_string(ended) + "\n");
    auto store = openMbox(file, std::chrono::milliseconds(200));
    EXPECT_EQ(openAll(*store, *openRoot(*store)).at(0)->SetReadFlag(SUPPRESS_RECEIPT), S_OK);

    temporary.writeFile("mbox.lock", "");
    const timespec old[2] = {{std::time(nullptr) - 3600, 0}, {std::time(nullptr) - 3600, 0}};
    ::utimensat(AT_FDCWD, dotLockPath(file).c_str(), old, 0);
    setSubject(*openAll(*store, *openRoot(*store)).at(0), "Changed");
    EXPECT_FALSE(fs::exists(dotLockPath(file)));
    EXPECT_NE(readFileText(file).find("Subject: Changed"), std::string::npos);
}

TEST(MboxChange, MovesBetweenFoldersAndStoresKeepTheMessageAndNeverDoubleIt) {
    TemporaryFolder temporary;
    const std::string one = mboxRecord(simpleMessage("One", ">From quoted\n"), 1700000000);
    const std::string two = mboxRecord(simpleMessage("Two", "2\n"), 1700003600);
    temporary.writeFile("tree/Inbox", one + two);
    temporary.writeFile("tree/Archives.sbd/2024", "");
    const fs::path other = temporary.writeFile(
        "other/spool", "From x@example.org Mon Jan  1 10:00:00 2024\nSubject: Kept\n\nno final line end");
    auto store = openMbox(temporary.path() / "tree");
    auto otherStore = openMbox(other);
    auto inbox = openRoot(*store);
    auto archive = openFolder(*store, childFolderId(*openFolder(*store, {}), "Archives"));
    auto year = openFolder(*store, childFolderId(*archive, "2024"));
    const RowSet rows = contents(*inbox);
    ASSERT_EQ(rows.size(), 2u);
    check(inbox->CopyMessages({prop(rows[0], PR_ENTRYID).getBinary()}, Iid::IMAPIFolder, *year, 0, nullptr,
                              MESSAGE_MOVE),
          "move");
    check(inbox->CopyMessages({prop(rows[1], PR_ENTRYID).getBinary()}, Iid::IMAPIFolder,
                              *openRoot(*otherStore), 0, nullptr, MESSAGE_MOVE),
          "move");
    EXPECT_EQ(readFileText(temporary.path() / "tree/Inbox"), "");
    EXPECT_EQ(readFileText(temporary.path() / "tree/Archives.sbd/2024"), one);
    EXPECT_EQ(readFileText(other),
              "From x@example.org Mon Jan  1 10:00:00 2024\nSubject: Kept\n\nno final line end\n\n" + two);
    EXPECT_EQ(subjects(contents(*year)), std::vector<std::string>{"One"});
    EXPECT_EQ(readBody(*openMessage(*store, prop(contents(*year)[0], PR_ENTRYID).getBinary())).text,
              ">From quoted\r\n");

    // A move stopped after its message reached the destination left it in both: moving it again
    // takes it out of the source without adding it twice.
    temporary.writeFile("tree/Inbox", one);
    check(inbox->CopyMessages({prop(contents(*inbox)[0], PR_ENTRYID).getBinary()}, Iid::IMAPIFolder, *year, 0,
                              nullptr, MESSAGE_MOVE),
          "move");
    EXPECT_EQ(readFileText(temporary.path() / "tree/Inbox"), "");
    EXPECT_EQ(readFileText(temporary.path() / "tree/Archives.sbd/2024"), one);
}

TEST(MboxChange, AMessageAppendedByAnotherProgramDuringTheRunIsKept) {
    TemporaryFolder temporary;
    const std::string original =
        mboxRecord(simpleMessage("One", "1\n")) + mboxRecord(simpleMessage("Two", "2\n"));
    const fs::path file = temporary.writeFile("mbox", original);
    const std::string delivered = mboxRecord(simpleMessage("Late", "arrived during the run\n"), 1700009999);
    auto store = openMbox(file);
    {
        auto messages = openAll(*store, *openRoot(*store));
        setSubject(*messages[0], "[done] One");
        // A delivery agent appends under the lock file while the run goes on.
        const pid_t agent = ::fork();
        if (agent == 0) {
            const MboxLock lock(file, MboxLockTimes{});
            const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND);
            (void)!::write(fd, delivered.data(), delivered.size());
            ::close(fd);
            ::_exit(0);
        }
        ::waitpid(agent, nullptr, 0);
        setSubject(*messages[1], "[done] Two");
    }
    EXPECT_EQ(readFileText(file), mboxRecord(simpleMessage("[done] One", "1\n")) +
                                      mboxRecord(simpleMessage("[done] Two", "2\n")) + delivered);
}

TEST(MboxChange, AFileRewrittenBehindTheProgramsBackIsFollowed) {
    TemporaryFolder temporary;
    const fs::path file =
        temporary.writeFile("mbox", mboxRecord(simpleMessage("One", "1\n"), 1700000000) +
                                        mboxRecord(simpleMessage("Two", "2\n"), 1700003600));
    auto store = openMbox(file);
    auto messages = openAll(*store, *openRoot(*store));
    // Another client puts a message first and edits Two's header: every place moves.
    const std::string first = mboxRecord(simpleMessage("New", "0\n"), 1699990000);
    const std::string two = mboxRecord(simpleMessage("Two", "2\n").insert(0, "X-Label: work\n"), 1700003600);
    temporary.writeFile("mbox", first + mboxRecord(simpleMessage("One", "1\n"), 1700000000) + two);

    setSubject(*messages[0], "[done] One");
    check(messages[1]->SetProps({PropValue::string(PR_SUBJECT_A, "[done] Two")}, nullptr), "SetProps");
    const HRESULT changed = messages[1]->SaveChanges(KEEP_OPEN_READWRITE);
    EXPECT_EQ(changed, MAPI_E_OBJECT_CHANGED);
    EXPECT_EQ(messages[1]->SaveChanges(FORCE_SAVE), S_OK);
    messages.clear();
    EXPECT_EQ(readFileText(file),
              first + mboxRecord(simpleMessage("[done] One", "1\n"), 1700000000) +
                  mboxRecord(simpleMessage("[done] Two", "2\n").insert(0, "X-Label: work\n"), 1700003600));
}

} // namespace

namespace {

// In a mount namespace of its own, a child puts an mbox on a tmpfs that is almost full, then
// read-only, and tags its message: the exit status says which expectation failed (0: none).
int failuresOnASmallFileSystem(const fs::path& mountPoint) {
    if (::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("larkspire-test", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0)
        return 77;
    const std::string original = mboxRecord(simpleMessage("Big", std::string(40 * 1024, 'x') + "\n"));
    const fs::path file = mountPoint / "mbox";
    testsupport::writeFileText(file, original);
    const auto tag = [&](HRESULT expected, const char* reason) {
        auto store = openMbox(file);
        auto message = openAll(*store, *openRoot(*store)).at(0);
        check(message->SetProps({PropValue::string(PR_SUBJECT_A, "[done] Big")}, nullptr), "SetProps");
        const HRESULT hr = message->SaveChanges(KEEP_OPEN_READWRITE);
        const std::string text = lastErrorText(*message, hr);
        return hr == expected && text.find(file.string()) != std::string::npos &&
               text.find(reason) != std::string::npos && readFileText(file) == original &&
               std::distance(fs::directory_iterator(mountPoint), fs::directory_iterator()) == 1;
    };
    if (!tag(MAPI_E_NOT_ENOUGH_DISK, "No space left on device"))
        return 1;
    if (::mount("none", mountPoint.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0)
        return 77;
    if (!tag(MAPI_E_NO_ACCESS, "Read-only file system"))
        return 2;
    return 0;
}

TEST(MboxChange, AFullDiskAndARefusedWriteAreReportedWithTheFileAndChangeNothing) {
    TemporaryFolder temporary;
    const fs::path mountPoint = temporary.path() / "small";
    fs::create_directories(mountPoint);
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(failuresOnASmallFileSystem(mountPoint));
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "needs a mount namespace (root)";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the full disk, 2: the read-only file system";
}

} // namespace
