// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

namespace vorin {

// The main-thread hand-over. Worker threads run code on the main thread through synchronize (blocking, like
// a synchronised call of the worker framework) or post (fire and forget); the main thread runs the queued
// calls when it drains the queue: from its event loop, or whenever it processes pending messages. Built on
// standard locks only, so ThreadSanitizer sees every hand-over. The program's Qt event loop derives from it
// (wake() schedules a drain, processMessages() also runs window events); tests use it as it is.
class Dispatcher {
public:
    // The constructing thread becomes the main thread.
    Dispatcher();
    virtual ~Dispatcher();
    Dispatcher(const Dispatcher&) = delete;
    Dispatcher& operator=(const Dispatcher&) = delete;

    // Any thread: runs fn on the main thread and returns when it has returned, passing back what it threw.
    // Called on the main thread it runs fn at once. After close() it throws std::future_error without
    // running fn, so a worker blocked on a program that is ending gets free.
    void synchronize(std::function<void()> fn);

    // Any thread: queues fn for the main thread without waiting. Dropped after close().
    void post(std::function<void()> fn);

    // Main thread: runs every queued call, also those queued meanwhile. Returns how many ran.
    std::size_t drain();

    // Main thread: lets pending work run before returning ("process pending messages"). Here the queued
    // calls; the program's event loop also handles window events.
    virtual void processMessages();

    // Main thread: waits until something is queued (or the program's event loop has something to do), at
    // most limit, then lets it run as processMessages does. For loops that have nothing to do but wait
    // for completions, without spinning.
    virtual void waitMessages(std::chrono::milliseconds limit);

    // Main thread: stops the hand-over. Queued and later calls are dropped; blocked callers are released.
    void close();

    bool isMainThread() const { return std::this_thread::get_id() == mainThread_; }

protected:
    // Called on the queueing thread after a call has been queued; lets an event loop schedule a drain.
    virtual void wake() {}

private:
    using Task = std::shared_ptr<std::packaged_task<void()>>;

    bool enqueue(Task task);

    const std::thread::id mainThread_;
    std::mutex mutex_;
    std::condition_variable queued_;
    std::deque<Task> queue_;
    bool closed_ = false;
};

} // namespace vorin
