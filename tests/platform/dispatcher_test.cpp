// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/dispatcher.h"

#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>
#include <vector>

namespace vorin {
namespace {

// Drains on the calling (main) thread until done holds.
void drainUntil(Dispatcher& d, const std::atomic<bool>& done)
{
    while (!done.load()) {
        d.drain();
        std::this_thread::yield();
    }
    d.drain();
}

TEST(Dispatcher, SynchronizedCallsRunOnTheMainThreadInOrderAndBlockTheWorker)
{
    Dispatcher d;
    std::vector<int> seen; // touched only on the main thread
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i) {
            d.synchronize([&, i] {
                EXPECT_TRUE(d.isMainThread());
                seen.push_back(i);
            });
            // The call has returned, so the main thread has already stored i.
        }
        done = true;
    });
    drainUntil(d, done);
    worker.join();
    ASSERT_EQ(seen.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(seen[static_cast<std::size_t>(i)], i);
}

TEST(Dispatcher, PassesExceptionsBackToTheWaitingWorker)
{
    Dispatcher d;
    std::atomic<bool> done{false};
    bool caught = false;
    std::thread worker([&] {
        try {
            d.synchronize([] { throw std::runtime_error("append failed"); });
        } catch (const std::runtime_error&) {
            caught = true;
        }
        done = true;
    });
    drainUntil(d, done);
    worker.join();
    EXPECT_TRUE(caught);
}

TEST(Dispatcher, CloseReleasesBlockedWorkersWithoutRunningTheirCalls)
{
    Dispatcher d;
    std::atomic<int> ran{0};
    std::atomic<int> released{0};
    std::vector<std::thread> workers;
    for (int i = 0; i < 3; ++i) {
        workers.emplace_back([&] {
            try {
                d.synchronize([&] { ++ran; });
            } catch (const std::future_error&) {
                ++released;
            }
        });
    }
    // Wait until the calls are queued (or have been refused), then end the hand-over.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    d.close();
    for (auto& w : workers)
        w.join();
    EXPECT_EQ(ran, 0);
    EXPECT_EQ(released, 3);
    d.post([&] { ++ran; });
    EXPECT_EQ(d.drain(), 0u);
}

TEST(Dispatcher, OnTheMainThreadRunsAtOnce)
{
    Dispatcher d;
    int value = 0;
    d.synchronize([&] { value = 7; });
    EXPECT_EQ(value, 7);
    d.post([&] { value = 8; });
    EXPECT_EQ(value, 7);
    EXPECT_EQ(d.drain(), 1u);
    EXPECT_EQ(value, 8);
}

} // namespace
} // namespace vorin
