#pragma once
// Work that a worker thread may do before anyone needs it. Whoever claims it first does it: a
// worker when it gets there, or the thread that wants the result, which then runs it itself
// instead of waiting behind the queue. So a result never waits for a worker that is busy, gone
// or was never started (a forked child has none).

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <utility>

namespace platform {

template <typename T> class SharedWork {
public:
    explicit SharedWork(std::function<T()> work) : m_work(std::move(work)) {}
    SharedWork(const SharedWork&) = delete;
    SharedWork& operator=(const SharedWork&) = delete;

    // For a worker: does the work unless it was claimed already.
    void runIfUnclaimed() {
        if (claim())
            run();
    }

    // The result, done on this thread if nobody started it, else waited for; rethrows what the
    // work threw. While a worker does it, `help` may do other work instead of waiting: it
    // answers false when it found none, and then this waits.
    T& get(const std::function<bool()>& help = nullptr) {
        if (claim())
            run();
        while (help && !done() && help()) {
        }
        std::unique_lock lock(m_mutex);
        m_finished.wait(lock, [this] { return m_state == State::Done; });
        if (m_error)
            std::rethrow_exception(m_error);
        return *m_result;
    }

private:
    enum class State { Waiting, Running, Done };

    bool done() {
        std::lock_guard lock(m_mutex);
        return m_state == State::Done;
    }

    bool claim() {
        std::lock_guard lock(m_mutex);
        if (m_state != State::Waiting)
            return false;
        m_state = State::Running;
        return true;
    }

    void run() {
        std::optional<T> result;
        std::exception_ptr error;
        try {
            result.emplace(m_work());
        } catch (...) {
            error = std::current_exception();
        }
        {
            std::lock_guard lock(m_mutex);
            m_result = std::move(result);
            m_error = error;
            m_state = State::Done;
            m_work = nullptr; // what the work captured is released with it
        }
        m_finished.notify_all();
    }

    std::function<T()> m_work;
    std::mutex m_mutex;
    std::condition_variable m_finished;
    State m_state = State::Waiting;
    std::optional<T> m_result;
    std::exception_ptr m_error;
};

} // namespace platform
