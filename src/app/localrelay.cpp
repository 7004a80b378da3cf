// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "app/localrelay.h"

#include "platform/texts.h"

#include <algorithm>

namespace vorin {

LocalRelay::LocalRelay(FetchEngine& engine, Dispatcher& dispatcher, Clock& clock, Host host)
    : engine_(engine)
    , dispatcher_(dispatcher)
    , clock_(clock)
    , host_(std::move(host))
{
}

LocalRelay::~LocalRelay()
{
    stop();
}

bool LocalRelay::start(std::uint16_t port, relay::Rotate rotate, std::vector<ProxyEntry> upstreams,
                       std::optional<ProxyEntry> first, std::string& why)
{
    if (!relay_) {
        std::weak_ptr<bool> alive = alive_;
        Dispatcher* dispatcher = &dispatcher_;
        relay::Options options;
        options.port = port;
        options.rotate = rotate;
        // A refill or a health check may bring upstreams back: a request waits for them a while.
        options.awaitUpstreams = std::chrono::seconds(10);
        // The relay's thread hands each event to the main thread; a keeper gone by then hears nothing.
        auto relay =
            std::make_unique<relay::Relay>(options, [this, alive, dispatcher](const relay::Event& e) {
                dispatcher->post([this, alive, e] {
                    if (alive.lock())
                        event(e);
                });
            });
        if (IoResult r = relay->start(); !r) {
            why = r.message;
            return false;
        }
        relay_ = std::move(relay);
        refill_ = {};
        refill_.next = clock_.tickCount() + 2000;
    }
    if (first) {
        upstreams.erase(std::remove(upstreams.begin(), upstreams.end(), *first), upstreams.end());
        upstreams.insert(upstreams.begin(), *first);
    }
    // The relay drops an upstream that is itself; what is counted here (the none-left test, the status lines)
    // is what it keeps.
    const std::uint16_t at = relay_->port();
    std::erase_if(upstreams, [at](const ProxyEntry& e) { return relay::namesRelay(e.endpoint, at); });
    upstreams_ = upstreams;
    due_.clear();
    benched_.clear();
    deadAfterCheck_.clear();
    saidNoneLeft_ = false;
    relay_->setUpstreams(std::move(upstreams));
    if (first)
        relay_->prefer(*first);
    return true;
}

void LocalRelay::stop()
{
    relay_.reset();                        // joins its thread: no event comes after this
    alive_ = std::make_shared<bool>(true); // and those it posted before find no relay of a later start
    due_.clear();
    checks_.clear();
    retired_.clear();
    benched_.clear();
    deadAfterCheck_.clear();
}

std::vector<ProxyEntry> LocalRelay::working() const
{
    std::vector<ProxyEntry> out;
    for (const ProxyEntry& e : upstreams_) {
        if (!benched_.count(e.endpoint.text()))
            out.push_back(e);
    }
    return out;
}

bool LocalRelay::refillDue(std::size_t floor) const
{
    return relay_ && healthy() < floor && static_cast<std::int32_t>(clock_.tickCount() - refill_.next) >= 0;
}

void LocalRelay::refillBegins()
{
    refill_.before = healthy();
    refill_.kept = working();
}

void LocalRelay::refillEnds(std::vector<ProxyEntry> found)
{
    for (const ProxyEntry& e : refill_.kept) {
        if (std::find(found.begin(), found.end(), e) == found.end())
            found.push_back(e);
    }
    const bool more = found.size() > refill_.before;
    std::string why;
    if (relay_ && !found.empty())
        (void)start(relay_->port(), relay::Rotate::Fastest, std::move(found), std::nullopt, why);
    refill_.gap = more ? 0u : std::clamp(refill_.gap * 2, 60000u, 600000u);
    refill_.next = clock_.tickCount() + std::max(refill_.gap, 5000u);
}

bool LocalRelay::noneLeft() const
{
    return relay_ && (upstreams_.empty() ||
                      (benched_.size() >= upstreams_.size() && deadAfterCheck_.size() >= upstreams_.size()));
}

void LocalRelay::event(const relay::Event& e)
{
    if (!relay_)
        return;
    const Texts& t = texts();
    switch (e.kind) {
    case relay::Event::Kind::Using:
        saidNoneLeft_ = false;
        if (host_.carrying)
            host_.carrying(e.to);
        break;
    case relay::Event::Kind::Failover:
        host_.say(t.relayPrefix + e.from.endpoint.text() + t.relayFailed +
                  (e.to.endpoint.empty() ? t.relayNoneLeft : t.relaySwitched + e.to.endpoint.text()));
        break;
    case relay::Event::Kind::Benched: {
        const std::string key = e.from.endpoint.text();
        benched_.insert(key);
        due_.erase(
            std::remove_if(due_.begin(), due_.end(), [&](const Due& d) { return d.upstream == e.from; }),
            due_.end());
        due_.push_back({e.from, clock_.tickCount() + static_cast<std::uint32_t>(e.backOff.count()) * 1000u});
        break;
    }
    case relay::Event::Kind::NoneLeft:
        if (!saidNoneLeft_)
            host_.say(t.relayPrefix + t.relayNoneLeft);
        saidNoneLeft_ = true;
        break;
    }
}

void LocalRelay::tick()
{
    retired_.clear();
    if (!relay_)
        return;
    const std::uint32_t now = clock_.tickCount();
    for (std::size_t i = 0; i < due_.size();) {
        if (static_cast<std::int32_t>(now - due_[i].at) >= 0) {
            const ProxyEntry upstream = due_[i].upstream;
            due_.erase(due_.begin() + static_cast<std::ptrdiff_t>(i));
            check(upstream);
        } else {
            ++i;
        }
    }
}

void LocalRelay::check(const ProxyEntry& upstream)
{
    std::vector<Judge> pool = host_.judges ? host_.judges() : std::vector<Judge>{};
    const std::string key = upstream.endpoint.text();
    if (pool.empty() || checks_.count(key)) {
        due_.push_back({upstream, clock_.tickCount() + 30000u}); // nothing can judge it now: later
        return;
    }
    auto c = std::make_unique<ProxyCheck>(
        engine_, dispatcher_, std::move(pool), upstream, 0,
        [this, upstream, key](const ProxyCheck::Result& r) {
            auto it = checks_.find(key);
            if (it != checks_.end()) {
                retired_.push_back(std::move(it->second)); // goes at the next tick, not inside its completion
                checks_.erase(it);
            }
            if (!relay_)
                return;
            switch (r.verdict) {
            case ProxyCheck::Verdict::Passed:
                benched_.erase(key);
                deadAfterCheck_.erase(key);
                relay_->revive(upstream);
                break;
            case ProxyCheck::Verdict::Failed:
                deadAfterCheck_.insert(key);
                relay_->stillDead(upstream); // benched again, for longer: a Benched event follows
                break;
            case ProxyCheck::Verdict::Unjudged:
            case ProxyCheck::Verdict::Local:
                due_.push_back({upstream, clock_.tickCount() + 30000u}); // no verdict: checked again later
                break;
            }
        });
    ProxyCheck& started = *c;
    checks_[key] = std::move(c);
    started.start();
}

} // namespace vorin
