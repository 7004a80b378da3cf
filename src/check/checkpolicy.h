// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "check/KeloInetChecker.h"
#include "config/judge.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vorin {

// The one policy on what a check through a proxy proves, shared by validation runs, the proxy guard and
// the local relay's health checks.
//
// A judge is trusted only once it has answered a direct ask. A failure counts against the proxy only when
// the judge answered a request sent after it; a judge that is silent instead gives way to the next of the
// pool and the check is made again. An answer that came back through the proxy from the judge itself (a
// 429 or 403, a block page: any answer carrying the judge's own Server header that is not a pass) proves
// that the proxy relays: it is no failure of the proxy but a refusal by the judge, and the next judge
// checks the proxy. A judge that refuses several proxies and has passed none refuses proxies altogether
// and is set aside. With no judge left, nothing is a verdict.

// What one completed check says of its proxy.
enum class CheckAnswer {
    Passed,  // the judge's page came back through the proxy
    Failed,  // no answer, or one that is not the judge's (the proxy's error page, a cache)
    Refused, // the judge itself answered through the proxy, and refused
    Local,   // this machine could not make the check (no descriptor, port or route): no verdict
};
// judgeServer: the Server header of the judge's answer to a direct ask ("" when unknown or it sends none;
// then only a 429 tells a refusal).
CheckAnswer classifyCheck(bool passed, const TKeloInetChecker& check, std::string_view judgeServer);

// The judges of a pool and what a run (or one guarded proxy's check) has learnt of each.
class JudgePool {
public:
    enum class State {
        Asking,    // not yet known to answer
        Answering, // answered a direct ask
        Silent,    // did not: not used again
        Refusing,  // refuses requests through proxies: not used again
    };
    struct Entry {
        Judge judge;
        State state = State::Asking;
        std::string server; // the Server header of its direct answer
        std::string why;    // GBK: why it is silent, or what it answered proxies when it refused
        int passes = 0;     // proxies it passed
        int refusals = 0;   // answers through proxies it refused
    };
    // A judge with this many refusals and no pass refuses proxies altogether.
    static constexpr int kRefusalsToSetAside = 3;

    JudgePool() = default;
    explicit JudgePool(std::vector<Judge> judges);

    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    Entry& operator[](std::size_t i) { return entries_[i]; }
    const Entry& operator[](std::size_t i) const { return entries_[i]; }

    // A direct ask of judge i came back: answered (its Server kept) or not (why, from the ask's status).
    void asked(std::size_t i, bool answered, const TKeloInetChecker& ask);
    // Judge i passed a proxy.
    void passed(std::size_t i) { ++entries_[i].passes; }
    // Judge i refused a proxy (status: what it answered); true when this sets it aside as refusing.
    bool refused(std::size_t i, const std::string& status);
    // Whether judge i may judge checks: not silent, not refusing.
    bool usable(std::size_t i) const;
    // The first usable judge from index from on; size() when none.
    std::size_t nextUsable(std::size_t from) const;
    // The judge for a check in protocol from index from on. A CONNECT (HTTPS) check goes to the first usable
    // judge over TLS (https://): real CONNECT proxies tunnel to port 443 only. Other checks, and a CONNECT
    // check when no TLS judge is usable, go to nextUsable(from).
    std::size_t judgeFor(Protocol protocol, std::size_t from) const;
    // Whether judge i is reached over TLS.
    bool overTls(std::size_t i) const;
    // Whether a judge of the pool has been set aside as refusing proxies.
    bool anyRefusing() const;

private:
    std::vector<Entry> entries_;
};

} // namespace vorin
