#include "engine/TEmailThread.h"

#include "engine/BodyReadAhead.h"
#include "engine/MessageOrder.h"
#include "engine/MessageTokens.h"
#include "engine/OutputFileName.h"
#include "engine/OutputFileTime.h"
#include "engine/RunError.h"
#include "engine/RunErrorReport.h"
#include "i18n/TextLookup.h"
#include "mailstore/TEmailMessage.h"
#include "mailstore/TMapiSession.h"
#include "platform/DurableWrite.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

namespace engine {

namespace {

// Raised at a sink call when the front end has released its sink: the run stops there, between
// messages, as a cancel would.
struct SinkGone {};

constexpr std::string_view kSourceNotFound =
    "The source folder %s could not be found.\r\n"
    "This can happen if you move, copy or rename the folder, or connect to it from a different machine or "
    "with a different login name.\r\n\r\n"
    "Please re-select the source folder in the folder browse window";
constexpr std::string_view kDestinationNotFound =
    "The destination folder %s could not be found.\r\n"
    "This can happen if you move, copy or rename the folder, or connect to it from a different machine or "
    "with a different login name.\r\n\r\n"
    "Please re-select the destination folder in the folder browse window";

// Opens the folder's store and then the folder; any failure becomes `notFound`.
void openFolder(mailstore::TMapiUserFolder& folder, int textId, std::string_view notFound,
                const std::string& displayName) {
    try {
        folder.OpenFolder(folder.store()->OpenStore());
    } catch (const std::exception&) {
        throw RunError(i18n::LoadTextFmt(textId, notFound, {displayName}));
    }
}

// A batch is committed at whichever bound comes first. One commit costs about one durable file
// (an fsync is milliseconds here, a message's work a fraction of one), so 256 files make that
// cost small per message; 64 MB bounds the data waiting for the disk; one second bounds how long
// a message waits for its post-action on a slow folder.
constexpr std::size_t kBatchMessages = 256;
constexpr std::uint64_t kBatchBytes = 64ull << 20;
constexpr std::chrono::seconds kBatchAge{1};

// The messages whose output files are staged together. A message is marked read, moved or tagged
// only after its file is durable under its final name: a moved or tagged message is skipped by
// the next run, so its text must never be lost.
class MessageBatch {
public:
    MessageBatch(const RunJob& job, mailstore::TMapiUserFolder& source,
                 mailstore::TMapiUserFolder& destination)
        : m_job(job), m_source(source), m_destination(destination) {}

    // Stages the body followed by CR LF as the message's output file.
    void add(std::shared_ptr<mailstore::TEmailMessage> message, std::string path, std::int32_t number,
             const std::string& body) {
        if (m_pending.empty())
            m_started = std::chrono::steady_clock::now();
        // The file gets the message's time before it is renamed, so it is never seen without it.
        m_files.stage(path, {body, "\r\n"}, outputFileTime(message->receivedTime().value_or(0.0)));
        m_pending.push_back({std::move(message), std::move(path), number});
    }

    bool due() const {
        return !m_pending.empty() && (m_pending.size() >= kBatchMessages || m_files.bytes() >= kBatchBytes ||
                                      std::chrono::steady_clock::now() - m_started >= kBatchAge);
    }

    // Commits the files, then finishes each message in order. On a failure it throws as the
    // unbatched run would have at that message: the messages before it are done, it and the later
    // ones have neither file nor post-action (a failed post-action keeps its own file, as before),
    // and `currentNumber` is the number of the message that failed.
    void finish(std::int32_t& currentNumber) {
        std::exception_ptr failure;
        try {
            m_files.commit();
        } catch (const std::exception&) {
            failure = std::current_exception();
        }
        std::vector<Pending> pending = std::exchange(m_pending, {});
        const std::size_t durable = m_files.committed();
        for (std::size_t i = 0; i < durable; ++i) {
            try {
                postAction(pending[i]);
            } catch (const std::exception&) {
                currentNumber = pending[i].number;
                removeUnfinished(pending, i + 1, durable);
                throw;
            }
            // Released when done, so a batch holds its messages no longer than it must.
            pending[i].message.reset();
        }
        if (failure) {
            currentNumber = pending[durable].number;
            std::rethrow_exception(failure);
        }
    }

private:
    struct Pending {
        std::shared_ptr<mailstore::TEmailMessage> message;
        std::string path;
        std::int32_t number;
    };

