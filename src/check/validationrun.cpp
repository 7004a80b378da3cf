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
    pool_ = JudgePool(std::move(judges));
    asks_.resize(pool_.size());
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
    slots_.clear(); // cancels outstanding checks while their engine still runs
    asks_.clear();
}

const std::string& ValidationRun::selfAddress() const
{
    static const std::string none;
    return asks_.empty() ? none : asks_[current_].self;
}

ValidationRun::Progress ValidationRun::progress() const
{
    Progress p;
    p.planned = static_cast<int>(slots_.size());
    p.completed = static_cast<int>(count(SlotState::Done) - dropped_);
    p.started = p.completed + static_cast<int>(count(SlotState::InFlight) + count(SlotState::Held));
    p.valid = valid_;
    p.retried = retried_;
    return p;
}

void ValidationRun::setState(std::size_t slot, SlotState state)
{
    Slot& s = slots_[slot];
    --counts_[static_cast<std::size_t>(s.state)];
    ++counts_[static_cast<std::size_t>(state)];
    s.state = state;
    if (state == SlotState::Done)
        s.checker.reset();
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
    JudgeAsks& a = asks_[i];
    auto ask = TKeloInetChecker::directAsk(engine_, dispatcher_, pool_[i].judge);
    ask->OnComplete = [weak = weak_from_this(), i](TKeloInetChecker*, bool connected) {
        if (auto self = weak.lock())
            self->askDone(i, connected);
    };
    std::swap(a.ask, ask);
    // The last ask hears nothing more (a late answer of it is no answer to this one); its checker goes only
    // once its own completion has returned: that completion may be what asks again.
    if (ask) {
        ask->OnComplete = nullptr;
        dispatcher_.post([old = std::shared_ptr<TKeloInetChecker>(std::move(ask))] {});
    }
    if (!a.ask->Start())
        askDone(i, false);
}

void ValidationRun::askDone(std::size_t i, bool answered)
{
    auto keep = shared_from_this();
    JudgeAsks& a = asks_[i];
    const TKeloInetChecker& ask = *a.ask;
    // An ask this machine could not make (no descriptor left in a crowded run) says nothing of the judge:
    // it is made again shortly, as a check would be. While checks are in flight they hold the descriptors
    // and will give them back, so only the failures with none in flight are counted against the bound.
    const bool checksHoldDescriptors = count(SlotState::InFlight) > 0;
    if (!answered && ask.localFailure() && !checkdone_ &&
        (checksHoldDescriptors || ++a.localFailures < kMostLocalFailures)) {
        dispatcher_.post([weak = weak_from_this(), i] {
            auto self = weak.lock();
            if (!self || self->checkdone_)
                return;
            self->clock_.sleep(50);
            self->askJudge(i);
        });
        return;
    }
    if (answered && pool_[i].state == JudgePool::State::Asking && pool_[i].judge.rule == Judge::Rule::Echo &&
        a.self.empty()) {
        a.self = ask.facts().exitIp;
        a.headers = ask.facts().headerKeys;
        if (!a.self.empty()) {
            pool_.asked(i, true, ask);
            pool_[i].state = JudgePool::State::Asking; // answered once; known after the other family
            askOtherFamily(i);
            return;
        }
    }
    pool_.asked(i, answered, ask);
    asked(i, answered);
}

void ValidationRun::askOtherFamily(std::size_t i)
{
    JudgeAsks& a = asks_[i];
    a.otherFamily = TKeloInetChecker::directAsk(engine_, dispatcher_, pool_[i].judge);
    TKeloInetChecker& other = *a.otherFamily;
    other.IpFamily = a.self.find(':') != std::string::npos ? FetchEngine::Request::Family::V4
                                                           : FetchEngine::Request::Family::V6;
    other.OnComplete = [weak = weak_from_this(), i](TKeloInetChecker* sender, bool connected) {
        auto self = weak.lock();
        if (!self)
            return;
        JudgeAsks& judge = self->asks_[i];
        if (connected && !sender->facts().exitIp.empty() && sender->facts().exitIp != judge.self)
            judge.self += "," + sender->facts().exitIp;
        // The checker goes once its own completion has returned.
        self->dispatcher_.post([old = std::shared_ptr<TKeloInetChecker>(std::move(judge.otherFamily))] {});
        if (self->pool_[i].state == JudgePool::State::Asking)
            self->pool_[i].state = JudgePool::State::Answering;
        self->asked(i, true);
    };
    if (!other.Start())
        other.OnComplete(&other, false);
}

