// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

namespace vorin {

// A list of URLs that the discovery thread appends to while the main thread reads its count and the
// discovered-page workers read its entries. Every access takes the lock; readers take a snapshot, so a
// worker walks the entries that existed when it started, in discovery order. Any thread.
class UrlList {
public:
    void append(std::string url)
    {
        std::lock_guard lock(mutex_);
        urls_.push_back(std::move(url));
    }
    std::size_t count() const
    {
        std::lock_guard lock(mutex_);
        return urls_.size();
    }
    std::vector<std::string> snapshot() const
    {
        std::lock_guard lock(mutex_);
        return urls_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> urls_;
};

} // namespace vorin
