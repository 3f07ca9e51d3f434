#pragma once
// A run over in-memory stores behind the fault-injecting wrapper, with a status sink, a host and
// a dialog service that write down what the run showed, and a scratch output folder.

#include "engine/MessageOrder.h"
#include "engine/TEmailThread.h"
#include "mailstore/TMapiSession.h"
#include "mapi/EntryIds.h"
#include "mapi/fault/FaultMapi.h"
#include "mapi/memory/MemoryProvider.h"
#include "platform/DateTime.h"
#include "support/FakeDialogService.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace engine::testing {

class RecordingSink : public StatusSink {
public:
    void show() override { ++shown; }
    void setStatusLine(const std::string& text) override { lines.push_back(text); }
    void setProgress(int percent) override { progress.push_back(percent); }
    void setSubject(const std::string& text) override { subjects.push_back(text); }
    bool cancelled() const override { return cancel; }
    void finish() override { ++finished; }
    void processPendingEvents() override {
        ++pumps;
        if (onPump)
            onPump();
    }

    std::vector<std::string> lines;
    std::vector<int> progress;
    std::vector<std::string> subjects;
    int shown = 0;
    int finished = 0;
    int pumps = 0;
    bool cancel = false;
    // Runs inside processPendingEvents: where a test presses Cancel or releases the sink.
    std::function<void()> onPump;
};

class RecordingHost : public RunHost {
public:
    explicit RecordingHost(mailstore::TMapiSession& session) : m_session(session) {}

    mailstore::TMapiSession& session() override { return m_session; }
    void setFirstNumber(std::int32_t number) override { firstNumbers.push_back(number); }
    void saveUpdatedCount() override { ++countSaves; }
    platform::DialogService& dialogs() override { return dialogService; }
    const platform::Locale& locale() const override { return m_locale; }

    std::vector<std::int32_t> firstNumbers;
    int countSaves = 0;
    testsupport::FakeDialogService dialogService;

private:
    mailstore::TMapiSession& m_session;
    platform::FixedLocale m_locale;
};

class EmailThreadFixture : public ::testing::Test {
protected:
    EmailThreadFixture()
        : store(mail.addStore("Personal Folders", true)), inbox(store.addFolder(store.root(), "Inbox")),
          archive(store.addFolder(store.root(), "Archive")) {
        store.setReceiveFolder(inbox);
        mapi = std::make_shared<mapi::fault::FaultMapi>(mail.makeSubsystem(), faults);
        session = std::make_unique<mailstore::TMapiSession>(mapi);
        host = std::make_unique<RecordingHost>(*session);
        host->dialogService.answers.push_back(platform::DialogButton::OK);
        job = defaultJob();
    }

    // The default Inbox into the output folder as %5.5d.txt from 0, messages left in place.
    RunJob defaultJob() const {
        RunJob fresh;
        fresh.saveFolder = output.path().string();
        fresh.numberFormat = "%5.5d.txt";
        fresh.getFromDefaultFolder = true;
        fresh.fromFolderName = "Inbox";
        fresh.msgDestination = "Archive";
        fresh.tagText = "*RP* ";
        return fresh;
    }

    // A message in `folder`, listed in the order of the calls (by its submit time).
    mapi::memory::MessageRef addMessage(const std::string& subject, std::optional<std::string> body = "text",
                                        std::optional<double> received = 45322.5,
                                        mapi::memory::FolderRef folder = {}) {
        using mapi::PropValue;
        std::vector<PropValue> props{
            PropValue::string(mapi::PR_SUBJECT_A, subject),
            PropValue::string(mapi::PR_SENDER_EMAIL_ADDRESS_A, "ann@example.org"),
            PropValue::integer(mapi::PR_MESSAGE_FLAGS, 0),
            PropValue::time(mapi::PR_CLIENT_SUBMIT_TIME,
                            {platform::fileTimeFromUnix(1700000000 + 60 * ++m_submitted)}),
        };
        if (received) {
            const std::timespec utc = platform::localDateTimeToUtc(*received);
            props.push_back(PropValue::time(mapi::PR_MESSAGE_DELIVERY_TIME,
                                            {platform::fileTimeFromUnix(utc.tv_sec, utc.tv_nsec)}));
        }
        return store.addMessage(folder.key ? folder : inbox, std::move(props), std::move(body));
    }

    // The identity of a folder of `store` as the folder chooser would hand it over.
    std::unique_ptr<mailstore::TMapiUserFolder> identity(const mapi::Binary& folderEntryId) {
        auto owner = std::make_shared<mailstore::TStore>("Personal Folders",
                                                         mapi::makeStoreEntryId(store.url()), session.get());
        return std::make_unique<mailstore::TMapiUserFolder>(folderEntryId, std::move(owner));
    }
    std::unique_ptr<mailstore::TMapiUserFolder> identity(mapi::memory::FolderRef folder) {
        return identity(store.entryIdOf(folder));
    }

    // Runs the job with the sink; the job is handed over, as Go hands over its settings.
    TEmailThread::Outcome run() {
        const TEmailThread thread(std::move(job), sink, *host);
        currentNumber = thread.currentNumber();
        return thread.outcome();
    }

    std::vector<std::string> outputFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(output.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string outputText(const std::string& name) const {
        std::ifstream in(output.path() / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::string subjectOf(mapi::memory::MessageRef message) const {
        return store.prop(message, mapi::PR_SUBJECT_A)->getString();
    }
    std::vector<std::string> errorBoxes() const {
        std::vector<std::string> texts;
        for (const auto& dialog : host->dialogService.dialogs)
            texts.push_back(dialog.text);
        return texts;
    }
    // The box text for a run error with `message`.
    static std::string errorBox(const std::string& className, const std::string& message) {
        return "Exception " + className + " in module larkspire at 00000000.\n" + message;
    }

    testsupport::TemporaryFolder output;
    mapi::memory::MemoryMail mail;
    mapi::memory::MemoryStore& store;
    mapi::memory::FolderRef inbox;
    mapi::memory::FolderRef archive;
    std::shared_ptr<mapi::fault::FaultInjector> faults = std::make_shared<mapi::fault::FaultInjector>();
    std::shared_ptr<mapi::fault::FaultMapi> mapi;
    std::unique_ptr<mailstore::TMapiSession> session;
    std::unique_ptr<RecordingHost> host;
    std::shared_ptr<RecordingSink> sink = std::make_shared<RecordingSink>();
    RunJob job;
    // The number the last run's next file would have got.
    std::int32_t currentNumber = -1;

private:
    int m_submitted = 0;
};

} // namespace engine::testing
