// Work done ahead on worker threads: whoever claims it first does it once, a result never waits
// for a worker that is missing or busy, errors reach the one who asks, and a pool stopped with
// work queued drops it.

#include "platform/SharedWork.h"
#include "platform/WorkerPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using platform::SharedWork;
using platform::WorkerPool;

TEST(SharedWork, TheFirstToClaimDoesItOnceAndTheOtherGetsItsResult) {
    std::atomic<int> runs{0};
    SharedWork<std::string> asked([&] {
        ++runs;
        return std::string("by the asker");
    });
    EXPECT_EQ(asked.get(), "by the asker");
    asked.runIfUnclaimed();
    EXPECT_EQ(asked.get(), "by the asker");
    EXPECT_EQ(runs, 1);

    SharedWork<std::string> ahead([&] {
        ++runs;
        return std::string("ahead");
    });
    ahead.runIfUnclaimed();
    EXPECT_EQ(ahead.get(), "ahead");
    EXPECT_EQ(runs, 2);
}

TEST(SharedWork, AnAskerWaitsForWorkAWorkerHasStarted) {
    std::promise<void> started;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    SharedWork<int> work([&] {
        started.set_value();
        released.wait();
        return 42;
    });
    std::thread worker([&] { work.runIfUnclaimed(); });
    started.get_future().wait();
    auto answer = std::async(std::launch::async, [&] { return work.get(); });
    EXPECT_EQ(answer.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    release.set_value();
    EXPECT_EQ(answer.get(), 42);
    worker.join();
}

TEST(SharedWork, WhatTheWorkThrowsReachesEveryAsker) {
    SharedWork<int> work([]() -> int { throw std::runtime_error("cannot decode"); });
    work.runIfUnclaimed();
    for (int ask = 0; ask < 2; ++ask)
        EXPECT_THROW(
            {
                try {
                    work.get();
                } catch (const std::runtime_error& error) {
                    EXPECT_STREQ(error.what(), "cannot decode");
                    throw;
                }
            },
            std::runtime_error);
}

TEST(WorkerPool, RunsPostedWorkAndResultsMatchWhateverThreadDidIt) {
    std::vector<std::shared_ptr<SharedWork<long>>> works;
    {
        WorkerPool pool(2);
        for (long n = 0; n < 200; ++n) {
            works.push_back(std::make_shared<SharedWork<long>>([n] { return n * n; }));
            pool.post([work = works.back()] { work->runIfUnclaimed(); });
        }
        // Asked in order while the workers go on; every answer is the one of its own work.
        for (long n = 0; n < 200; ++n)
            EXPECT_EQ(works[n]->get(), n * n);
    }
}

TEST(WorkerPool, StoppingDropsQueuedWorkWhichTheAskerThenDoesItself) {
    std::promise<void> started;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<int> ranOnWorker{0};
    auto queued = std::make_shared<SharedWork<std::string>>([] { return std::string("done by the asker"); });
    std::thread releaser;
    {
        WorkerPool pool(1);
        pool.post([&] {
            started.set_value();
            released.wait();
        });
        pool.post([&, queued] {
            ++ranOnWorker;
            queued->runIfUnclaimed();
        });
        started.get_future().wait();
        // The worker is held in the first item while the pool stops, so the second is still queued.
        releaser = std::thread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            release.set_value();
        });
    }
    releaser.join();
    EXPECT_EQ(ranOnWorker, 0);
    EXPECT_EQ(queued->get(), "done by the asker");
}

} // namespace

namespace {

TEST(WorkerPool, AWaitingAskerDoesTheNewestQueuedWorkMeanwhile) {
    std::promise<void> started;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    platform::WorkerPool pool(1);
    // The worker is busy with the first item, which waits until the asker has helped.
    auto first = std::make_shared<platform::SharedWork<int>>([&] {
        started.set_value();
        released.wait();
        return 1;
    });
    pool.post([first] { first->runIfUnclaimed(); });
    started.get_future().wait();
    std::vector<std::thread::id> ranOn(3);
    std::vector<std::shared_ptr<platform::SharedWork<int>>> later;
    for (int i = 0; i < 3; ++i) {
        later.push_back(std::make_shared<platform::SharedWork<int>>([&ranOn, i] {
            ranOn[i] = std::this_thread::get_id();
            return i + 2;
        }));
        pool.post([work = later.back()] { work->runIfUnclaimed(); });
    }
    int helped = 0;
    EXPECT_EQ(first->get([&] {
        const bool found = pool.runNewest();
        helped += found;
        if (!found)
            release.set_value(); // nothing left to do: let the worker finish
        return found;
    }),
              1);
    EXPECT_EQ(helped, 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ranOn[i], std::this_thread::get_id());
        EXPECT_EQ(later[i]->get(), i + 2);
    }
    EXPECT_FALSE(pool.runNewest());
}

} // namespace
