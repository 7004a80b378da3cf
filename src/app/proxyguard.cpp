// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "app/proxyguard.h"

#include "system/systemproxy.h"

#include "platform/hostport.h"
#include "platform/texts.h"

namespace vorin {

ProxyGuard::ProxyGuard(FetchEngine& engine, Dispatcher& dispatcher, Clock& clock, const ProxyTable& table,
                       Host host)
    : engine_(engine)
    , dispatcher_(dispatcher)
    , clock_(clock)
    , table_(table)
    , host_(std::move(host))
{
}

ProxyGuard::~ProxyGuard() = default;

void ProxyGuard::tick()
{
    if (!on || checking() || switching_)
        return;
    const std::optional<ProxyEntry> proxy = host_.current();
    if (proxy != watched_) { // a new proxy (or none): its own count, its first check after an interval
        watched_ = proxy;
        stopped_ = stopped_ && !proxy;
        failures_ = 0;
        lastCheck_ = clock_.tickCount();
        return;
    }
    if (!proxy || clock_.tickCount() - lastCheck_ < static_cast<std::uint32_t>(intervalSeconds) * 1000u)
        return;
    start(*proxy);
}

void ProxyGuard::start(const ProxyEntry& proxy)
{
    lastCheck_ = clock_.tickCount();
    std::vector<Judge> pool = host_.judges ? host_.judges() : std::vector<Judge>{};
    if (pool.empty())
        return; // nothing can judge the proxy: it stays as it is
    retired_.reset();
    check_ = std::make_unique<ProxyCheck>(engine_, dispatcher_, std::move(pool), proxy, judge_,
                                          [this](const ProxyCheck::Result& r) { completed(r); });
    check_->start();
}

void ProxyGuard::completed(const ProxyCheck::Result& result)
{
    retired_ = std::move(check_); // in its own completion: it goes at the next check
    lastCheck_ = clock_.tickCount();
    if (host_.current() != watched_)
        return;
    const Texts& t = texts();
    switch (result.verdict) {
    case ProxyCheck::Verdict::Passed:
        judge_ = result.judge;
        failures_ = 0;
        localFailures_ = 0;
        return;
    case ProxyCheck::Verdict::Local:
        // This machine could not make the check: no verdict, unless it never can (three in a row), and
        // then no judge can tell otherwise.
        if (++localFailures_ >= 3) {
            localFailures_ = 0;
            failed();
        }
        return;
    case ProxyCheck::Verdict::Failed:
        judge_ = result.judge;
        localFailures_ = 0;
        failed();
        return;
    case ProxyCheck::Verdict::Unjudged:
        // Every judge is silent or refuses the proxy: it keeps its place, and the guard tries again after
        // an interval.
        localFailures_ = 0;
        host_.say(t.guardPrefix + (result.refused ? t.guardJudgesRefuse : t.guardNoJudge));
        return;
    }
}

void ProxyGuard::failed()
{
    if (++failures_ < 2)
        return;
    const Texts& t = texts();
    if (!watched_)
        return;
    const std::string failed = watched_->endpoint.text();
    dead_.insert(failed);
    const std::optional<ProxyEntry> next = nextProxy();
    // The switch lets the window run (its status texts do), and with it this guard's timer: no tick may
    // take the new proxy for its own meanwhile.
    switching_ = true;
    if (!next) {
        stopped_ = true;
        host_.stop();
        host_.say(t.guardPrefix + failed + t.guardFailed + t.guardStopped);
    } else {
        host_.switchTo(*next);
        host_.say(t.guardPrefix + failed + t.guardFailed + t.guardSwitched + next->endpoint.text());
    }
    switching_ = false;
    watched_ = host_.current();
    failures_ = 0;
    lastCheck_ = clock_.tickCount();
}

std::optional<ProxyEntry> ProxyGuard::nextProxy() const
{
    for (ProxyEntry& proxy : workingProxies(table_)) {
        // A proxy only the local relay could carry (SOCKS5 or credentials, on Windows) is passed over: the
        // guard makes its choice the system proxy itself.
        if (!dead_.count(proxy.endpoint.text()) && !systemproxy::needsRelay(proxy))
            return std::move(proxy);
    }
    return std::nullopt;
}

} // namespace vorin
