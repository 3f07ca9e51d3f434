#include "engine/MessageBatch.h"

#include "engine/OutputFileTime.h"

#include <exception>
#include <filesystem>
#include <system_error>
#include <utility>

namespace engine {
namespace {

// A batch is committed at whichever bound comes first. One commit costs about one durable file
// (an fsync is milliseconds here, a message's work a fraction of one), so 256 files make that
// cost small per message; 64 MB bounds the data waiting for the disk; one second bounds how long
// a message waits for its post-action on a slow folder.
constexpr std::size_t kBatchMessages = 256;
constexpr std::uint64_t kBatchBytes = 64ull << 20;
constexpr std::chrono::seconds kBatchAge{1};

} // namespace

MessageBatch::MessageBatch(const RunJob& job, mailstore::TMapiUserFolder& source,
                           mailstore::TMapiUserFolder& destination)
    : m_job(job), m_source(source), m_destination(destination) {}

MessageBatch::~MessageBatch() = default;

void MessageBatch::add(std::shared_ptr<mailstore::TEmailMessage> message, std::string path,
                       std::int32_t number, const std::string& body) {
    Batch& batch = *m_filling;
    if (batch.pending.empty())
        batch.started = std::chrono::steady_clock::now();
    // The file gets the message's time before it is renamed, so it is never seen without it.
    batch.files.stage(path, {body, "\r\n"}, outputFileTime(message->receivedTime().value_or(0.0)));
    batch.pending.push_back({std::move(message), std::move(path), number});
}

bool MessageBatch::due() const {
    const Batch& batch = *m_filling;
    return !batch.pending.empty() &&
           (batch.pending.size() >= kBatchMessages || batch.files.bytes() >= kBatchBytes ||
            std::chrono::steady_clock::now() - batch.started >= kBatchAge);
}

void MessageBatch::commitInBackground(std::int32_t& currentNumber) {
    finishSyncing(currentNumber);
    m_syncing = std::exchange(m_filling, std::make_unique<Batch>());
    platform::DurableBatch& files = m_syncing->files;
    try {
        m_syncing->syncing = std::async(std::launch::async, [&files] { files.sync(); });
    } catch (const std::system_error&) {
        files.sync(); // no thread to spare: the batch reaches the disk here instead
    }
}

void MessageBatch::finish(std::int32_t& currentNumber) {
    finishSyncing(currentNumber);
    const auto filling = std::exchange(m_filling, std::make_unique<Batch>());
    finishBatch(*filling, currentNumber);
}

void MessageBatch::finishSyncing(std::int32_t& currentNumber) {
    if (!m_syncing)
        return;
    const auto syncing = std::move(m_syncing);
    if (syncing->syncing.valid())
        syncing->syncing.wait();
    try {
        finishBatch(*syncing, currentNumber);
    } catch (...) {
        // The run stops at a message of the earlier batch: the later one was never begun.
        m_filling->files.discard();
        m_filling->pending.clear();
        throw;
    }
}

void MessageBatch::finishBatch(Batch& batch, std::int32_t& currentNumber) {
    std::exception_ptr failure;
    try {
        batch.files.commit();
    } catch (const std::exception&) {
        failure = std::current_exception();
    }
    std::vector<Pending> pending = std::exchange(batch.pending, {});
    const std::size_t durable = batch.files.committed();
    // The post-actions' renames and rewrites each leave a message whole; they reach the disk
    // together, once for the batch instead of once a message.
    platform::ChangeBatch changes;
    for (std::size_t i = 0; i < durable; ++i) {
        try {
            postAction(pending[i]);
        } catch (const std::exception&) {
            currentNumber = pending[i].number;
            // The files of the later messages are taken back: the unbatched run would never have
            // written them. One that cannot be removed is a whole copy of a message that stays
            // unprocessed, so the failure that stopped the run is the one reported.
            std::vector<std::filesystem::path> unfinished;
            for (std::size_t later = i + 1; later < durable; ++later)
                unfinished.emplace_back(pending[later].path);
            try {
                platform::removeDurably(unfinished);
            } catch (const std::system_error&) {
            }
            throw;
        }
        // Released when done, so a batch holds its messages no longer than it must.
        pending[i].message.reset();
    }
    try {
        changes.flush();
    } catch (const std::system_error&) {
        // Which of the batch's changes reached the disk is not known: the first one is blamed.
        if (durable > 0)
            currentNumber = pending[0].number;
        throw;
    }
    if (failure) {
        currentNumber = pending[durable].number;
        std::rethrow_exception(failure);
    }
}

void MessageBatch::postAction(const Pending& pending) {
    mailstore::TEmailMessage& message = *pending.message;
    if (m_job.readStatus)
        message.MarkRead();
    if (m_job.moveMessages == MoveToDestination) {
        m_source.MoveMessage(message, m_destination);
    } else if (m_job.moveMessages == TagSubjectLine) {
        message.ChangeSubject(m_job.tagText + std::string(message.subject()));
        message.SaveMessage("changesubj:");
    }
}

} // namespace engine
