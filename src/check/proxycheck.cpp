// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "check/proxycheck.h"

namespace vorin {

ProxyCheck::ProxyCheck(FetchEngine& engine, Dispatcher& dispatcher, std::vector<Judge> judges,
                       ProxyEntry proxy, std::size_t first, Done done)
    : engine_(engine)
    , dispatcher_(dispatcher)
    , pool_(std::move(judges))
    , proxy_(std::move(proxy))
    , done_(std::move(done))
    , judge_(pool_.empty() ? 0 : first % pool_.size())
{
    // A CONNECT proxy is checked through the judges over TLS when there are any (see JudgePool::judgeFor).
    if (kindOf(proxy_) == Protocol::Https) {
        std::vector<Judge> tls;
        for (std::size_t i = 0; i < pool_.size(); ++i) {
            if (pool_.overTls(i))
                tls.push_back(pool_[i].judge);
        }
        if (!tls.empty()) {
            pool_ = JudgePool(std::move(tls));
            judge_ = 0;
        }
    }
}

ProxyCheck::~ProxyCheck() = default;

void ProxyCheck::later(Verdict verdict)
{
    dispatcher_.post([alive = std::weak_ptr<bool>(alive_), this, verdict] {
        if (alive.lock())
            end(verdict);
    });
}

void ProxyCheck::retire(std::unique_ptr<TKeloInetChecker>& checker)
{
    if (checker) {
        checker->OnComplete = nullptr;
        dispatcher_.post([old = std::shared_ptr<TKeloInetChecker>(std::move(checker))] {});
    }
}

void ProxyCheck::start()
{
    if (pool_.empty()) {
        later(Verdict::Unjudged);
        return;
    }
    check();
}

void ProxyCheck::check()
{
    ++tried_;
    retire(checker_);
    checker_ = std::make_unique<TKeloInetChecker>(engine_, dispatcher_);
    TKeloInetChecker& c = *checker_;
    c.AccessType = TAccessType::atProxy;
    c.Proxy = proxy_.endpoint.text();
    c.Kind = kindOf(proxy_);
    c.Credentials = proxy_.credentials;
    c.setJudge(pool_[judge_].judge);
    c.UserAgent = "Internet Explorer 7.0";
    c.OnComplete = [this](TKeloInetChecker*, bool connected) { completed(connected); };
    if (!c.Start())
        later(Verdict::Local);
}

void ProxyCheck::completed(bool connected)
{
    if (connected) {
        end(Verdict::Passed);
        return;
    }
    if (checker_->localFailure()) {
        end(Verdict::Local);
        return;
    }
    // Whether the failure counts, and whether it was the judge's own refusal, is known once the judge has
    // answered a direct ask made after it.
    retire(asker_);
    asker_ = TKeloInetChecker::directAsk(engine_, dispatcher_, pool_[judge_].judge);
    asker_->OnComplete = [this](TKeloInetChecker*, bool answered) { asked(answered); };
    if (!asker_->Start())
        asked(false);
}

void ProxyCheck::asked(bool answered)
{
    pool_.asked(judge_, answered, *asker_);
    if (!answered) {
        nextJudge();
        return;
    }
    if (classifyCheck(false, *checker_, pool_[judge_].server) == CheckAnswer::Refused) {
        refused_ = true;
        nextJudge();
        return;
    }
    end(Verdict::Failed);
}

void ProxyCheck::nextJudge()
{
    if (tried_ >= pool_.size()) {
        end(Verdict::Unjudged);
        return;
    }
    judge_ = (judge_ + 1) % pool_.size();
    check();
}

void ProxyCheck::end(Verdict verdict)
{
    retire(checker_);
    retire(asker_);
    Result result;
    result.verdict = verdict;
    result.judge = judge_;
    result.refused = refused_;
    Done done = std::move(done_);
    done_ = nullptr;
    if (done)
        done(result); // may destroy this check
}

} // namespace vorin