void ValidationRun::asked(std::size_t i, bool answered)
{
    auto keep = shared_from_this();
    JudgeAsks& a = asks_[i];
    if (!a.asking || checkdone_)
        return; // an ask before the run
    a.asking = false;
    if (answered)
        judgeAnswered(i, a.askSeq);
    else
        judgeGone(i);
    settle(false);
}

bool ValidationRun::chooseJudge()
{
    for (std::size_t i = 0; i < pool_.size(); ++i)
        askJudge(i);
    // The first judge in order that answers is the run's; the answers of those after it still come in
    // meanwhile, and the next that answered takes over should it fall silent.
    for (;;) {
        current_ = pool_.nextUsable(0);
        if (current_ == pool_.size()) {
            current_ = 0;
            return false;
        }
        if (pool_[current_].state == JudgePool::State::Answering || stopcheck_)
            return true;
        dispatcher_.waitMessages(std::chrono::milliseconds(200));
    }
}

void ValidationRun::judgeAnswered(std::size_t j, std::uint64_t seq)
{
    JudgeAsks& a = asks_[j];
    a.answeredSeq = std::max(a.answeredSeq, seq);
    // Failures of checks started by then are verdicts now; the others wait for a later ask.
    std::vector<std::size_t> waiting;
    waiting.swap(a.held);
    for (std::size_t slot : waiting) {
        if (slots_[slot].state != SlotState::Held)
            continue;
        if (slots_[slot].seq < a.answeredSeq)
            finish(slot, false, 0, {});
        else
            a.held.push_back(slot);
    }
}

void ValidationRun::maybeAsk(std::size_t j)
{
    JudgeAsks& a = asks_[j];
    if (a.asking || a.held.empty() || checkdone_ || !pool_.usable(j))
        return;
    // One ask answers for every failure held before it. After the first, the next waits for an interval,
    // a batch of failures, or the moment nothing else is left to come, so that a public judge is asked
    // about once in two seconds, not once for every dead proxy.
    const bool due = !a.askedInRun || clock_.tickCount() - a.lastAsk >= kAskGapMs;
    const bool many = a.held.size() >= kHeldBatch;
    const bool last = startsDone_ && count(SlotState::InFlight) == 0;
    const bool blocking = !roomInFlight(); // held checks count in flight: the starts wait for them
    if (!due && !many && !last && !blocking && !stopcheck_)
        return;
    a.askedInRun = true;
    a.lastAsk = clock_.tickCount();
    a.asking = true;
    a.askSeq = ++seq_;
    askJudge(j);
}

void ValidationRun::judgeGone(std::size_t j)
{
    // The state changes first: a status text processes messages, and what is handled there must find the
    // held checks already sent on.
    JudgeAsks& a = asks_[j];
    a.asking = false;
    std::vector<std::size_t> again;
    again.swap(a.held);
    for (std::size_t slot : again) {
        if (slots_[slot].state == SlotState::Held)
            retry(slot);
    }
    if (j != current_)
        return;
    const std::size_t next = pool_.nextUsable(j + 1);
    const Texts& t = texts();
    const JudgePool::Entry& gone = pool_[j];
    const std::string name = gbk::fromUtf8(gone.judge.url);
    if (next == pool_.size()) {
        // The last judge: which one refused, and why, before the end says what was kept.
        endJudgesLost(gone.state == JudgePool::State::Refusing
                          ? t.judgeSwitched + name + t.judgeRefused + gone.why + t.judgeInUseEnd
                          : std::string());
        return;
    }
    current_ = next;
    const std::string to = gbk::fromUtf8(pool_[current_].judge.url);
    if (gone.state == JudgePool::State::Refusing)
        host_.showinfo(t.judgeSwitched + name + t.judgeRefused + gone.why + t.judgeRefusedTo + to);
    else
        host_.showinfo(t.judgeSwitched + name + t.judgeSwitchedTo + to);
}

void ValidationRun::retry(std::size_t slot)
{
    setState(slot, SlotState::Retry);
    retry_.push_back(slot);
}

