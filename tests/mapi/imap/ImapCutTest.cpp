// A network failure in the middle of a change never loses a message. Each change is first run
// whole to count its commands; then, for every command, it runs again with the connection cut
// just before that command: once by killing the server process of the connection (the store
// reconnects and finishes), once by stopping the server (the change fails with a network error,
// and a second run after the server is back finishes the job).

#include "ImapFixture.h"
#include "mapi/maildir/StoreFixture.h"
#include "support/SampleMessages.h"

#include <algorithm>
#include <map>

namespace imaptest {
namespace {

using namespace mapi;
using maildirtest::prop;
using maildirtest::stringProp;

const std::vector<std::string> kSubjects{"First", "Second"};

enum class CutBy { KillingTheSessionProcess, StoppingTheServer };

// A store whose connection is cut before its `cutAt`-th command once armed; cutAt 0 never cuts.
struct CuttingStore {
    CuttingStore(DovecotServer& server, int cutAt, CutBy by) : server(server) {
        StoreOptions options;
        options.services.beforeCommand = [this, cutAt, by](const std::string&) {
            if (!armed || fired || ++commands != cutAt)
                return;
            fired = true;
            if (by == CutBy::KillingTheSessionProcess)
                this->server.cutConnections();
            else
                this->server.stop();
        };
        store = openStore(server, options);
    }
    DovecotServer& server;
    std::shared_ptr<IMsgStore> store;
    bool armed = false;
    bool fired = false;
    int commands = 0;
};

// How many times each subject is in `mailbox`, read by a client of its own.
std::map<std::string, int> subjectsIn(const DovecotServer& server, const std::string& mailbox) {
    ImapProbe probe(server);
    std::map<std::string, int> found;
    for (const unsigned uid : probe.uids(mailbox)) {
        const std::string header = probe.fetch(mailbox, uid, "BODY.PEEK[HEADER.FIELDS (SUBJECT)]");
        const auto at = header.find("Subject: ");
        if (at != std::string::npos)
            ++found[header.substr(at + 9, header.find('\r', at) - at - 9)];
    }
    return found;
}

void fill(const DovecotServer& server, const std::string& mailbox) {
    ImapProbe probe(server);
    probe.command("CREATE \"" + mailbox + "\"");
    for (const auto& subject : kSubjects)
        probe.append(mailbox, testsupport::simpleMessage(subject, "Body of " + subject + "\n"));
}

class ImapCutTest : public ServerTest {
protected:
    // Moves every message of `from` to `to`; answers the result and the commands it took.
    std::pair<HRESULT, int> moveAll(const std::string& from, const std::string& to, int cutAt, CutBy by) {
        CuttingStore cutting(server(), cutAt, by);
        const auto source = openMailbox(*cutting.store, from);
        const auto target = openMailbox(*cutting.store, to);
        std::vector<Binary> ids;
        for (const auto& row : maildirtest::contents(*source))
            ids.push_back(prop(row, PR_ENTRYID).getBinary());
        cutting.armed = true;
        const HRESULT hr = source->CopyMessages(ids, Iid::IMAPIFolder, *target, 0, nullptr, MESSAGE_MOVE);
        if (cutAt == 0)
            EXPECT_EQ(hr, S_OK) << maildirtest::lastErrorText(*source, hr);
        return {hr, cutting.commands};
    }

