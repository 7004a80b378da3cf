// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "platform/hostport.h"
#include "platform/ioresult.h"
#include "relay/pool.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The local relay (本地中转): a proxy on this machine's loopback that the desktop points at, passing every
// connection on through the free proxies of a list and moving to another when one fails, so that a dying
// free proxy does not take the desktop's network with it. It speaks HTTP proxy requests (absolute URLs),
// CONNECT tunnels and SOCKS5 on one port, never opens TLS, adds no header, and never connects directly: with
// no upstream left the client gets a 502 (SOCKS: a failure reply). It runs on a thread of its own (Asio),
// owned by the Relay; what it has to say goes to a listener on that thread, which hands it over.
namespace vorin::relay {

struct Options {
    std::uint16_t port = 8899; // on 127.0.0.1 and [::1]; 0 for a free one (tests)
    Rotate rotate = Rotate::Fastest;
    std::size_t maxClients = 1024;
    std::size_t maxHead = 64 * 1024;
    std::chrono::milliseconds idle{300000};         // a connection with no byte either way for this long ends
    std::chrono::milliseconds upstreamLimit{10000}; // to reach an upstream and have its tunnel open
    int triesPerRequest =
        3; // upstreams that failed slowly (a limit, not a refusal) before a request gives up
    std::chrono::milliseconds headLimit{30000}; // for a client's request head, however slowly it comes
    // An upstream an attempt has waited for this long gets no new connection while another is free.
    std::chrono::milliseconds stall{2000};
    // A plain request that may be made again waits this long for an answer before it tries the next.
    std::chrono::milliseconds silence{5000};
    // With no upstream left a request waits this long for one to come before it gets its 502 (0: not at all).
    std::chrono::milliseconds awaitUpstreams{0};
};

struct Event {
    enum class Kind {
        Failover, // from failed; to took its place (empty when none was left)
        Benched,  // from was benched for backOff: a judge should check it once that has passed
        NoneLeft, // a client got the 502: every upstream is benched
        Using,    // to carries the connections now (the first, or another after a failover)
    } kind;
    ProxyEntry from;
    ProxyEntry to;
    std::chrono::seconds backOff{0};
};

// Whether endpoint names the relay listening on port, however its host is spelt (LOCALHOST, 0x7f000001,
// [::ffff:7f00:1], ...): such an upstream would be the relay itself.
bool namesRelay(const HostPort& endpoint, std::uint16_t port);

class Relay {
public:
    using Listener = std::function<void(const Event&)>;
    Relay(Options options, Listener listener);
    ~Relay(); // stops the thread; open connections end
    Relay(const Relay&) = delete;
    Relay& operator=(const Relay&) = delete;

    // Binds 127.0.0.1 (and [::1] where this machine has it) and starts the thread.
    IoResult start();
    std::uint16_t port() const { return port_; }

    // Any thread. The upstreams, fastest first; a revived one may be chosen again; prefer puts the user's
    // choice first.
    void setUpstreams(std::vector<ProxyEntry> fastestFirst);
    void prefer(ProxyEntry proxy);
    void revive(ProxyEntry proxy);
    // A judge found a benched upstream dead again: its back-off grows (a Benched event follows).
    void stillDead(ProxyEntry proxy);

    struct Counts {
        std::size_t clients = 0;   // connections open now
        std::size_t upstreams = 0; // upstreams known
        std::size_t healthy = 0;   // of them not benched
    };
    Counts counts() const;

    struct State;

private:
    Options options_;
    std::uint16_t port_ = 0;
    std::shared_ptr<State> state_;
};

} // namespace vorin::relay