void ValidationRun::settle(bool completion)
{
    if (checkdone_)
        return;
    // Stopped, the run ends at the next completion, or at once when none can come.
    if (checkcount() == 0 || (stopcheck_ && (completion || count(SlotState::InFlight) == 0))) {
        if (startsDone_ || completion || checkcount() == 0)
            endcheck();
        return;
    }
    restartRetries();
    if (checkdone_)
        return;
    for (std::size_t j = 0; j < asks_.size() && !checkdone_; ++j)
        maybeAsk(j);
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
        (current_ >= pool_.size() || pool_[current_].state != JudgePool::State::Answering)) {
        endStoppedUnjudged();
        return;
    }
    // The rows are named by bookmark, in the order the grid shows them now. A position would name another
    // row as soon as one moves: under a sort on the speed every valid row moves when its speed is written,
    // and the list tools may sort or delete while the run goes on.
    table_.open();
    rows_.clear();
    found_.assign(1, RowChecks{});
    slots_.clear();
    for (bool more = table_.first(); more; more = table_.next()) {
        rows_.push_back(*table_.bookmark());
        // A mark of an earlier run is no verdict of this one, nor are its facts.
        table_.setMark(rows_.back(), CheckMark::None);
        table_.setFacts(rows_.back(), CheckFacts{});
        RowChecks row;
        row.firstSlot = slots_.size();
        for (Protocol p : kProtocols) {
            if (protocolsOf(table_.current()) & bit(p)) {
                slots_.emplace_back();
                slots_.back().row = rows_.size();
                slots_.back().protocol = p;
            }
        }
        row.slots = slots_.size() - row.firstSlot;
        found_.push_back(row);
    }
    counts_ = {};
    counts_[static_cast<std::size_t>(SlotState::Unstarted)] = slots_.size();
    host_.verdictShown();
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
    for (std::size_t slot = 0; slot < slots_.size() && !stopcheck_; ++slot)
        startCheck(slot);
    startsDone_ = true;
    // A run that no completion is left to end (an empty table, checks that could not start, a stop after
    // every started check has reported) ends here instead of leaving the run open.
    settle(false);
}

void ValidationRun::startCheck(std::size_t slot)
{
    if (slots_[slot].state != SlotState::Unstarted)
        return; // its row was deleted
    const std::size_t row = slots_[slot].row;
    // With a limit on checks in flight, the next start waits for a completion to free a place; checks
    // to be made again go first.
    for (;;) {
        restartRetries();
        if (stopcheck_ || roomInFlight())
            break;
        dispatcher_.waitMessages(std::chrono::milliseconds(200));
    }
    if (stopcheck_ || slots_[slot].state != SlotState::Unstarted)
        return;
    // The row is found again before every check: a completion handled in the last pause may have moved the
    // table's cursor, and the list tools may have deleted the row.
    if (!table_.gotoBookmark(rows_[row - 1])) {
        dropUnstarted(row);
        return;
    }
    launch(slot);
    if (pacing_.pause > 0)
        clock_.sleep(static_cast<std::uint32_t>(pacing_.pause));
    dispatcher_.processMessages();
}

void ValidationRun::launch(std::size_t slot)
{
    Slot& s = slots_[slot];
    const std::size_t judge = pool_.judgeFor(s.protocol, std::max<std::size_t>(current_, s.floor));
    if (!pool_.empty() && judge == pool_.size()) {
        // Every judge it may go to refused it (the proxy relays, but no judge would say how well), or none
        // is left: no verdict.
        (s.floor > 0 ? found_[s.row].refused : found_[s.row].unjudged) = true;
        setState(slot, SlotState::Done);
        return;
    }
    if (!s.checker)
        s.checker = std::make_unique<TKeloInetChecker>(engine_, dispatcher_);
    TKeloInetChecker& c = *s.checker;
    c.AccessType = TAccessType::atProxy;
    s.judge = static_cast<std::uint32_t>(judge);
    s.seq = ++seq_;
    if (!pool_.empty()) {
        c.setJudge(pool_[judge].judge);
        c.SelfAddress = asks_[judge].self;
        c.JudgeHeaders = asks_[judge].headers;
    }
    c.Kind = s.protocol;
    c.Credentials = std::string(table_.current().credentials());
    c.Proxy = HostPort::trimmed(table_.text(Field::Ip), table_.text(Field::Port)).text();
    c.UserAgent = "Internet Explorer 7.0";
    c.Tag = static_cast<int>(slot);
    c.OnComplete = [this](TKeloInetChecker* sender, bool connected) { mycomplete(sender, connected); };
    c.timeout = 2500;
    c.starttime = static_cast<std::int32_t>(clock_.tickCount());
    if (c.Start()) {
        setState(slot, SlotState::InFlight);
    } else {
        ++dropped_;
        setState(slot, SlotState::Done);
    }
}

void ValidationRun::restartRetries()
{
    while (!retry_.empty() && !stopcheck_ && roomInFlight()) {
        const std::size_t slot = retry_.front();
        retry_.pop_front();
        if (slots_[slot].state != SlotState::Retry)
            continue;
        if (table_.gotoBookmark(rows_[slots_[slot].row - 1])) {
            launch(slot);
            continue;
        }
        // The row was deleted meanwhile: its check is counted off.
        ++dropped_;
        setState(slot, SlotState::Done);
    }
    scheduleRetry();
}

