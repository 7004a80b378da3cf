// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/dispatcher.h"

namespace vorin {

Dispatcher::Dispatcher() : mainThread_(std::this_thread::get_id()) {}

Dispatcher::~Dispatcher()
{
    close();
}

bool Dispatcher::enqueue(Task task)
{
    {
        std::lock_guard lock(mutex_);
        if (closed_)
            return false;
        queue_.push_back(std::move(task));
    }
    queued_.notify_one();
    wake();
    return true;
}

void Dispatcher::synchronize(std::function<void()> fn)
{
    if (isMainThread()) {
        fn();
        return;
    }
    auto task = std::make_shared<std::packaged_task<void()>>(std::move(fn));
    std::future<void> done = task->get_future();
    if (!enqueue(std::move(task)))
        throw std::future_error(std::future_errc::broken_promise);
    done.get();
}

void Dispatcher::post(std::function<void()> fn)
{
    enqueue(std::make_shared<std::packaged_task<void()>>(std::move(fn)));
}

std::size_t Dispatcher::drain()
{
    std::size_t count = 0;
    for (;;) {
        Task task;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty())
                return count;
            task = std::move(queue_.front());
            queue_.pop_front();
        }
        (*task)(); // exceptions are stored in the task's future for the waiting caller
        ++count;
    }
}

void Dispatcher::processMessages()
{
    drain();
}

void Dispatcher::waitMessages(std::chrono::milliseconds limit)
{
    {
        std::unique_lock lock(mutex_);
        queued_.wait_for(lock, limit, [this] { return !queue_.empty() || closed_; });
    }
    drain();
}

void Dispatcher::close()
{
    std::deque<Task> dropped;
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        dropped.swap(queue_);
    }
    // Destroying the unrun tasks breaks their promises, which releases callers blocked in synchronize.
}

} // namespace vorin
