#include "platform/WorkerPool.h"

#include <algorithm>

namespace platform {

WorkerPool::WorkerPool(unsigned threads) {
    m_threads.reserve(threads);
    for (unsigned i = 0; i < threads; ++i)
        m_threads.emplace_back([this] { serve(); });
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_queue.clear();
    }
    m_posted.notify_all();
    for (auto& thread : m_threads)
        thread.join();
}

void WorkerPool::post(std::function<void()> work) {
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(work));
    }
    m_posted.notify_one();
}

bool WorkerPool::runNewest() {
    std::function<void()> work;
    {
        std::lock_guard lock(m_mutex);
        if (m_queue.empty())
            return false;
        work = std::move(m_queue.back());
        m_queue.pop_back();
    }
    work();
    return true;
}

unsigned WorkerPool::defaultThreads() {
    const unsigned processors = std::thread::hardware_concurrency();
    return std::clamp(processors > 1 ? processors - 1 : 1u, 1u, 3u);
}

void WorkerPool::serve() {
    while (true) {
        std::function<void()> work;
        {
            std::unique_lock lock(m_mutex);
            m_posted.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
            if (m_stopping)
                return;
            work = std::move(m_queue.front());
            m_queue.pop_front();
        }
        work();
    }
}

} // namespace platform