void ValidationRun::scheduleRetry()
{
    // Held failures are no checks in flight: they wait for the judge, not for the network.
    if (checkdone_ || retry_.empty() || count(SlotState::InFlight) > 0 || retryPosted_)
        return;
    // Nothing is in flight to free a descriptor and say when to try again: the run tries again shortly
    // (or ends, stopped, or counted off to nothing).
    retryPosted_ = true;
    dispatcher_.post([weak = weak_from_this()] {
        auto self = weak.lock();
        if (!self || self->checkdone_)
            return;
        self->retryPosted_ = false;
        if (!self->stopcheck_)
            self->clock_.sleep(50);
        self->settle(false);
    });
}

void ValidationRun::dropUnstarted(std::size_t row)
{
    // Checks already out still complete and count themselves off; only those never started are dropped.
    const RowChecks& r = found_[row];
    for (std::size_t slot = r.firstSlot; slot < r.firstSlot + r.slots; ++slot) {
        if (slots_[slot].state == SlotState::Unstarted) {
            ++dropped_;
            setState(slot, SlotState::Done);
        }
    }
}

bool ValidationRun::rowDone(std::size_t row) const
{
    const RowChecks& r = found_[row];
    for (std::size_t slot = r.firstSlot; slot < r.firstSlot + r.slots; ++slot) {
        if (slots_[slot].state != SlotState::Done)
            return false;
    }
    return true;
}

void ValidationRun::mycomplete(TKeloInetChecker* sender, bool connected)
{
    auto keep = shared_from_this();
    const int tag = sender->Tag;
    if (tag < 0 || static_cast<std::size_t>(tag) >= slots_.size())
        return;
    const std::size_t slot = static_cast<std::size_t>(tag);
    Slot& s = slots_[slot];
    if (s.checker.get() != sender || s.state != SlotState::InFlight)
        return;
    // The slot's checker is kept until the slot is done; it is not destroyed inside its own completion.
    std::unique_ptr<TKeloInetChecker> finished = std::move(s.checker);
    dispatcher_.post([old = std::shared_ptr<TKeloInetChecker>(std::move(finished))] {});
    const TKeloInetChecker& check = *sender;
    const std::uint32_t elapsed = clock_.tickCount() - static_cast<std::uint32_t>(check.starttime);
    if (checkdone_) {
        stopcheck_ = true;
        return;
    }
    const std::size_t j = s.judge;
    const CheckAnswer answer = pool_.empty() ? (connected ? CheckAnswer::Passed : CheckAnswer::Failed)
                                             : classifyCheck(connected, check, pool_[j].server);
    if (stopcheck_ && answer != CheckAnswer::Local) {
        // Stopping: what came back stands as it is (the stop purges every row not found valid anyway).
        finish(slot, answer == CheckAnswer::Passed, elapsed, check.facts());
        settle(true);
        return;
    }
    switch (answer) {
    case CheckAnswer::Local:
        localFailure(slot);
        break;
    case CheckAnswer::Passed:
        if (!pool_.empty())
            pool_.passed(j);
        finish(slot, true, elapsed, check.facts());
        if (!pool_.empty())
            judgeAnswered(j, s.seq);
        break;
    case CheckAnswer::Refused: {
        // The proxy relays; the judge would not answer it. The next judge checks it.
        s.floor = static_cast<std::uint32_t>(j + 1);
        retry(slot);
        if (pool_.refused(j, check.status()))
            judgeGone(j);
        break;
    }
    case CheckAnswer::Failed:
        if (pool_.empty()) {
            finish(slot, false, elapsed, {});
        } else if (!pool_.usable(j)) {
            retry(slot); // its judge has gone since: no verdict, made again with the judge in use
        } else {
            // A failure counts only once the judge has answered a request sent after it arrived.
            s.seq = ++seq_;
            setState(slot, SlotState::Held);
            asks_[j].held.push_back(slot);
        }
        break;
    }
    settle(true);
}

