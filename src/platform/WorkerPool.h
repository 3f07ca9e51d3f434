#pragma once
// A few threads that run posted work in the order posted. Work still queued when the pool is
// destroyed is dropped, so it should be work someone else can still do (see SharedWork). Posted
// work must not throw.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {

class WorkerPool {
public:
    explicit WorkerPool(unsigned threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    void post(std::function<void()> work);
    // Runs the work posted last that no worker has taken, on this thread; false when none is
    // queued. For a thread that would otherwise wait for a worker: the newest work is the one
    // the workers reach last.
    bool runNewest();

    // One thread fewer than the processors, so the posting thread keeps one: at least 1, at most 3.
    static unsigned defaultThreads();

private:
    void serve();

    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<std::function<void()>> m_queue;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

} // namespace platform
