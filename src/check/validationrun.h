// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "check/KeloInetChecker.h"
#include "check/checkpolicy.h"
#include "config/judge.h"
#include "platform/clock.h"
#include "table/proxytable.h"

#include <array>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vorin {

// One validation run over the proxy table: a checker per row, started in the grid's order a pause apart
// (or whenever fewer than a limit are in flight), each verdict written into the table by the row's
// bookmark (its check mark, and for a valid row "验证" and "速度"), and at the end the purge of every row
// not valid and the listing by speed.
// The judges follow the policy of checkpolicy.h: the checks go to the first judge of the pool that answers
// a direct ask before the run (with none the run checks nothing and changes nothing); a failed check
// counts only once its judge has answered a request sent after the failure; a silent judge gives way to
// the next and its held failures are checked again; a judge's refusal of a proxy sends that proxy to the
// next judge, and a judge refusing proxies altogether is set aside. When no judge is left the run ends
// without deleting the rows it could not judge. Every check is a slot in one state machine (Unstarted,
// InFlight, Held for the judge's answer, Retry, Done) and every count is read from it, so the run ends
// exactly when no slot can move any more. It owns its checkers, its pacing and its end: stop() ends it at
// the next completion as the stop button does (at once when nothing is in flight); cancel() ends it
// quietly, its checks dropped, nothing purged and nothing said, for a new list that takes the table.
// Everything runs on the main thread; completions arrive through the dispatcher and nest inside whatever
// processes messages, so each entry point keeps the run alive until it returns (the owner may let go of
// it meanwhile).
class ValidationRun : public std::enable_shared_from_this<ValidationRun> {
public:
    // What the run needs of the window. showinfo processes pending messages before it returns.
    class Host {
    public:
        virtual ~Host() = default;
        virtual void showinfo(const std::string& text) = 0;
        virtual void showingrid() = 0;
        virtual void sorttable(const std::string& fieldName) = 0;
        virtual void verdictShown() = 0; // a row's mark changed
        virtual void runEnding() = 0;    // the run no longer counts as busy
        virtual void runEnded() = 0;     // after the summary
    };
    struct Pacing {
        int pause = 120;  // ms after each start
        int parallel = 0; // most checks in flight at once; 0: no limit
    };
    struct Progress {
        int planned = 0;   // checks the run will make (a row is checked once per protocol)
        int started = 0;   // checks started (a check retried counts once)
        int completed = 0; // checks completed
        int valid = 0;     // rows found valid
        int retried = 0;   // checks started again after this machine ran short of descriptors or ports
    };

    // How the run ended: every row judged (or stopped, as the stop button does), no judge answering before
    // it (nothing checked, nothing changed), or every judge silent or refusing proxies during it (unjudged
    // rows kept).
    enum class Outcome {
        Judged,
        NoJudge,
        JudgesLost,
    };

    // judges: the pool, in the order they are tried; at least one.
    ValidationRun(ProxyTable& table, FetchEngine& engine, Dispatcher& dispatcher, Clock& clock, Host& host,
                  std::vector<Judge> judges, Pacing pacing, ProtocolSet protocols = bit(Protocol::Http));
    ~ValidationRun();
    ValidationRun(const ValidationRun&) = delete;
    ValidationRun& operator=(const ValidationRun&) = delete;

    // Says that the run starts, then runs the start loop.
    void start();
    // The start loop; returns once every row has been started or the run was stopped. The run goes on in
    // the completions.
    void vailproxy();
    // A checker's completion (its OnComplete).
    void mycomplete(TKeloInetChecker* sender, bool connected);
    // Ends the run at the next completion (at once when none is outstanding).
    void stop();
    // Ends the run without a word: outstanding checks are dropped, the table is left as it is.
    void cancel();

