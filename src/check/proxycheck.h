// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "check/checkpolicy.h"
#include "platform/hostport.h"

#include <functional>
#include <memory>
#include <vector>

namespace vorin {

// One proxy judged through a pool under the check policy (checkpolicy.h), for the proxy guard and the
// local relay's health checks. The judges are tried in the pool's order from first on, wrapping round,
// each once: a pass is a verdict at once; after a failure the judge is asked directly, and only when it
// answers does the failure count, unless what came back through the proxy was the judge's own refusal,
// when the next judge checks the proxy; a silent judge also gives way to the next. With no judge left
// there is no verdict. A CONNECT proxy goes to the judges over TLS when the pool has any. Main thread; done
// comes through the dispatcher, once, and may destroy the check.
class ProxyCheck {
public:
    enum class Verdict {
        Passed,
        Failed,
        Unjudged, // every judge was silent or refused the proxy
        Local,    // this machine could not make the check
    };
    struct Result {
        Verdict verdict = Verdict::Unjudged;
        std::size_t judge = 0; // the judge that gave the verdict (or the last one tried)
        bool refused = false;  // Unjudged: a judge refused the proxy (else they were all silent)
    };
    using Done = std::function<void(const Result&)>;

    ProxyCheck(FetchEngine& engine, Dispatcher& dispatcher, std::vector<Judge> judges, ProxyEntry proxy,
               std::size_t first, Done done);
    ~ProxyCheck();
    ProxyCheck(const ProxyCheck&) = delete;
    ProxyCheck& operator=(const ProxyCheck&) = delete;

    // Starts the check; done follows (never from inside start()).
    void start();

private:
    void check();
    void completed(bool connected);
    void asked(bool answered);
    // The judge in use gave way: the next one checks, or the check ends without a verdict.
    void nextJudge();
    void end(Verdict verdict);
    // end(verdict) from the dispatcher, unless the check is gone by then.
    void later(Verdict verdict);
    // Keeps the checker alive until its own completion has returned.
    void retire(std::unique_ptr<TKeloInetChecker>& checker);

    FetchEngine& engine_;
    Dispatcher& dispatcher_;
    JudgePool pool_;
    ProxyEntry proxy_;
    Done done_;
    std::size_t judge_ = 0;
    std::size_t tried_ = 0; // judges tried so far
    bool refused_ = false;
    std::unique_ptr<TKeloInetChecker> checker_;
    std::unique_ptr<TKeloInetChecker> asker_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace vorin
