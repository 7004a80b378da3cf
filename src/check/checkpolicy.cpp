// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "check/checkpolicy.h"

#include "platform/texts.h"
#include "platform/trim.h"

#include <algorithm>

namespace vorin {

CheckAnswer classifyCheck(bool passed, const TKeloInetChecker& check, std::string_view judgeServer)
{
    if (passed)
        return CheckAnswer::Passed;
    if (check.localFailure())
        return CheckAnswer::Local;
    const std::string& status = check.status();
    if (status.empty())
        return CheckAnswer::Failed;
    // Rate limits are the judges' (a proxy says 407 or 5xx of its own); other answers are the judge's
    // when they carry its Server header.
    const bool fromJudge =
        status == "429" || (!judgeServer.empty() && equalsNoCase(check.server(), judgeServer));
    if (!fromJudge)
        return CheckAnswer::Failed;
    // The judge's echo page of some other request is a proxy answering from a cache: the proxy's fault.
    if (status == "200" && check.echoPage())
        return CheckAnswer::Failed;
    return CheckAnswer::Refused;
}

JudgePool::JudgePool(std::vector<Judge> judges)
{
    entries_.resize(judges.size());
    for (std::size_t i = 0; i < judges.size(); ++i)
        entries_[i].judge = std::move(judges[i]);
}

void JudgePool::asked(std::size_t i, bool answered, const TKeloInetChecker& ask)
{
    Entry& e = entries_[i];
    if (answered) {
        if (!ask.server().empty())
            e.server = ask.server();
        if (e.state == State::Asking)
            e.state = State::Answering;
        return;
    }
    if (e.state == State::Refusing)
        return;
    e.state = State::Silent;
    const Texts& t = texts();
    e.why = ask.status().empty()    ? t.judgeSilent
            : ask.status() != "200" ? t.judgeStatus + ask.status()
                                    : t.judgeNotJudge;
}

bool JudgePool::refused(std::size_t i, const std::string& status)
{
    Entry& e = entries_[i];
    ++e.refusals;
    if (e.state == State::Silent || e.state == State::Refusing || e.passes > 0 ||
        e.refusals < kRefusalsToSetAside)
        return false;
    e.state = State::Refusing;
    e.why = texts().judgeStatus + status;
    return true;
}

bool JudgePool::usable(std::size_t i) const
{
    return i < entries_.size() && entries_[i].state != State::Silent && entries_[i].state != State::Refusing;
}

std::size_t JudgePool::nextUsable(std::size_t from) const
{
    while (from < entries_.size() && !usable(from))
        ++from;
    return std::min(from, entries_.size());
}

bool JudgePool::overTls(std::size_t i) const
{
    const std::string& url = entries_[i].judge.url;
    return url.size() > 8 && equalsNoCase(std::string_view(url).substr(0, 8), "https://");
}

std::size_t JudgePool::judgeFor(Protocol protocol, std::size_t from) const
{
    if (protocol == Protocol::Https) {
        for (std::size_t i = from; i < entries_.size(); ++i) {
            if (usable(i) && overTls(i))
                return i;
        }
    }
    return nextUsable(from);
}

bool JudgePool::anyRefusing() const
{
    return std::any_of(entries_.begin(), entries_.end(),
                       [](const Entry& e) { return e.state == State::Refusing; });
}

} // namespace vorin