    bool checkdone() const { return checkdone_; }
    bool stopcheck() const { return stopcheck_; }
    bool cancelled() const { return cancelled_; }
    // Checks not yet done.
    int checkcount() const { return static_cast<int>(slots_.size() - count(SlotState::Done)); }
    Progress progress() const;
    // A fast run (a limit on checks in flight, no pause) shows its verdicts in batches: the owner asks
    // now and then whether rows changed since it last asked, instead of hearing of every verdict.
    bool fast() const { return pacing_.parallel > 0; }
    bool takeChanged() { return std::exchange(changed_, false); }
    // The most checks in flight: the limit asked for, cut to what the descriptor limit allows, and cut
    // again when the machine ran short; 0 for no limit. capped() tells whether the descriptor limit cut it.
    int limit() const { return limit_; }
    bool capped() const { return capped_; }
    // Most checks in flight the process's descriptor limit allows, a reserve kept for everything else.
    static int descriptorCap();
    // The program's own address as the echo judge in use saw it at the start; empty for other judges.
    const std::string& selfAddress() const;
    // The judge the checks go to now.
    const Judge& judgeInUse() const;
    Outcome outcome() const { return outcome_; }

private:
    enum class SlotState : std::uint8_t {
        Unstarted,
        InFlight, // its checker's completion will come
        Held,     // failed; waits for its judge to answer a request sent after the failure
        Retry,    // to be started again (this machine could not make it, or its judge gave way)
        Done,     // verdict, no verdict possible, or its row deleted before it started
    };
    // One check: a row in one protocol.
    struct Slot {
        std::size_t row = 0; // grid row from 1
        Protocol protocol = Protocol::Http;
        SlotState state = SlotState::Unstarted;
        std::uint8_t localFailures = 0; // how often this machine could not make it
        std::uint32_t judge = 0;        // the judge of its last launch
        std::uint32_t floor = 0;        // the first judge it may go to: those before it refused it
        std::uint64_t seq = 0;          // its launch, and once it failed, its failure
        std::unique_ptr<TKeloInetChecker> checker;
    };
    // What the checks of one row have found so far.
    struct RowChecks {
        std::size_t firstSlot = 0; // its slots are consecutive
        std::size_t slots = 0;
        bool valid = false;
        bool unjudged = false;  // a check of it could not be made on this machine
        bool refused = false;   // every judge it could go to refused it
        std::uint32_t best = 0; // the fastest passing check's time
        CheckFacts facts;
    };
    // What the run does with each judge of the pool besides its state: the direct asks and the failures
    // waiting for them.
    struct JudgeAsks {
        std::unique_ptr<TKeloInetChecker> ask;
        std::unique_ptr<TKeloInetChecker> otherFamily; // echo: its first ask again over the other family
        std::string self; // echo: the program's own addresses as it saw them (both families, comma-separated)
        std::vector<std::string> headers; // echo: the header keys of its answer to the program itself
        int localFailures = 0;            // asks this machine could not make (no descriptor left)
        bool asking = false;              // an ask during the run is out ...
        std::uint64_t askSeq = 0;         // ... sent as this
        std::uint64_t answeredSeq = 0;    // it answered a request sent after this one
        bool askedInRun = false;
        std::uint32_t lastAsk = 0;
        std::vector<std::size_t> held; // slots whose failure waits for it
    };

    std::size_t count(SlotState s) const { return counts_[static_cast<std::size_t>(s)]; }
    void setState(std::size_t slot, SlotState state);

