// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// Making the selected proxy the system proxy, and switching the system proxy off.
#include "app/frmvrdl.h"
#include "platform/download.h"
#include "platform/gbk.h"
#include "platform/hostport.h"
#include "platform/registry.h"
#include "platform/texts.h"
#include "system/systemproxy.h"

namespace vorin {

std::string Tfrmvrdl::getproxy()
{
    return systemproxy::read();
}

void Tfrmvrdl::setprocessproxy(const std::optional<ProxyEntry>& proxy)
{
    download::setProcessProxy(proxy.value_or(ProxyEntry{}));
    view_.setApplicationProxy(proxy.value_or(ProxyEntry{}));
}

void Tfrmvrdl::startproxy(const std::string& hostPort)
{
    startproxy(ProxyEntry{HostPort::parse(hostPort), {}, {}});
}

void Tfrmvrdl::startproxy(const ProxyEntry& proxy)
{
    const systemproxy::Outcome done = systemproxy::enable(proxy);
    clock_.sleep(100);
    setprocessproxy(proxy);
    clock_.sleep(100);
    // The desktop's programs read their settings when these change; there is nothing more to refresh.
    clock_.sleep(100);
    midshowinfo(texts().currentProxy + systemproxy::nameOf(proxy));
    const Texts& t = texts();
    if (!done.result)
        showinfo(t.proxyNotAllSet + gbk::fromUtf8(done.result.message));
    else if (done.credentialsDropped)
        showinfo(t.desktopNoCredentials);
}

void Tfrmvrdl::startrelayproxy(const ProxyEntry& first)
{
    std::string why;
    const bool alone = !userelay && systemproxy::needsRelay(first);
    if (!relay_.start(static_cast<std::uint16_t>(relayport), relay::Rotate::Fastest,
                      alone ? std::vector<ProxyEntry>{first} : workingProxies(table_), first, why)) {
        showinfo(texts().relayCannotStart + gbk::fromUtf8(why));
        return;
    }
    pointatrelay();
    midshowinfo(texts().relayUsing + first.endpoint.text());
    if (alone)
        showinfo(texts().relayForSystem + first.endpoint.text());
}

void Tfrmvrdl::pointatrelay()
{
    const HostPort at{"127.0.0.1", std::to_string(relay_.port())};
    startproxy(ProxyEntry{at, {}, {}});
    // Remembered, so that a start after a crash finds the desktop pointing at a relay no longer there.
    (void)systemproxy::markRelay(at);
}

void Tfrmvrdl::stopproxy()
{
    const systemproxy::Outcome done = systemproxy::disable();
    if (relay_.running()) {
        relay_.stop(); // after the desktop has its settings back: it never points at nothing
        (void)systemproxy::markRelay(std::nullopt);
    }
    clock_.sleep(100);
    setprocessproxy(std::nullopt);
    clock_.sleep(100);
    midshowinfo(texts().proxyDisabled);
    if (!done.result)
        showinfo(texts().proxyNotRestored + gbk::fromUtf8(done.result.message));
}

void Tfrmvrdl::btnsetproxyExecute()
{
    // The row is read from the table, which holds its verdict: the grid only shows it.
    const int r = grid_.selectedRow();
    const ProxyRecord* row = r < 1 || grid_.blank() ? nullptr : table_.at(static_cast<std::size_t>(r));
    if (!row)
        return;
    const std::string ip = row->text(Field::Ip);
    const ProxyEntry proxy = proxyOf(*row);
    if (ip.empty() || proxy.endpoint.port.empty())
        return;
    // A row that names no proxy (a port with letters, a host with blanks) is refused like a failed one:
    // its text would reach the store, the desktops and the shells as it is.
    if (row->mark == CheckMark::Failed || !proxy.endpoint.valid()) {
        view_.messageBox(texts().invalidProxy);
        return;
    }
    if (userelay || systemproxy::needsRelay(proxy))
        startrelayproxy(proxy);
    else
        startproxy(proxy);
}

void Tfrmvrdl::btnstopproxyExecute()
{
    stopproxy();
}

void Tfrmvrdl::guardtick()
{
    // While the relay runs its own health checks take the guard's place.
    if (relay_.running()) {
        relay_.tick();
        relayrefill();
    } else {
        guard_.tick();
    }
}

void Tfrmvrdl::relayrefill()
{
    if (!userelay || !coordinator_)
        return;
    const Texts& t = texts();
    if (refilling_) {
        // Over once the harvest has ended and the run it started (if it found anything) has too.
        if (busy || starting_ || coordinator_->threadcount > 0 || (run_ && !run_->checkdone()))
            return;
        refilling_ = false;
        relay_.refillEnds(workingProxies(table_));
        showinfo(t.relayPrefix + t.relayRefilled + std::to_string(relay_.upstreams()) + t.relayRefilledEnd);
        return;
    }
    if (busy || importing_ || starting_ || !relay_.refillDue(static_cast<std::size_t>(relayfloor)))
        return;
    refilling_ = true;
    showinfo(t.relayPrefix + t.relayRefilling + std::to_string(relay_.healthy()) + t.relayRefillingEnd);
    relay_.refillBegins();
    btndownproxyExecute();
}

void Tfrmvrdl::relayleftover()
{
    if (relay_.running())
        return;
    // The program ended while the desktop pointed at its relay: the desktop gets its earlier settings back.
    const systemproxy::Repair repair = systemproxy::repairLeftoverRelay();
    if (!repair.found)
        return;
    setprocessproxy(std::nullopt);
    midshowinfo(texts().proxyDisabled);
    if (!repair.outcome.result)
        showinfo(texts().proxyNotRestored + gbk::fromUtf8(repair.outcome.result.message));
    else
        showinfo(texts().relayLeftover);
}

} // namespace vorin