void ValidationRun::localFailure(std::size_t slot)
{
    Slot& s = slots_[slot];
    if (++s.localFailures >= kMostLocalFailures) {
        // The same check failed on this machine again and again (an IPv6 proxy where this machine has no
        // IPv6 address): this machine cannot make it, which says nothing of the proxy. The check ends
        // without a verdict and the row stays, unjudged, unless another of its checks passes.
        found_[s.row].unjudged = true;
        setState(slot, SlotState::Done);
        return;
    }
    // This machine had no descriptor or port for it: no verdict on the proxy. The check is made again once
    // a place is free (at the next completion, or shortly when none is left to come; at once it would only
    // fail again), and no more are kept in flight than the machine held just now.
    ++retried_;
    retry(slot);
    const int inFlight = static_cast<int>(count(SlotState::InFlight) + count(SlotState::Held));
    limit_ = std::max(8, limit_ == 0 ? inFlight : std::min(limit_, inFlight));
}

void ValidationRun::finish(std::size_t slot, bool connected, std::uint32_t elapsed, const EchoFacts& facts)
{
    setState(slot, SlotState::Done); // first: the row's verdict is read from its slots
    record(slots_[slot].row, slots_[slot].protocol, connected, elapsed, facts);
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

void ValidationRun::record(std::size_t r, Protocol protocol, bool connected, std::uint32_t elapsed,
                           const EchoFacts& facts)
{
    if (r < 1 || r > rows_.size())
        return;
    RowChecks& row = found_[r];
    const ProxyTable::Bookmark mark = rows_[r - 1];
    table_.open();
    if (connected) {
        const bool fastest = !row.valid || elapsed < row.best;
        if (!row.valid)
            ++valid_;
        row.valid = true;
        row.facts.passed |= bit(protocol);
        row.facts.anonymity = leastAnonymous(row.facts.anonymity, facts.anonymity);
        if (fastest) {
            row.best = elapsed;
            if (!facts.exitIp.empty())
                row.facts.exitIp = facts.exitIp;
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
    } else if (rowDone(r) && !row.valid && !row.unjudged && !row.refused) {
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
    // Rows this machine could not check, and rows every judge refused, stay without a mark: nothing was
    // found against them.
    std::vector<ProxyTable::Bookmark> kept;
    std::size_t refused = 0;
    for (std::size_t r = 1; r < found_.size(); ++r) {
        if ((found_[r].unjudged || found_[r].refused) && !found_[r].valid) {
            kept.push_back(rows_[r - 1]);
            refused += found_[r].refused;
        }
    }
    // A list with rows no judge would check was not judged whole.
    if (refused > 0)
        outcome_ = Outcome::JudgesLost;
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
    std::size_t unjudgedKept = 0, refusedKept = 0;
    for (std::size_t r = 1; r < found_.size(); ++r) {
        if ((found_[r].unjudged || found_[r].refused) && !found_[r].valid &&
            table_.gotoBookmark(rows_[r - 1]))
            ++(found_[r].refused ? refusedKept : unjudgedKept);
    }
    if (table_.isEmpty())
        host_.showingrid(); // an empty result shows an empty grid, not the rows of the run
    else
        host_.sorttable(fieldName(Field::Speed));
    dispatcher_.processMessages();
    const Texts& t = texts();
    host_.showinfo(t.summaryPrefix + std::to_string(table_.rowCount() - unjudgedKept - refusedKept) +
                   t.summarySuffix);
    if (unjudgedKept > 0)
        host_.showinfo(t.checkUnjudgedLocal + std::to_string(unjudgedKept) + t.checkUnjudgedLocalEnd);
    if (refusedKept > 0)
        host_.showinfo(t.checkUnjudgedLocal + std::to_string(refusedKept) + t.checkRefusedEnd);
    host_.runEnded();
}

void ValidationRun::endJudgesLost(const std::string& why)
{
    if (checkdone_)
        return;
    stopcheck_ = true;
    checkdone_ = true;
    outcome_ = Outcome::JudgesLost;
    if (!why.empty())
        host_.showinfo(why);
    for (Slot& slot : slots_)
        slot.checker.reset(); // their answers could not be judged either
    for (JudgeAsks& a : asks_)
        a.held.clear();
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
    host_.showinfo((pool_.anyRefusing() ? t.judgesRefused : t.judgesLost) + std::to_string(valid_) +
                   t.judgesLostMid + std::to_string(unjudged) + t.judgesLostEnd);
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
    if (!startsDone_ || checkdone_ || count(SlotState::InFlight) > 0)
        return;
    dispatcher_.post([weak = weak_from_this()] {
        if (auto self = weak.lock())
            self->settle(false);
    });
}

void ValidationRun::cancel()
{
    if (checkdone_)
        return;
    cancelled_ = true;
    stopcheck_ = true;
    checkdone_ = true;
    for (Slot& slot : slots_)
        slot.checker.reset();
}

} // namespace vorin
