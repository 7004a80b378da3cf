// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "relay/pool.h"

#include <algorithm>

namespace vorin::relay {

void UpstreamPool::set(const std::vector<ProxyEntry>& fastestFirst)
{
    std::vector<Upstream> next;
    next.reserve(fastestFirst.size());
    for (const ProxyEntry& proxy : fastestFirst) {
        if (std::any_of(next.begin(), next.end(), [&](const Upstream& u) { return u.proxy == proxy; }))
            continue;
        // A list given is a list found working (validated, or the user's): nothing of it stays benched, or
        // its owner, which forgets its benches with a new list, would never check it again.
        next.push_back(Upstream{proxy, false, std::chrono::seconds(0), {}});
    }
    entries_ = std::move(next);
    hosts_.clear();
    next_ = 0;
}

void UpstreamPool::prefer(const ProxyEntry& proxy)
{
    auto it =
        std::find_if(entries_.begin(), entries_.end(), [&](const Upstream& u) { return u.proxy == proxy; });
    Upstream chosen = it != entries_.end() ? *it : Upstream{proxy, false, std::chrono::seconds(0), {}};
    if (it != entries_.end())
        entries_.erase(it);
    chosen.benched = false; // the user's own choice is tried
    entries_.insert(entries_.begin(), chosen);
    hosts_.clear();
    next_ = 0;
}

std::optional<std::size_t> UpstreamPool::choose(const std::string& host,
                                                const std::vector<std::size_t>& tried)
{
    // A quiet one only when no other is left.
    if (auto i = chooseAmong(host, tried, false))
        return i;
    return chooseAmong(host, tried, true);
}

std::optional<std::size_t> UpstreamPool::chooseAmong(const std::string& host,
                                                     const std::vector<std::size_t>& tried, bool quietToo)
{
    const Clock::time_point now = Clock::now();
    auto usable = [&](std::size_t i) {
        return !entries_[i].benched && (quietToo || entries_[i].quietUntil <= now) &&
               std::find(tried.begin(), tried.end(), i) == tried.end();
    };
    const std::size_t n = entries_.size();
    if (n == 0)
        return std::nullopt;
    if (rotate_ == Rotate::Host) {
        if (auto it = hosts_.find(host); it != hosts_.end() && it->second < n && usable(it->second))
            return it->second;
    }
    if (rotate_ == Rotate::Connection) {
        for (std::size_t k = 0; k < n; ++k) {
            const std::size_t i = (next_ + k) % n;
            if (usable(i)) {
                next_ = (i + 1) % n;
                return i;
            }
        }
        return std::nullopt;
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (usable(i))
            return i;
    }
    return std::nullopt;
}

void UpstreamPool::worked(std::size_t i, const std::string& host)
{
    if (i >= entries_.size())
        return;
    entries_[i].backOff = std::chrono::seconds(0);
    entries_[i].quietUntil = {};
    if (rotate_ == Rotate::Host) {
        if (hosts_.size() > 4096)
            hosts_.clear(); // a long session's hosts are not kept for ever
        hosts_[host] = i;
    }
}

UpstreamPool::Benched UpstreamPool::failed(std::size_t i)
{
    if (i >= entries_.size())
        return {};
    Upstream& u = entries_[i];
    if (u.benched)
        return {u.backOff, false};
    u.benched = true;
    u.backOff = u.backOff.count() == 0 ? kFirstBackOff : std::min(u.backOff * 2, kLongestBackOff);
    for (auto it = hosts_.begin(); it != hosts_.end();)
        it = it->second == i ? hosts_.erase(it) : std::next(it);
    return {u.backOff, true};
}

void UpstreamPool::revive(const ProxyEntry& proxy)
{
    for (Upstream& u : entries_) {
        if (u.proxy == proxy)
            u.benched = false;
    }
}

std::size_t UpstreamPool::healthy() const
{
    const Clock::time_point now = Clock::now();
    return static_cast<std::size_t>(std::count_if(entries_.begin(), entries_.end(), [&](const Upstream& u) {
        return !u.benched && u.quietUntil <= now;
    }));
}

bool UpstreamPool::quiet(std::size_t i)
{
    if (i >= entries_.size())
        return false;
    Upstream& u = entries_[i];
    const bool again = u.quietUntil != Clock::time_point{};
    u.quietUntil = Clock::now() + kQuiet;
    return again;
}

std::optional<std::size_t> UpstreamPool::find(const ProxyEntry& proxy) const
{
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].proxy == proxy)
            return i;
    }
    return std::nullopt;
}

} // namespace vorin::relay
