// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "check/validationrun.h"

#include "platform/hostport.h"
#include "platform/idioms.h"
#include "platform/texts.h"

#include <algorithm>
#include <chrono>

namespace vorin {

ValidationRun::ValidationRun(ProxyTable& table, FetchEngine& engine, Dispatcher& dispatcher, Clock& clock,
                             Host& host, Judge judge, Pacing pacing, ProtocolSet protocols)
    : table_(table)
    , engine_(engine)
    , dispatcher_(dispatcher)
    , clock_(clock)
    , host_(host)
    , judge_(std::move(judge))
    , pacing_(pacing)
    , protocols_(protocols != 0 ? protocols : bit(Protocol::Http))
{
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

void ValidationRun::probeSelf()
{
    TKeloInetChecker probe(engine_, dispatcher_);
    probe.AccessType = TAccessType::atDirectConnect;
    probe.Url = judge_.url;
    probe.Echo = true;
    probe.UserAgent = "Internet Explorer 7.0";
    bool answered = false;
    probe.OnComplete = [&](TKeloInetChecker* sender, bool connected) {
        answered = true;
        if (connected) {
            self_ = sender->facts().exitIp;
            judgeHeaders_ = sender->facts().headerKeys;
        }
    };
    if (probe.Start()) {
        while (!answered && !stopcheck_)
            dispatcher_.waitMessages(std::chrono::milliseconds(200));
    }
}

void ValidationRun::vailproxy()
{
    auto keep = shared_from_this();
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
    host_.showinfo(texts().checkRunning);
    if (capped_)
        host_.showinfo(texts().checkCapped + std::to_string(limit_) + texts().checkCappedEnd);
    if (judge_.rule == Judge::Rule::Echo && !rows_.empty())
        probeSelf(); // a stop meanwhile ends the run below, with no check started
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
    restartRetries();
    // A run that no completion is left to end (an empty table, checks that could not start, a stop after
    // every started check has reported) ends here instead of leaving the run open.
    if (!checkdone_ && (checkcount_ < 1 || (stopcheck_ && outstandingChecks() == 0)))
        endcheck();
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
    c.Url = judge_.url;
    c.Echo = judge_.rule == Judge::Rule::Echo;
    c.Marker = judge_.marker;
    c.MarkerBytes = judge_.markerBytes;
    c.Kind = slotProtocol_[slot];
    c.Credentials = std::string(table_.current().credentials());
    c.SelfAddress = self_;
    c.JudgeHeaders = judgeHeaders_;
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
    if (checkdone_ || retry_.empty() || progress_.started > progress_.completed || retryPosted_)
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
        // only fail again.
        scheduleRetry();
        return;
    }
    --checkcount_;
    ++progress_.completed;
    if (finished)
        record(slotRow_[static_cast<std::size_t>(s)], slotProtocol_[static_cast<std::size_t>(s)], connected,
               *finished);
    if (checkcount_ < 1 || stopcheck_)
        endcheck();
    else
        restartRetries();
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
    } else if (row.pending == 0 && !row.valid) {
        // A failure leaves the row's fields alone: "验证" and "速度" of an earlier run stay.
        table_.setMark(mark, CheckMark::Failed);
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
    table_.sortOn(Field::Valid);
    table_.first();
    while (!table_.isEmpty() && !table_.boolean(Field::Valid))
        table_.deleteCurrent();
    if (table_.isEmpty())
        host_.showingrid(); // an empty result shows an empty grid, not the rows of the run
    else
        host_.sorttable(fieldName(Field::Speed));
    dispatcher_.processMessages();
    host_.showinfo(texts().summaryPrefix + std::to_string(table_.rowCount()) + texts().summarySuffix);
    host_.runEnded();
}

void ValidationRun::stop()
{
    stopcheck_ = true;
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