    void postAction(const Pending& pending) {
        mailstore::TEmailMessage& message = *pending.message;
        if (m_job.readStatus)
            message.MarkRead();
        if (m_job.moveMessages == MoveToDestination) {
            m_source.MoveMessage(message, m_destination);
        } else if (m_job.moveMessages == TagSubjectLine) {
            message.ChangeSubject(m_job.tagText + message.subject());
            message.SaveMessage("changesubj:");
        }
    }

    // The files of messages after a failed post-action are taken back: the unbatched run would
    // never have written them. One that cannot be removed is a whole copy of a message that stays
    // unprocessed, so the failure that stopped the run is the one reported.
    static void removeUnfinished(const std::vector<Pending>& pending, std::size_t from, std::size_t to) {
        std::vector<std::filesystem::path> paths;
        for (std::size_t i = from; i < to; ++i)
            paths.emplace_back(pending[i].path);
        try {
            platform::removeDurably(paths);
        } catch (const std::system_error&) {
        }
    }

    const RunJob& m_job;
    mailstore::TMapiUserFolder& m_source;
    mailstore::TMapiUserFolder& m_destination;
    platform::DurableBatch m_files;
    std::vector<Pending> m_pending;
    std::chrono::steady_clock::time_point m_started;
};

} // namespace

TEmailThread::TEmailThread(RunJob job, std::weak_ptr<StatusSink> status, RunHost& host)
    : m_job(std::move(job)), m_status(std::move(status)), m_host(host) {
    try {
        run();
    } catch (const SinkGone&) {
        // Once the number was handed back the run is complete, even if its last texts were lost.
        if (m_outcome != Outcome::Completed)
            m_outcome = Outcome::Interrupted;
    } catch (const std::exception& error) {
        m_outcome = Outcome::Failed;
        reportError(error);
    }
}

TEmailThread::~TEmailThread() = default;

void TEmailThread::run() {
    mailstore::TMapiSession& session = m_host.session();
    m_job.saveFolder = normaliseFolder(m_job.saveFolder);
    // Declared before the list: the messages refer to the source folder while they live.
    const auto source = mailstore::TMapiUserFolder::makeEmpty(&session);
    const auto destination = mailstore::TMapiUserFolder::makeEmpty(&session);
    std::vector<std::shared_ptr<mailstore::TEmailMessage>> sortList;

    lockSink()->show();
    pumpEvents();
    m_currentNumber = m_job.firstNumber;
    setStatus(i18n::LoadText(8250, "Connecting to MAPI client..."));
    setStatus(i18n::LoadText(8260, "Locating source mail folder..."));

    if (m_job.getFromDefaultFolder) {
        const std::shared_ptr<mailstore::TStore> store = session.DefaultStore();
        if (!store)
            throw RunError("The mail profile has no default store, so the default Inbox cannot be read");
        source->store()->CopyStore(*store);
        source->FindDefaultInbox();
    } else if (m_job.sourceFolder) {
        mailstore::copyFolderIdentity(*source, *m_job.sourceFolder);
    }
    openFolder(*source, 8261, kSourceNotFound, m_job.fromFolderName);

    if (m_job.moveMessages == MoveToDestination) {
        setStatus(i18n::LoadText(8280, "Locating destination mail folder..."));
        if (m_job.destinationFolder)
            mailstore::copyFolderIdentity(*destination, *m_job.destinationFolder);
        openFolder(*destination, 8281, kDestinationNotFound, m_job.msgDestination);
    }

    setStatus(i18n::LoadText(8290, "Counting emails..."));
    source->ListMessages(sortList);
    const auto count = static_cast<std::int32_t>(sortList.size());

    setStatus(i18n::LoadText(8310, "Sorting emails..."));
    sortMessages(sortList, m_job.sortOrder, m_job.sortDescending, m_host.locale(),
                 [](const std::shared_ptr<mailstore::TEmailMessage>& message) {
                     return SortKey{message->subject(), message->receivedTime()};
                 });

    setStatus(i18n::LoadText(8320, "Processing emails..."));
    MessageBatch batch(m_job, *source, *destination);
    const auto tagged = [this](const mailstore::TEmailMessage& message) {
        return m_job.moveMessages == TagSubjectLine && message.subject().starts_with(m_job.tagText);
    };
    BodyReadAhead readAhead(sortList, tagged);
    std::int32_t index = 1;
    try {
        for (; index <= count; ++index) {
            if (batch.due())
                batch.finish(m_currentNumber);
            if (cancelled())
                break;
            pumpEvents();
            setStatus(i18n::LoadTextFmt(8330, "Processing email %d of %d", {index, count}));
            setProgress(static_cast<int>(static_cast<std::int64_t>(index) * 100 / count));
            readAhead.before(static_cast<std::size_t>(index - 1));
            // Only the message's header fields stay in memory after its file is staged.
            std::shared_ptr<mailstore::TEmailMessage> message = std::move(sortList[index - 1]);
            const std::string subject = message->subject();
            setSubject(subject);

            // A tagged subject was handled by an earlier run: no file, no number.
            if (tagged(*message))
                continue;

            MessageTokens tokens(*message);
            std::string path = outputFileName(m_job.saveFolder, m_job.numberFormat, tokens, m_currentNumber);
            const std::string body = message->Body();
            batch.add(std::move(message), std::move(path), m_currentNumber, body);
            ++m_currentNumber;
        }
    } catch (...) {
        // Whatever stopped the run (an error, a vanished sink), the messages staged before it are
        // finished first; an error doing so came earlier in message order, so it is the one reported.
        batch.finish(m_currentNumber);
        throw;
    }
    batch.finish(m_currentNumber);

    if (cancelled()) {
        m_outcome = Outcome::Interrupted;
        setProgress(100);
        setSubject("");
        setStatus(i18n::LoadTextFmt(8350, "Interrupted by user. %d emails processed", {index - 1}));
    } else {
        m_host.setFirstNumber(m_currentNumber);
        m_host.saveUpdatedCount();
        m_outcome = Outcome::Completed;
        setProgress(100);
        setSubject("");
        setStatus(i18n::LoadTextFmt(8340, "Complete. %d emails processed", {count}));
    }
    lockSink()->finish();
}

void TEmailThread::reportError(const std::exception& error) {
    m_host.dialogs().ErrorBox("Application Error", applicationErrorText(error));
}

std::shared_ptr<StatusSink> TEmailThread::lockSink() {
    std::shared_ptr<StatusSink> sink = m_status.lock();
    if (!sink)
        throw SinkGone{};
    return sink;
}

void TEmailThread::pumpEvents() {
    // The locked pointer keeps the sink alive while its owner releases it during the call.
    lockSink()->processPendingEvents();
}

void TEmailThread::setStatus(const std::string& text) {
    m_statusText = text;
    lockSink()->setStatusLine(text);
    pumpEvents();
}

void TEmailThread::setProgress(int percent) {
    m_progress = percent;
    lockSink()->setProgress(percent);
    pumpEvents();
}

void TEmailThread::setSubject(const std::string& text) {
    m_currentSubject = text;
    lockSink()->setSubject(text);
    pumpEvents();
}

bool TEmailThread::cancelled() {
    return lockSink()->cancelled();
}

} // namespace engine
