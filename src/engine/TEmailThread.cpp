#include "engine/TEmailThread.h"

#include "engine/BodyReadAhead.h"
#include "engine/MessageBatch.h"
#include "engine/MessageOrder.h"
#include "engine/MessageTokens.h"
#include "engine/OutputFileName.h"
#include "engine/RunError.h"
#include "engine/RunErrorReport.h"
#include "i18n/TextLookup.h"
#include "mailstore/TEmailMessage.h"
#include "mailstore/TMapiSession.h"

#include <exception>
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
    // The received-time order needs no copy of every subject.
    const bool bySubject = m_job.sortOrder != DateReceived;
    sortMessages(sortList, m_job.sortOrder, m_job.sortDescending, m_host.locale(),
                 [bySubject](const std::shared_ptr<mailstore::TEmailMessage>& message) {
                     return SortKey{bySubject ? std::string(message->subject()) : std::string(),
                                    message->receivedTime()};
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
                batch.commitInBackground(m_currentNumber);
            if (cancelled())
                break;
            pumpEvents();
            setStatus(i18n::LoadTextFmt(8330, "Processing email %d of %d", {index, count}));
            setProgress(static_cast<int>(static_cast<std::int64_t>(index) * 100 / count));
            readAhead.before(static_cast<std::size_t>(index - 1));
            // Only the message's header fields stay in memory after its file is staged.
            std::shared_ptr<mailstore::TEmailMessage> message = std::move(sortList[index - 1]);
            const std::string subject(message->subject());
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
