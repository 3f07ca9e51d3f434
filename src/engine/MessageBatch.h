#pragma once
// The messages whose output files are staged together. A message is marked read, moved or tagged
// only after its file is durable under its final name: a moved or tagged message is skipped by
// the next run, so its text must never be lost.
//
// A full batch reaches the disk on another thread while the run stages the next one; it is
// finished (files renamed, post-actions done) when the next one is full, or at the end. Whatever
// fails, the outcome is the one an unbatched run would have had at the failing message.

#include "engine/RunJob.h"
#include "mailstore/TEmailMessage.h"
#include "mailstore/TMapiUserFolder.h"
#include "platform/DurableWrite.h"

#include <chrono>
#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <vector>

namespace engine {

class MessageBatch {
public:
    MessageBatch(const RunJob& job, mailstore::TMapiUserFolder& source,
                 mailstore::TMapiUserFolder& destination);
    // Waits for a batch still reaching the disk; files never committed are removed.
    ~MessageBatch();
    MessageBatch(const MessageBatch&) = delete;
    MessageBatch& operator=(const MessageBatch&) = delete;

    // Stages the body followed by CR LF as the message's output file, with the message's time.
    void add(std::shared_ptr<mailstore::TEmailMessage> message, std::string path, std::int32_t number,
             const std::string& body);
    // The batch being filled is full, by count, bytes or age.
    bool due() const;
    // Finishes the batch that was reaching the disk, then starts the one being filled on its way
    // there and begins a new one.
    void commitInBackground(std::int32_t& currentNumber);
    // Finishes every staged message: the batch reaching the disk, then the one being filled.
    // On a failure it throws as the unbatched run would have at that message: the messages before
    // it are done, it and the later ones have neither file nor post-action (a failed post-action
    // keeps its own file), and `currentNumber` is the number of the message that failed.
    void finish(std::int32_t& currentNumber);

private:
    struct Pending {
        std::shared_ptr<mailstore::TEmailMessage> message;
        std::string path;
        std::int32_t number;
    };
    struct Batch {
        platform::DurableBatch files;
        std::vector<Pending> pending;
        std::chrono::steady_clock::time_point started;
        std::future<void> syncing; // last: destroyed first, so it waits before the files go
    };

    void finishSyncing(std::int32_t& currentNumber);
    void finishBatch(Batch& batch, std::int32_t& currentNumber);
    void postAction(const Pending& pending);

    const RunJob& m_job;
    mailstore::TMapiUserFolder& m_source;
    mailstore::TMapiUserFolder& m_destination;
    std::unique_ptr<Batch> m_filling = std::make_unique<Batch>();
    std::unique_ptr<Batch> m_syncing;
};

} // namespace engine