    // Tags every message of `mailbox` whose subject is not tagged yet.
    std::pair<HRESULT, int> tagAll(const std::string& mailbox, int cutAt, CutBy by) {
        CuttingStore cutting(server(), cutAt, by);
        std::vector<std::shared_ptr<IMessage>> untagged;
        for (const auto& row : maildirtest::contents(*openMailbox(*cutting.store, mailbox)))
            if (stringProp(row, PR_SUBJECT_A).rfind("[x] ", 0) != 0)
                untagged.push_back(
                    maildirtest::openMessage(*cutting.store, prop(row, PR_ENTRYID).getBinary()));
        cutting.armed = true;
        HRESULT result = S_OK;
        for (const auto& message : untagged) {
            std::vector<PropValue> subject;
            message->GetProps({PR_SUBJECT_A}, 0, subject);
            message->SetProps({PropValue::string(PR_SUBJECT_A, "[x] " + subject.at(0).getString())}, nullptr);
            if (const HRESULT hr = message->SaveChanges(KEEP_OPEN_READWRITE); failed(hr) && succeeded(result))
                result = hr;
        }
        return {result, cutting.commands};
    }
};

// Moves on servers with MOVE and without it (COPY, STORE, EXPUNGE).
class ImapMoveCutTest : public ImapCutTest, public ::testing::WithParamInterface<bool> {
protected:
    static void SetUpTestSuite() {}
    void SetUp() override {
        startServer(DovecotOptions{GetParam(), true});
        ServerTest::SetUp();
    }
};

TEST_P(ImapMoveCutTest, MoveCutAtEveryCommandLosesNoMessage) {
    fill(server(), "Whole");
    freshMailbox("WholeTo");
    const auto [whole, steps] = moveAll("Whole", "WholeTo", 0, CutBy::KillingTheSessionProcess);
    ASSERT_EQ(whole, S_OK);
    ASSERT_GE(steps, GetParam() ? 1 : 3); // MOVE, or COPY + STORE + EXPUNGE
    for (const CutBy by : {CutBy::KillingTheSessionProcess, CutBy::StoppingTheServer})
        for (int step = 1; step <= steps; ++step) {
            const std::string from =
                "Cut" + std::to_string(step) + (by == CutBy::StoppingTheServer ? "s" : "k");
            const std::string to = from + "To";
            SCOPED_TRACE(from);
            fill(server(), from);
            freshMailbox(to);
            const HRESULT hr = moveAll(from, to, step, by).first;
            if (by == CutBy::StoppingTheServer) {
                EXPECT_EQ(hr, MAPI_E_NETWORK_ERROR);
                server().start();
                EXPECT_EQ(moveAll(from, to, 0, by).first, S_OK);
            } else {
                EXPECT_EQ(hr, S_OK);
            }
            EXPECT_TRUE(subjectsIn(server(), from).empty());
            const auto arrived = subjectsIn(server(), to);
            for (const auto& subject : kSubjects) {
                EXPECT_GE(arrived.count(subject) ? arrived.at(subject) : 0, 1) << subject;
                // A copy whose answer was lost may be made again, never more.
                EXPECT_LE(arrived.count(subject) ? arrived.at(subject) : 0, 2) << subject;
            }
        }
}

TEST_F(ImapCutTest, SubjectChangeCutAtEveryCommandLosesNoMessage) {
    fill(server(), "Tags");
    const auto [whole, steps] = tagAll("Tags", 0, CutBy::KillingTheSessionProcess);
    ASSERT_EQ(whole, S_OK);
    ASSERT_GE(steps, 8); // per message: fetch flags, fetch message, APPEND, STORE, EXPUNGE
    for (const CutBy by : {CutBy::KillingTheSessionProcess, CutBy::StoppingTheServer})
        for (int step = 1; step <= steps; ++step) {
            const std::string mailbox =
                "Tags" + std::to_string(step) + (by == CutBy::StoppingTheServer ? "s" : "k");
            SCOPED_TRACE(mailbox);
            fill(server(), mailbox);
            const HRESULT hr = tagAll(mailbox, step, by).first;
            if (by == CutBy::StoppingTheServer) {
                EXPECT_EQ(hr, MAPI_E_NETWORK_ERROR);
                server().start();
                EXPECT_EQ(tagAll(mailbox, 0, by).first, S_OK);
            } else {
                EXPECT_EQ(hr, S_OK);
            }
            const auto found = subjectsIn(server(), mailbox);
            for (const auto& subject : kSubjects) {
                EXPECT_EQ(found.count(subject), 0u) << subject << " is still untagged";
                const int tagged = found.count("[x] " + subject) ? found.at("[x] " + subject) : 0;
                EXPECT_GE(tagged, 1) << subject;
                EXPECT_LE(tagged, 2) << subject;
            }
        }
}

TEST_F(ImapCutTest, BodiesOpenedAheadComeInOneCommandThatSurvivesACut) {
    fill(server(), "Bodies");
    for (const bool cut : {false, true}) {
        std::vector<std::string> commands;
        bool armed = false;
        StoreOptions options;
        options.services.beforeCommand = [&](const std::string& command) {
            commands.push_back(command);
            if (armed && cut && command == "UID FETCH") {
                armed = false;
                server().cutConnections();
            }
        };
        const auto store = openStore(server(), options);
        std::vector<std::shared_ptr<IStream>> streams;
        for (const auto& row : maildirtest::contents(*openMailbox(*store, "Bodies"))) {
            const auto message = maildirtest::openMessage(*store, prop(row, PR_ENTRYID).getBinary());
            streams.emplace_back();
            ASSERT_EQ(message->OpenProperty(PR_BODY_A, Iid::IStream, 0, MAPI_DEFERRED_ERRORS, streams.back()),
                      S_OK);
        }
        commands.clear();
        armed = true;
        for (std::size_t i = 0; i < streams.size(); ++i) {
            char text[64] = {};
            std::uint32_t read = 0;
            ASSERT_EQ(streams[i]->Read(text, sizeof text - 1, read), S_OK);
            EXPECT_EQ(std::string(text, read), "Body of " + kSubjects[i] + "\r\n");
        }
        // One fetch for both bodies (twice when the first was cut: the same command again).
        EXPECT_EQ(std::count(commands.begin(), commands.end(), "UID FETCH"), cut ? 2 : 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Servers, ImapMoveCutTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "WithMove" : "WithoutMove"; });

} // namespace
} // namespace imaptest
