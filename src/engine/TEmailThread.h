#pragma once
// One extraction run: the source folder's messages become numbered text files in the output
// folder, each message then left, moved or tagged, and optionally marked read. Despite the name
// it is no thread: the whole run executes inside the constructor on the caller's thread, keeping
// the front end responsive through StatusSink::processPendingEvents.
//
// Output files are committed in batches (at most 256 messages, 64 MB or one second), each staged
// with its message's time; a full batch reaches the disk while the next one fills (see
// MessageBatch). A message is marked read and moved or tagged only after its batch's files are
// durable under their final names, so every way a run ends leaves what writing one file at a time
// would. The bodies of the next few messages are opened ahead (see TEmailMessage::
// PrepareBody), so a store may decode them while files are written.
//
// How a run ends:
// - Completed: the next number went to RunHost::setFirstNumber and saveUpdatedCount, the sink
//   shows "Complete. %d emails processed" and finish().
// - Interrupted: the sink's cancel flag was set; the sink shows "Interrupted by user. %d emails
//   processed" and finish(); First number is not handed back. A sink that vanished while the run
//   was active interrupts it the same way at its next update or message, nothing more is shown,
//   and every message is either fully processed or untouched.
// - Failed: an error stopped it at once; it is shown in an "Application Error" box through
//   RunHost::dialogs(), the sink keeps its last texts and its Cancel button, First number is not
//   handed back. Files and post-actions done before stay done.

#include "engine/RunHost.h"
#include "engine/RunJob.h"
#include "engine/StatusSink.h"

#include <cstdint>
#include <memory>
#include <string>

namespace engine {

class TEmailThread {
public:
    enum class Outcome { Completed, Interrupted, Failed };

    // Performs the whole run and returns when it has ended, whatever the outcome. The run owns
    // `job` from here on; `status` must be alive at the call; `host` must outlive the call.
    TEmailThread(RunJob job, std::weak_ptr<StatusSink> status, RunHost& host);
    ~TEmailThread();
    TEmailThread(const TEmailThread&) = delete;
    TEmailThread& operator=(const TEmailThread&) = delete;

    Outcome outcome() const { return m_outcome; }
    // The number the next output file would get.
    std::int32_t currentNumber() const { return m_currentNumber; }
    // The last texts given to the sink.
    const std::string& statusText() const { return m_statusText; }
    int progress() const { return m_progress; }
    const std::string& currentSubject() const { return m_currentSubject; }

private:
    void run();
    void reportError(const std::exception& error);

    // Sink calls; each update is followed by processPendingEvents. A vanished sink ends the run.
    std::shared_ptr<StatusSink> lockSink();
    void pumpEvents();
    void setStatus(const std::string& text);
    void setProgress(int percent);
    void setSubject(const std::string& text);
    bool cancelled();

    RunJob m_job;
    std::weak_ptr<StatusSink> m_status;
    RunHost& m_host;
    Outcome m_outcome = Outcome::Failed;
    std::int32_t m_currentNumber = 0;
    std::string m_statusText;
    int m_progress = 0;
    std::string m_currentSubject;
};

} // namespace engine
