// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "check/proxycheck.h"
#include "config/judge.h"
#include "platform/clock.h"
#include "table/proxytable.h"

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vorin {

// The proxy that stays alive ("守护代理"): while it is on and a system proxy is set, the proxy is checked
// through the judge every interval, in its own protocol and with its credentials; after two failures in a row
// the system proxy goes to the fastest valid row of the table that has not failed it yet, and with none left
// it is stopped, so the desktop is never left on a dead proxy. The verdicts are ProxyCheck's: a check that
// failed on this machine (no descriptor, no port) counts for nothing, nor does a failure its judge does not
// confirm by answering right after, nor a judge's refusal of the proxy: the next judge of the pool checks
// it, and with every judge silent or refusing the proxy stays as it is. Main thread; tick() is called often
// (the window's timer, the CLI's ticker).
class ProxyGuard {
public:
    struct Host {
        std::function<std::optional<ProxyEntry>()> current;    // the system proxy; nothing when it is off
        std::function<void(const ProxyEntry& proxy)> switchTo; // makes it the system proxy
        std::function<void()> stop;                            // switches the system proxy off
        std::function<void(const std::string& gbkText)> say;   // the status line
        std::function<std::vector<Judge>()> judges;            // the pool, read at each check
    };
    ProxyGuard(FetchEngine& engine, Dispatcher& dispatcher, Clock& clock, const ProxyTable& table, Host host);
    ~ProxyGuard();

    bool on = false;
    int intervalSeconds = 60;

    void tick();
    // Whether a check is out.
    bool checking() const { return check_ != nullptr; }
    // host:port of the proxies the guard has found dead since it started (never chosen again).
    const std::set<std::string>& dead() const { return dead_; }
    // Whether it has stopped the system proxy for want of a valid row.
    bool stopped() const { return stopped_; }
    // The fastest valid row that has not failed, as it is used; nothing when there is none.
    std::optional<ProxyEntry> nextProxy() const;

private:
    void start(const ProxyEntry& proxy);
    void completed(const ProxyCheck::Result& result);
    // The failure counted: after two in a row the proxy is replaced.
    void failed();

    FetchEngine& engine_;
    Dispatcher& dispatcher_;
    Clock& clock_;
    const ProxyTable& table_;
    Host host_;
    std::unique_ptr<ProxyCheck> check_;
    std::unique_ptr<ProxyCheck> retired_; // the last one, kept until the next check starts
    std::size_t judge_ = 0;               // the pool's judge to start with (the last that answered)
    std::optional<ProxyEntry> watched_;   // the proxy the failures count for
    int failures_ = 0;
    int localFailures_ = 0; // checks in a row this machine could not make
    bool switching_ = false;
    bool stopped_ = false;
    std::uint32_t lastCheck_ = 0;
    std::set<std::string> dead_;
};

} // namespace vorin
