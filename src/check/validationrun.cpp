// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "check/validationrun.h"

#include "platform/gbk.h"
#include "platform/hostport.h"
#include "platform/idioms.h"
#include "platform/texts.h"

#include <algorithm>
#include <chrono>

namespace vorin {

ValidationRun::ValidationRun(ProxyTable& table, FetchEngine& engine, Dispatcher& dispatcher, Clock& clock,
                             Host& host, std::vector<Judge> judges, Pacing pacing, ProtocolSet protocols)
    : table_(table)
    , engine_(engine)
    , dispatcher_(dispatcher)
    , clock_(clock)
    , host_(host)
    , pacing_(pacing)
    , protocols_(protocols != 0 ? protocols : bit(Protocol::Http))
{
    pool_.resize(judges.size());
    for (std::size_t i = 0; i < judges.size(); ++i)
        pool_[i].judge = std::move(judges[i]);
    if (pacing_.parallel > 0) {
        const int cap = descriptorCap();
        limit_ = std::min(pacing_.parallel, cap);
        capped_ = pacing_.parallel > cap;
    }
}

int ValidationRun::descriptorCap()
{
    // Each check holds a socket, and while it resolves a judge's name two descriptors more; a reserve is
    // kept for the window, its files and the engine's own.
    const std::size_t fds = FetchEngine::descriptorLimit();
    const std::size_t reserve = 64 + fds / 8;
    const std::size_t room = fds > reserve + 16 ? fds - reserve : 16;
    return static_cast<int>(std::min<std::size_t>(room, 1u << 30));
}

ValidationRun::~ValidationRun()
{
    checkers_.clear(); // cancels outstanding checks while their engine still runs
    for (PoolJudge& j : pool_)
        j.ask.reset();
}

const std::string& ValidationRun::selfAddress() const
{
    static const std::string none;
    return pool_.empty() ? none : pool_[current_].self;
}

const Judge& ValidationRun::judgeInUse() const
{
    static const Judge none;
    return pool_.empty() ? none : pool_[current_].judge;
}

void ValidationRun::start()
{
    auto keep = shared_from_this();
    host_.showinfo(texts().checkStarting);
    if (!cancelled_)
        vailproxy();
}

ProtocolSet ValidationRun::protocolsOf(const ProxyRecord& row) const
{
    return row.entryProtocol != 0 ? row.entryProtocol : protocols_;
}

void ValidationRun::askJudge(std::size_t i)
{
    PoolJudge& j = pool_[i];
    // The checker of the last ask goes only once its own completion has returned: that completion may be
    // what asks again.
    auto ask = TKeloInetChecker::directAsk(engine_, dispatcher_, j.judge);
    ask->OnComplete = [this, i](TKeloInetChecker*, bool connected) { askDone(i, connected); };
    std::swap(j.ask, ask);
    if (ask)
        dispatcher_.post([old = std::shared_ptr<TKeloInetChecker>(std::move(ask))] {});
    if (!j.ask->Start())
        askDone(i, false);
}

void ValidationRun::askDone(std::size_t i, bool answered)
{
    auto keep = shared_from_this();
    PoolJudge& j = pool_[i];
    const TKeloInetChecker& ask = *j.ask;
    // An ask this machine could not make (no descriptor left in a crowded run) says nothing of the judge:
    // it is made again shortly, as a check would be. While checks are in flight they hold the descriptors
    // and will give them back, so only the failures with none in flight are counted against the bound.
    const bool checksHoldDescriptors = progress_.started > progress_.completed;
    if (!answered && ask.localFailure() && !checkdone_ &&
        (checksHoldDescriptors || ++j.localFailures < kMostLocalFailures)) {
        dispatcher_.post([weak = weak_from_this(), i] {
            auto self = weak.lock();
            if (!self || self->checkdone_)
                return;
            self->clock_.sleep(50);
            self->askJudge(i);
        });
        return;
    }
    if (answered && j.state == PoolJudge::State::Asking && j.judge.rule == Judge::Rule::Echo &&
        j.self.empty()) {
        j.self = ask.facts().exitIp;
        j.headers = ask.facts().headerKeys;
        if (!j.self.empty()) {
            askOtherFamily(i);
            return;
        }
    }
    asked(i, answered);
}

void ValidationRun::askOtherFamily(std::size_t i)
{
    PoolJudge& j = pool_[i];
    j.otherFamily = TKeloInetChecker::directAsk(engine_, dispatcher_, j.judge);
    TKeloInetChecker& other = *j.otherFamily;
    other.IpFamily = j.self.find(':') != std::string::npos ? FetchEngine::Request::Family::V4
                                                           : FetchEngine::Request::Family::V6;
    other.OnComplete = [this, i](TKeloInetChecker* sender, bool connected) {
        PoolJudge& judge = pool_[i];
        if (connected && !sender->facts().exitIp.empty() && sender->facts().exitIp != judge.self)
            judge.self += "," + sender->facts().exitIp;
        // The checker goes once its own completion has returned.
        dispatcher_.post([old = std::shared_ptr<TKeloInetChecker>(std::move(judge.otherFamily))] {});
        asked(i, true);
    };
    if (!other.Start())
        other.OnComplete(&other, false);
}

void ValidationRun::asked(std::size_t i, bool answered)
{
    auto keep = shared_from_this();
    PoolJudge& j = pool_[i];
    const TKeloInetChecker& ask = *j.ask;
    if (answered) {
        if (j.state != PoolJudge::State::Silent)
            j.state = PoolJudge::State::Answering;
    } else {
        j.state = PoolJudge::State::Silent;
        const Texts& t = texts();
        j.why = ask.status().empty()    ? t.judgeSilent
                : ask.status() != "200" ? t.judgeStatus + ask.status()
                                        : t.judgeNotJudge;
    }
    if (i != current_ || !asking_ || checkdone_)
        return; // an ask before the run, or of a judge no longer in use
    asking_ = false;
    if (answered)
        judgeAnswered(askSeq_);
    else
        judgeSilent();
}

std::size_t ValidationRun::nextAnswering(std::size_t from) const
{
    while (from < pool_.size() && pool_[from].state == PoolJudge::State::Silent)
        ++from;
    return from;
}

bool ValidationRun::chooseJudge()
{
    for (std::size_t i = 0; i < pool_.size(); ++i)
        askJudge(i);
    // The first judge in order that answers is the run's; the answers of those after it still come in
    // meanwhile, and the next that answered takes over should it fall silent.
    for (;;) {
        current_ = nextAnswering(0);
        if (current_ == pool_.size()) {
            current_ = 0;
            return false;
        }
        if (pool_[current_].state == PoolJudge::State::Answering || stopcheck_)
            return true;
        dispatcher_.waitMessages(std::chrono::milliseconds(200));
    }
}

void ValidationRun::judgeAnswered(std::uint64_t seq)
{
    answeredSeq_ = std::max(answeredSeq_, seq);
    // Failures of checks started by then are verdicts now; the others wait for a later ask.
    std::vector<std::size_t> waiting;
    waiting.swap(held_);
    for (std::size_t slot : waiting) {
        if (checkdone_)
            return;
        if (!checkers_[slot])
            continue;
        if (slotSeq_[slot] < answeredSeq_) {
            auto finished = std::move(checkers_[slot]);
            finish(slot, false, *finished);
        } else {
            held_.push_back(slot);
        }
    }
    maybeAsk();
}

void ValidationRun::maybeAsk()
{
    if (asking_ || held_.empty() || checkdone_)
        return;
    // One ask answers for every failure held before it. After the first, the next waits for an interval,
    // a batch of failures, or the moment nothing else is left to come, so that a public judge is asked
    // about once in two seconds, not once for every dead proxy.
    const bool due = !askedInRun_ || clock_.tickCount() - lastAsk_ >= kAskGapMs;
    const bool many = held_.size() >= kHeldBatch;
    const bool last = startsDone_ && outstandingChecks() == 0;
    const bool blocking = !roomInFlight(); // held checks count in flight: the starts wait for them
    if (!due && !many && !last && !blocking && !stopcheck_)
        return;
    askedInRun_ = true;
    lastAsk_ = clock_.tickCount();
    asking_ = true;
    askSeq_ = ++seq_;
    askJudge(current_);
}

void ValidationRun::judgeSilent()
{
    const std::size_t silent = current_;
    const std::size_t next = nextAnswering(current_ + 1);
    if (next == pool_.size()) {
        endJudgesLost();
        return;
    }
    current_ = next;
    answeredSeq_ = 0;
    const Texts& t = texts();
    host_.showinfo(t.judgeSwitched + gbk::fromUtf8(pool_[silent].judge.url) + t.judgeSwitchedTo +
                   gbk::fromUtf8(pool_[current_].judge.url));
    if (checkdone_)
        return;
    std::vector<std::size_t> again;
    again.swap(held_);
    for (std::size_t slot : again)
        requeue(slot);
    restartRetries();
}

void ValidationRun::hold(std::size_t slot)
{
    held_.push_back(slot);
    maybeAsk();
}

void ValidationRun::requeue(std::size_t slot)
{
    // No longer in flight: it counts as started again when it is launched.
    --progress_.started;
    retry_.push_back(slot);
}

void ValidationRun::vailproxy()
{
    auto keep = shared_from_this();
    // The judges are asked before anything of the table changes: with none answering, the rows keep their
    // marks and nothing is deleted. An empty table needs no judge.
    table_.open();
    if (!table_.isEmpty() && (pool_.empty() || !chooseJudge()) && !stopcheck_) {
        endNoJudge();
        return;
    }
    if (cancelled_)
        return;
    // Stopped while no judge had answered yet: nothing was judged, so nothing is deleted.
    if (stopcheck_ && !table_.isEmpty() &&
        (current_ >= pool_.size() || pool_[current_].state != PoolJudge::State::Answering)) {
        endStoppedUnjudged();
        return;
    }
    // The rows are named by bookmark, in the order the grid shows them now. A position would name another
    // row as soon as one moves: under a sort on the speed every valid row moves when its speed is written,
    // and the list tools may sort or delete while the run goes on.
    table_.open();
    rows_.clear();
    found_.assign(1, RowChecks{});
    int planned = 0;
    for (bool more = table_.first(); more; more = table_.next()) {
        rows_.push_back(*table_.bookmark());
        // A mark of an earlier run is no verdict of this one, nor are its facts.
        table_.setMark(rows_.back(), CheckMark::None);
        table_.setFacts(rows_.back(), CheckFacts{});
        RowChecks row;
        for (Protocol p : kProtocols)
            row.pending += (protocolsOf(table_.current()) & bit(p)) != 0;
        row.unstarted = row.pending;
        planned += row.pending;
        found_.push_back(row);
    }
    host_.verdictShown();
    checkcount_ = planned;
    progress_.planned = planned;
    // The status line names the judge unless it is the built-in test page, whose run says what it always
    // said.
    // (A marker rule without a marker of its own is the built-in page's.)
    const Judge& judge = judgeInUse();
    const bool builtin = judge.rule == Judge::Rule::Marker && judge.marker.empty();
    const Texts& t = texts();
    host_.showinfo(builtin || rows_.empty()
                       ? t.checkRunning
                       : t.checkRunning + t.judgeInUse + gbk::fromUtf8(judge.url) + t.judgeInUseEnd);
    if (capped_)
        host_.showinfo(t.checkCapped + std::to_string(limit_) + t.checkCappedEnd);
    table_.open();
    for (std::size_t i = 1; i <= rows_.size() && !stopcheck_; ++i) {
        // The row is found again before every check: a completion handled in the last pause may have moved
        // the table's cursor, and the list tools may have deleted the row.
        for (Protocol p : kProtocols) {
            if (stopcheck_)
                break;
            if (!table_.gotoBookmark(rows_[i - 1])) {
                dropUnstarted(i);
                break;
            }
            if (protocolsOf(table_.current()) & bit(p))
                startCheck(i, p);
        }
    }
    startsDone_ = true;
    restartRetries();
    // A run that no completion is left to end (an empty table, checks that could not start, a stop after
    // every started check has reported) ends here instead of leaving the run open.
    if (!checkdone_ && (checkcount_ < 1 || (stopcheck_ && outstandingChecks() == 0)))
        endcheck();
    else
        maybeAsk();
}

void ValidationRun::startCheck(std::size_t row, Protocol protocol)
{
    // With a limit on checks in flight, the next start waits for a completion to free a place; checks
    // this machine could not make go first.
    for (;;) {
        restartRetries();
        if (stopcheck_ || roomInFlight())
            break;
        dispatcher_.waitMessages(std::chrono::milliseconds(200));
    }
    if (stopcheck_)
        return;
    if (!table_.gotoBookmark(rows_[row - 1])) {
        dropUnstarted(row); // deleted while waiting
        return;
    }
    --found_[row].unstarted;
    const std::size_t slot = checkers_.empty() ? 1 : checkers_.size();
    checkers_.resize(slot + 1);
    slotRow_.resize(slot + 1);
    slotProtocol_.resize(slot + 1);
    slotJudge_.resize(slot + 1);
    slotSeq_.resize(slot + 1);
    slotLocalFailures_.resize(slot + 1);
    slotRow_[slot] = row;
    slotProtocol_[slot] = protocol;
    checkers_[slot] = std::make_unique<TKeloInetChecker>(engine_, dispatcher_);
    launch(slot);
    if (pacing_.pause > 0)
        clock_.sleep(static_cast<std::uint32_t>(pacing_.pause));
    dispatcher_.processMessages();
}

void ValidationRun::launch(std::size_t slot)
{
    const std::size_t row = slotRow_[slot];
    TKeloInetChecker& c = *checkers_[slot];
    c.AccessType = TAccessType::atProxy;
    slotJudge_[slot] = current_;
    slotSeq_[slot] = ++seq_;
    if (!pool_.empty()) {
        c.setJudge(pool_[current_].judge);
        c.SelfAddress = pool_[current_].self;
        c.JudgeHeaders = pool_[current_].headers;
    }
    c.Kind = slotProtocol_[slot];
    c.Credentials = std::string(table_.current().credentials());
    c.Proxy = HostPort::trimmed(table_.text(Field::Ip), table_.text(Field::Port)).text();
    c.UserAgent = "Internet Explorer 7.0";
    c.Tag = static_cast<int>(slot);
    c.OnComplete = [this](TKeloInetChecker* sender, bool connected) { mycomplete(sender, connected); };
    c.timeout = 2500;
    c.starttime = static_cast<std::int32_t>(clock_.tickCount());
    if (c.Start()) {
        ++progress_.started;
    } else {
        --checkcount_;
        --found_[row].pending;
        checkers_[slot].reset();
    }
}

void ValidationRun::restartRetries()
{
    while (!retry_.empty() && !stopcheck_ && roomInFlight()) {
        const std::size_t slot = retry_.front();
        retry_.pop_front();
        const std::size_t row = slotRow_[slot];
        if (table_.gotoBookmark(rows_[row - 1])) {
            launch(slot);
            continue;
        }
        // The row was deleted meanwhile: its check is counted off.
        checkers_[slot].reset();
        --checkcount_;
        --found_[row].pending;
    }
    if (!checkdone_ && checkcount_ < 1 && outstandingChecks() == 0) {
        endcheck();
        return;
    }
    scheduleRetry();
}

void ValidationRun::scheduleRetry()
{
    // Held failures are no checks in flight: they wait for the judge, not for the network.
    if (checkdone_ || retry_.empty() || outstandingChecks() > 0 || retryPosted_)
        return;
    // Nothing is in flight to free a descriptor and say when to try again: the run tries again shortly
    // (or ends, stopped, or counted off to nothing).
    retryPosted_ = true;
    dispatcher_.post([weak = weak_from_this()] {
        auto self = weak.lock();
        if (!self || self->checkdone_)
            return;
        self->retryPosted_ = false;
        if (self->stopcheck_ || self->checkcount_ < 1) {
            if (self->outstandingChecks() == 0)
                self->endcheck();
            return;
        }
        self->clock_.sleep(50);
        self->restartRetries();
    });
}

void ValidationRun::dropUnstarted(std::size_t row)
{
    // Checks already out still complete and count themselves off; only those never started are dropped.
    RowChecks& r = found_[row];
    checkcount_ -= r.unstarted;
    r.pending -= r.unstarted;
    r.unstarted = 0;
}

void ValidationRun::mycomplete(TKeloInetChecker* sender, bool connected)
{
    auto keep = shared_from_this();
    const int s = sender->Tag;
    // The slot is emptied once the completion has been handled; the checker is not used after this.
    std::unique_ptr<TKeloInetChecker> finished;
    if (s >= 0 && static_cast<std::size_t>(s) < checkers_.size() &&
        checkers_[static_cast<std::size_t>(s)].get() == sender)
        finished = std::move(checkers_[static_cast<std::size_t>(s)]);
    if (checkdone_) {
        stopcheck_ = true;
        return;
    }
    const std::size_t failedSlot = static_cast<std::size_t>(s);
    if (finished && finished->localFailure() && !stopcheck_ &&
        ++slotLocalFailures_[failedSlot] >= kMostLocalFailures) {
        // The same check failed on this machine again and again (an IPv6 proxy where this machine has no
        // IPv6 address): this machine cannot make it, which says nothing of the proxy. The check ends
        // without a verdict and the row stays, unjudged, unless another of its checks passes.
        unjudged(failedSlot);
        return;
    }
    if (finished && finished->localFailure() && !stopcheck_) {
        // This machine had no descriptor or port for it: no verdict on the proxy. The check is made again
        // once a place is free, and no more are kept in flight than the machine held just now.
        --progress_.started;
        ++progress_.retried;
        const int inFlight = progress_.started - progress_.completed;
        limit_ = std::max(8, limit_ == 0 ? inFlight : std::min(limit_, inFlight));
        checkers_[static_cast<std::size_t>(s)] = std::move(finished);
        retry_.push_back(static_cast<std::size_t>(s));
        // Started again at the next completion, or shortly when none is left to come; at once it would
        // only fail again. Failures held for the judge are asked about now if nothing else is to come.
        scheduleRetry();
        maybeAsk();
        return;
    }
    if (!finished) {
        --checkcount_;
        ++progress_.completed;
        if (checkcount_ < 1 || stopcheck_)
            endcheck();
        else
            restartRetries();
        return;
    }
    const std::size_t slot = static_cast<std::size_t>(s);
    if (!stopcheck_ && !pool_.empty()) {
        if (slotJudge_[slot] != current_) {
            // Its judge has been replaced since: a pass through it still counts, a failure is no verdict.
            if (!connected) {
                checkers_[slot] = std::move(finished);
                requeue(slot);
                restartRetries();
                maybeAsk();
                return;
            }
        } else if (connected) {
            judgeAnswered(slotSeq_[slot]);
            if (checkdone_)
                return;
        } else {
            // A failure counts only once the judge has answered a request sent after it arrived.
            slotSeq_[slot] = ++seq_;
            checkers_[slot] = std::move(finished);
            hold(slot);
            return;
        }
    }
    finish(slot, connected, *finished);
}

void ValidationRun::unjudged(std::size_t slot)
{
    --checkcount_;
    ++progress_.completed;
    const std::size_t r = slotRow_[slot];
    if (r >= 1 && r <= rows_.size()) {
        RowChecks& row = found_[r];
        --row.pending;
        row.unjudged = true;
    }
    if (checkcount_ < 1 || stopcheck_)
        endcheck();
    else
        restartRetries();
    maybeAsk();
}

void ValidationRun::finish(std::size_t slot, bool connected, const TKeloInetChecker& check)
{
    --checkcount_;
    ++progress_.completed;
    record(slotRow_[slot], slotProtocol_[slot], connected, check);
    if (checkcount_ < 1 || stopcheck_)
        endcheck();
    else
        restartRetries();
    maybeAsk();
}

namespace {

// The less anonymous of two findings; an unknown one gives way to a known one.
Anonymity leastAnonymous(Anonymity a, Anonymity b)
{
    if (a == Anonymity::Unknown)
        return b;
    if (b == Anonymity::Unknown)
        return a;
    return std::min(a, b);
}

} // namespace

void ValidationRun::record(std::size_t r, Protocol protocol, bool connected, const TKeloInetChecker& check)
{
    if (r < 1 || r > rows_.size())
        return;
    RowChecks& row = found_[r];
    --row.pending;
    const ProxyTable::Bookmark mark = rows_[r - 1];
    table_.open();
    if (connected) {
        const std::uint32_t elapsed = clock_.tickCount() - static_cast<std::uint32_t>(check.starttime);
        const bool fastest = !row.valid || elapsed < row.best;
        if (!row.valid)
            ++progress_.valid;
        row.valid = true;
        row.facts.passed |= bit(protocol);
        row.facts.anonymity = leastAnonymous(row.facts.anonymity, check.facts().anonymity);
        if (fastest) {
            row.best = elapsed;
            if (!check.facts().exitIp.empty())
                row.facts.exitIp = check.facts().exitIp;
        }
        if (table_.setMark(mark, CheckMark::Valid) && table_.setFacts(mark, row.facts) && fastest &&
            table_.gotoBookmark(mark)) {
            const bool bare = table_.current().entryProtocol == 0;
            table_.edit();
            table_.setBoolean(Field::Valid, true);
            table_.setText(Field::Speed, std::to_string(elapsed));
            // Checked in protocols the user chose, a bare entry's protocol is the fastest that passed.
            if (bare && protocols_ != bit(Protocol::Http))
                table_.setText(Field::Protocol, idioms::UpperCase(protocolName(protocol)));
            table_.post();
        }
    } else if (row.pending == 0 && !row.valid && !row.unjudged) {
        // The row is dead now, whatever an earlier run found: "验证" goes false, so that neither the purge
        // nor a saved list keeps it as valid.
        if (table_.setMark(mark, CheckMark::Failed) && table_.gotoBookmark(mark) &&
            table_.current().boolean(Field::Valid)) {
            table_.edit();
            table_.setBoolean(Field::Valid, false);
            table_.post();
        }
    }
    verdictShown();
}

void ValidationRun::verdictShown()
{
    if (fast())
        changed_ = true;
    else
        host_.verdictShown();
}

void ValidationRun::endcheck()
{
    // Flags first: the status text below processes pending messages, and a completion handled there must
    // find the run ended.
    stopcheck_ = true;
    checkdone_ = true;
    host_.showinfo(texts().checkEnded);
    host_.runEnding();
    table_.open();
    // Rows this machine could not check stay, without a mark: nothing was found against them.
    std::vector<ProxyTable::Bookmark> kept;
    for (std::size_t r = 1; r < found_.size(); ++r) {
        if (found_[r].unjudged && !found_[r].valid)
            kept.push_back(rows_[r - 1]);
    }
    std::sort(kept.begin(), kept.end());
    table_.sortOn(Field::Valid);
    for (bool more = table_.first(); more && !table_.isEmpty() && !table_.boolean(Field::Valid);) {
        if (std::binary_search(kept.begin(), kept.end(), *table_.bookmark())) {
            const std::size_t at = table_.recNo();
            more = table_.next() && table_.recNo() != at;
        } else {
            table_.deleteCurrent(); // the next row becomes current
            more = !table_.isEmpty();
        }
    }
    std::size_t unjudgedKept = 0;
    for (const ProxyTable::Bookmark mark : kept)
        unjudgedKept += table_.gotoBookmark(mark) ? 1 : 0;
    if (table_.isEmpty())
        host_.showingrid(); // an empty result shows an empty grid, not the rows of the run
    else
        host_.sorttable(fieldName(Field::Speed));
    dispatcher_.processMessages();
    const Texts& t = texts();
    host_.showinfo(t.summaryPrefix + std::to_string(table_.rowCount() - unjudgedKept) + t.summarySuffix);
    if (unjudgedKept > 0)
        host_.showinfo(t.checkUnjudgedLocal + std::to_string(unjudgedKept) + t.checkUnjudgedLocalEnd);
    host_.runEnded();
}

void ValidationRun::endJudgesLost()
{
    if (checkdone_)
        return;
    stopcheck_ = true;
    checkdone_ = true;
    outcome_ = Outcome::JudgesLost;
    checkers_.clear(); // their answers could not be judged either
    held_.clear();
    retry_.clear();
    host_.showinfo(texts().checkEnded);
    host_.runEnding();
    // Only the rows this run found failed go; the others keep what they had, and no mark.
    std::size_t unjudged = 0;
    table_.open();
    for (const ProxyTable::Bookmark mark : rows_) {
        if (!table_.gotoBookmark(mark))
            continue;
        const ProxyRecord& row = table_.current();
        if (row.mark == CheckMark::Failed && !row.boolean(Field::Valid))
            table_.deleteCurrent();
        else if (row.mark == CheckMark::None)
            ++unjudged;
    }
    if (table_.isEmpty())
        host_.showingrid();
    else
        host_.sorttable(fieldName(Field::Speed));
    dispatcher_.processMessages();
    const Texts& t = texts();
    host_.showinfo(t.judgesLost + std::to_string(progress_.valid) + t.judgesLostMid +
                   std::to_string(unjudged) + t.judgesLostEnd);
    host_.runEnded();
}

void ValidationRun::endStoppedUnjudged()
{
    checkdone_ = true;
    host_.showinfo(texts().checkEnded);
    host_.runEnding();
    host_.showingrid();
    dispatcher_.processMessages();
    host_.showinfo(texts().summaryPrefix + std::to_string(table_.rowCount()) + texts().summarySuffix);
    host_.runEnded();
}

void ValidationRun::endNoJudge()
{
    stopcheck_ = true;
    checkdone_ = true;
    outcome_ = Outcome::NoJudge;
    const Texts& t = texts();
    // Short enough for the status line: the first judge's site and what it did, and how many there were.
    std::string why = t.judgesEmpty;
    if (!pool_.empty()) {
        const std::string& url = pool_[0].judge.url;
        const std::string site = url.substr(url.find("://") + 3);
        why = gbk::fromUtf8(site.substr(0, site.find_first_of("/?#"))) + " " + pool_[0].why;
        if (pool_.size() > 1)
            why += t.judgesAllOf + std::to_string(pool_.size()) + t.judgesAllOfEnd;
    }
    host_.showinfo(t.judgesNone + t.fullColon + why);
    host_.runEnding();
    host_.runEnded();
}

void ValidationRun::stop()
{
    stopcheck_ = true;
    // With every row started and nothing in flight (failures held for the judge, checks waiting for a
    // retry), no completion will come to end the run: it ends now, after the caller has returned.
    if (!startsDone_ || checkdone_ || outstandingChecks() > 0)
        return;
    dispatcher_.post([weak = weak_from_this()] {
        auto self = weak.lock();
        if (self && !self->checkdone_ && self->outstandingChecks() == 0)
            self->endcheck();
    });
}

void ValidationRun::cancel()
{
    if (checkdone_)
        return;
    cancelled_ = true;
    stopcheck_ = true;
    checkdone_ = true;
    checkers_.clear();
}

std::size_t ValidationRun::outstandingChecks() const
{
    std::size_t n = 0;
    for (const auto& c : checkers_)
        n += c && c->running();
    return n;
}

} // namespace vorin