    // Asks judge i directly; askDone follows.
    void askJudge(std::size_t i);
    void askDone(std::size_t i, bool answered);
    // Echo judges: after the first answer, the judge is asked over the other address family, so that a
    // proxy that forwards that address of this machine is seen to be transparent; then asked(i, true).
    void askOtherFamily(std::size_t i);
    void asked(std::size_t i, bool answered);
    // Before the run: asks every judge at once and waits until the first in order that answers is known
    // (or none); false when none answers. A stop or cancel ends the wait.
    bool chooseJudge();
    // Judge j answered a request sent as seq: the failures held for it that arrived before are verdicts.
    void judgeAnswered(std::size_t j, std::uint64_t seq);
    // Judge j went silent or was set aside: its held failures are checked again by the next judge, and when
    // it was the judge in use the next takes over (or, with none, the run ends).
    void judgeGone(std::size_t j);
    // Asks judge j about the failures held for it, when it is time to.
    void maybeAsk(std::size_t j);
    static constexpr std::size_t kHeldBatch = 32;
    static constexpr std::uint32_t kAskGapMs = 2000;
    // After every event: the end when no slot can move any more (or, stopped, at a completion), otherwise
    // the retries and asks that are due.
    void settle(bool completion);
    // A slot to be started again once there is room; it is no new check.
    void retry(std::size_t slot);
    // A check's verdict: the slot done, the row's mark.
    void finish(std::size_t slot, bool connected, std::uint32_t elapsed, const EchoFacts& facts);
    // A check that could not be made here.
    void localFailure(std::size_t slot);
    // The protocols a row is checked in: its own, or those the run asks for.
    ProtocolSet protocolsOf(const ProxyRecord& row) const;
    void startCheck(std::size_t slot);
    // Starts (or starts again) the check of a slot, with the first usable judge it may go to.
    void launch(std::size_t slot);
    // Starts again the slots waiting to, while there is room in flight.
    void restartRetries();
    // With slots waiting to be started again and none in flight to say when, tries again after a pause.
    void scheduleRetry();
    bool roomInFlight() const
    {
        return limit_ == 0 ||
               count(SlotState::InFlight) + count(SlotState::Held) < static_cast<std::size_t>(limit_);
    }
    // A verdict changed a row: told at once in a paced run, in batches in a fast one.
    void verdictShown();
    // The row was deleted: its checks never started are done.
    void dropUnstarted(std::size_t row);
    // Whether every check of a row is done.
    bool rowDone(std::size_t row) const;
    void record(std::size_t row, Protocol protocol, bool connected, std::uint32_t elapsed,
                const EchoFacts& facts);
    void endcheck();
    // The end when no judge is left: rows found failed go, rows not judged stay without a mark. why (GBK,
    // when given) is said first.
    void endJudgesLost(const std::string& why = {});
    // The end when no judge answered before the run.
    void endNoJudge();
    // The end of a run stopped before any judge answered: the table as it was.
    void endStoppedUnjudged();

    ProxyTable& table_;
    FetchEngine& engine_;
    Dispatcher& dispatcher_;
    Clock& clock_;
    Host& host_;
    JudgePool pool_;
    std::vector<JudgeAsks> asks_; // by judge
    std::size_t current_ = 0;     // the judge new checks go to
    // Launches of checks and asks are numbered in order; what a judge answered is known by these numbers,
    // which a coarse or injected clock cannot blur.
    std::uint64_t seq_ = 0;
    bool startsDone_ = false; // the start loop has gone through every slot
    static constexpr int kMostLocalFailures = 8;
    Outcome outcome_ = Outcome::Judged;
    const Pacing pacing_;
    const ProtocolSet protocols_;
    bool stopcheck_ = false;
    bool checkdone_ = false;
    bool cancelled_ = false;
    std::vector<ProxyTable::Bookmark> rows_; // the rows of the run, by grid row from 1
    std::vector<RowChecks> found_;           // by grid row from 1 (slot 0 unused)
    std::vector<Slot> slots_;
    std::array<std::size_t, 5> counts_{}; // slots in each state
    std::size_t dropped_ = 0;             // slots done without being started
    int valid_ = 0;
    int retried_ = 0;
    std::deque<std::size_t> retry_; // slots in Retry, in the order they are started again
    int limit_ = 0;
    bool capped_ = false;
    bool changed_ = false;
    bool retryPosted_ = false;
};

} // namespace vorin
