// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "platform/hostport.h"

#include <chrono>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vorin::relay {

// How the relay picks an upstream for a connection.
enum class Rotate {
    Fastest,    // the fastest healthy one (the list's order)
    Connection, // the next healthy one for each connection
    Host,       // the same one for a destination host while it works, so that logins survive
};

// The relay's upstreams and their health. An upstream that fails is benched with a back-off that grows
// from 30 s to 10 min; it comes back only when its owner has checked it through a judge (revive). The
// relay's thread alone uses it.
class UpstreamPool {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kFirstBackOff{30};
    static constexpr std::chrono::seconds kLongestBackOff{600};

    explicit UpstreamPool(Rotate rotate = Rotate::Fastest) : rotate_(rotate) {}

    // The upstreams, fastest first, all healthy: a new list is one found working.
    void set(const std::vector<ProxyEntry>& fastestFirst);
    // Makes proxy the first choice (the row the user picked), adding it when it is not there.
    void prefer(const ProxyEntry& proxy);

    // The upstream for a connection to host, none of those in tried; nothing when every one is benched or
    // tried.
    std::optional<std::size_t> choose(const std::string& host, const std::vector<std::size_t>& tried);
    // A connection through it worked (and, for Host, host stays with it).
    void worked(std::size_t i, const std::string& host);
    // It failed: benched. Returns its back-off, and whether it was healthy until now (a second failure
    // of a connection started before the first is not a new one).
    struct Benched {
        std::chrono::seconds backOff{0};
        bool now = false;
    };
    Benched failed(std::size_t i);
    // A judge found it working: it may be chosen again. Its back-off stays until it has worked.
    void revive(const ProxyEntry& proxy);
    // A request gave up waiting for its answer early (it had others to try): for kQuiet it is chosen only
    // when no other is left, and it does not count as healthy, until it works again. Returns whether it had
    // been quiet before without working since (its owner benches it then).
    static constexpr std::chrono::seconds kQuiet{30};
    bool quiet(std::size_t i);
    // Where proxy is now (indexes change with a new list), or nothing.
    std::optional<std::size_t> find(const ProxyEntry& proxy) const;

    const ProxyEntry& at(std::size_t i) const { return entries_[i].proxy; }
    std::size_t size() const { return entries_.size(); }
    std::size_t healthy() const;
    bool benched(std::size_t i) const { return entries_[i].benched; }

private:
    struct Upstream {
        ProxyEntry proxy;
        bool benched = false;
        std::chrono::seconds backOff{0};
        Clock::time_point quietUntil{};
    };
    std::optional<std::size_t> chooseAmong(const std::string& host, const std::vector<std::size_t>& tried,
                                           bool quietToo);
    Rotate rotate_;
    std::vector<Upstream> entries_;
    std::size_t next_ = 0;                     // Connection: where the round goes on
    std::map<std::string, std::size_t> hosts_; // Host: each destination's upstream
};

} // namespace vorin::relay
