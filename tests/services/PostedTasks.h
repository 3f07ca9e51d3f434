#pragma once
// Stands in for the window's event loop: the worker posts its completion here, and the test runs
// it on its own thread, as the window would on its thread.

#include "services/THTTPGet.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace servicestest {

class PostedTasks {
public:
    // A poster that stays valid while the queue lives; tests keep the queue beyond every worker.
    services::PostToOwner poster() {
        return [state = m_state](std::function<void()> task) {
            {
                std::lock_guard lock(state->mutex);
                state->tasks.push_back(std::move(task));
            }
            state->posted.notify_all();
        };
    }

    // Runs the next posted task; false when none came in time.
    bool runNext(std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        std::function<void()> task;
        {
            std::unique_lock lock(m_state->mutex);
            if (!m_state->posted.wait_for(lock, timeout, [this] { return !m_state->tasks.empty(); }))
                return false;
            task = std::move(m_state->tasks.front());
            m_state->tasks.pop_front();
        }
        task();
        return true;
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable posted;
        std::deque<std::function<void()>> tasks;
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

} // namespace servicestest
