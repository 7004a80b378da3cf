// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "check/proxycheck.h"
#include "config/judge.h"
#include "platform/clock.h"
#include "relay/relay.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vorin {

// The local relay as the window and the CLI keep it: the relay itself, what it says turned into status
// texts, and its health check, which takes the guard's place while it runs: an upstream the relay benched is
// checked through the judges (ProxyCheck: the pool in order, a silent or refusing judge giving way to the
// next) once its back-off has passed; it comes back when the check passes, is benched for longer when a
// judge confirms the failure, and is checked again later when no judge could tell.
// Main thread.
class LocalRelay {
public:
    struct Host {
        std::function<void(const std::string& gbkText)> say;      // the status line
        std::function<void(const ProxyEntry& upstream)> carrying; // the upstream the connections go through
        std::function<std::vector<Judge>()> judges;               // the pool, read at each check
    };
    LocalRelay(FetchEngine& engine, Dispatcher& dispatcher, Clock& clock, Host host);
    ~LocalRelay();
    LocalRelay(const LocalRelay&) = delete;
    LocalRelay& operator=(const LocalRelay&) = delete;

    // Starts the relay on 127.0.0.1:port (and [::1]) with upstreams fastest first, first (the user's
    // choice) before them; a relay already running takes the new upstreams. false with why (UTF-8) when it
    // cannot listen.
    bool start(std::uint16_t port, relay::Rotate rotate, std::vector<ProxyEntry> upstreams,
               std::optional<ProxyEntry> first, std::string& why);
    void stop();
    bool running() const { return relay_ != nullptr; }
    std::uint16_t port() const { return relay_ ? relay_->port() : 0; }
    // Makes the checks that are due; the window's timer and the CLI's loop call it often.
    void tick();
    // Every upstream is benched and has failed a check since, or there is none (the list named only the
    // relay itself): nothing is left to come back.
    bool noneLeft() const;
    std::size_t upstreams() const { return upstreams_.size(); }
    // Upstreams not benched now.
    std::size_t healthy() const { return relay_ ? relay_->counts().healthy : 0; }
    // The upstreams as started, less those the relay has benched.
    std::vector<ProxyEntry> working() const;

    // Refills: the owner harvests its sources and validates the rows, and the relay then carries those that
    // passed, fastest first, and after them the upstreams that still worked when the refill began. Due when
    // fewer than floor upstreams work and the pace allows: 5 s after a refill that found more, a minute
    // after one that found nothing new and twice as long after each further one, to ten minutes (the
    // sources are others'); the first may come 2 s after the start, once the relay has counted.
    bool refillDue(std::size_t floor) const;
    void refillBegins();
    void refillEnds(std::vector<ProxyEntry> found);

private:
    void event(const relay::Event& e);
    void check(const ProxyEntry& upstream);

    FetchEngine& engine_;
    Dispatcher& dispatcher_;
    Clock& clock_;
    Host host_;
    std::unique_ptr<relay::Relay> relay_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true); // the relay's events find it gone
    std::vector<ProxyEntry> upstreams_;
    struct Due {
        ProxyEntry upstream;
        std::uint32_t at;
    };
    std::vector<Due> due_;
    std::map<std::string, std::unique_ptr<ProxyCheck>> checks_; // by the upstream's host:port
    std::vector<std::unique_ptr<ProxyCheck>> retired_;
    std::set<std::string> deadAfterCheck_; // failed their last check
    std::set<std::string> benched_;
    bool saidNoneLeft_ = false;
    struct Refill {
        std::size_t before = 0;       // upstreams that worked when it began
        std::vector<ProxyEntry> kept; // and which they were
        std::uint32_t gap = 0;        // after the last one: 0 when it found more
        std::uint32_t next = 0;       // tick count before which none begins
    } refill_;
};

} // namespace vorin
