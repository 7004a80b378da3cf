// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "check/KeloInetChecker.h"
#include "config/judge.h"
#include "platform/clock.h"
#include "table/proxytable.h"

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
// The checks go to the first judge of a pool that answers a direct ask before the run; with none the run
// checks nothing and changes nothing. A failed check counts only once its judge has answered a request
// sent after the failure (a direct ask, or a check that passed): if the judge is silent instead, the next
// judge of the pool takes over and the check is made again. When every judge has gone silent the run ends
// without deleting the rows it could not judge. It owns its checkers, its pacing, its counts and its end:
// stop() ends it at the next completion as the stop button does; cancel() ends it quietly, its checks
// dropped, nothing purged and nothing said, for a new list that takes the table. Everything runs on the main
// thread; completions arrive through the dispatcher and nest inside whatever processes messages, so each
// entry point keeps the run alive until it returns (the owner may let go of it meanwhile).
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
    // it (nothing checked, nothing changed), or every judge silent during it (unjudged rows kept).
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
    int checkcount() const { return checkcount_; }
    const Progress& progress() const { return progress_; }
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
    // What the checks of one row have found so far.
    struct RowChecks {
        int pending = 0;   // checks not yet completed
        int unstarted = 0; // of those, checks not yet started
        bool valid = false;
        bool unjudged = false;  // a check of it could not be made on this machine
        std::uint32_t best = 0; // the fastest passing check's time
        CheckFacts facts;
    };
    // A judge of the pool and what the run knows of it.
    struct PoolJudge {
        Judge judge;
        enum class State {
            Asking,    // its first ask is out
            Answering, // it answered a direct ask
            Silent,    // it did not: never used again in this run
        } state = State::Asking;
        std::string self; // echo: the program's own addresses as it saw them (both families, comma-separated)
        std::vector<std::string> headers; // echo: the header keys of its answer to the program itself
        std::string why;                  // GBK: why it is silent
        int localFailures = 0;            // asks this machine could not make (no descriptor left)
        std::unique_ptr<TKeloInetChecker> ask;
        std::unique_ptr<TKeloInetChecker> otherFamily; // echo: its first ask again over the other family
    };
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
    // The first judge from index from on that has not fallen silent; pool_.size() when none.
    std::size_t nextAnswering(std::size_t from) const;
    // The judge in use answered a request sent as seq (a passing check launched then, or a direct ask):
    // the failures that arrived before it are verdicts.
    void judgeAnswered(std::uint64_t seq);
    // The judge in use is silent: the next takes over and the held checks are made again, or the run ends.
    void judgeSilent();
    // A failed check waits for the judge's answer to a later request.
    void hold(std::size_t slot);
    // Asks the judge in use for the failures held, when it is time to.
    void maybeAsk();
    static constexpr std::size_t kHeldBatch = 32;
    static constexpr std::uint32_t kAskGapMs = 2000;
    // Starts a check again (with the judge in use) once there is room; it is no new check.
    void requeue(std::size_t slot);
    // A check's verdict counted: the table, the counts and possibly the end of the run.
    void finish(std::size_t slot, bool connected, const TKeloInetChecker& check);
    // A check this machine could not make: counted off without a verdict, its row kept unless it passes.
    void unjudged(std::size_t slot);
    // The protocols a row is checked in: its own, or those the run asks for.
    ProtocolSet protocolsOf(const ProxyRecord& row) const;
    void startCheck(std::size_t row, Protocol protocol);
    // Starts (or starts again) the check of a slot.
    void launch(std::size_t slot);
    // Starts again the checks this machine could not make, while there is room in flight.
    void restartRetries();
    // With checks waiting to be started again and none in flight to say when, tries again after a pause.
    void scheduleRetry();
    bool roomInFlight() const { return limit_ == 0 || progress_.started - progress_.completed < limit_; }
    // A verdict changed a row: told at once in a paced run, in batches in a fast one.
    void verdictShown();
    // Counts off the checks of a deleted row that were never started.
    void dropUnstarted(std::size_t row);
    void record(std::size_t row, Protocol protocol, bool connected, const TKeloInetChecker& check);
    void endcheck();
    // The end when no judge is left: rows found failed go, rows not judged stay without a mark.
    void endJudgesLost();
    // The end when no judge answered before the run.
    void endNoJudge();
    // The end of a run stopped before any judge answered: the table as it was.
    void endStoppedUnjudged();
    std::size_t outstandingChecks() const;

    ProxyTable& table_;
    FetchEngine& engine_;
    Dispatcher& dispatcher_;
    Clock& clock_;
    Host& host_;
    std::vector<PoolJudge> pool_;
    std::size_t current_ = 0; // the judge the checks go to
    // Launches of checks and asks are numbered in order; what the judge answered is known by these numbers,
    // which a coarse or injected clock cannot blur.
    std::uint64_t seq_ = 0;
    bool asking_ = false;           // a direct ask of the judge in use is out (during the run)
    std::uint64_t askSeq_ = 0;      // its number
    std::uint64_t answeredSeq_ = 0; // the judge in use answered after this launch; 0: not since it took over
    std::vector<std::size_t> held_; // slots whose failure waits for the judge's ask
    bool askedInRun_ = false;       // the judge in use was asked during the run ...
    std::uint32_t lastAsk_ = 0;     // ... last at this tick
    bool startsDone_ = false;       // the start loop has started every row
    std::vector<std::size_t> slotJudge_;
    std::vector<std::uint64_t> slotSeq_; // a check's launch, and once it has failed, its failure
    std::vector<int> slotLocalFailures_; // how often the check failed on this machine
    static constexpr int kMostLocalFailures = 8;
    Outcome outcome_ = Outcome::Judged;
    const Pacing pacing_;
    const ProtocolSet protocols_;
    bool stopcheck_ = false;
    bool checkdone_ = false;
    bool cancelled_ = false;
    int checkcount_ = 0;
    Progress progress_;
    std::vector<ProxyTable::Bookmark> rows_; // the rows of the run, by grid row from 1
    std::vector<RowChecks> found_;           // by grid row from 1 (slot 0 unused)
    // Slot i holds the checker of the i-th check started (slot 0 unused), which checks row slotRow_[i] in
    // slotProtocol_[i]; a slot is emptied once its completion is handled.
    std::vector<std::unique_ptr<TKeloInetChecker>> checkers_;
    std::vector<std::size_t> slotRow_;
    std::vector<Protocol> slotProtocol_;
    std::deque<std::size_t> retry_; // slots whose check failed on this machine, to be started again
    int limit_ = 0;
    bool capped_ = false;
    bool changed_ = false;
    bool retryPosted_ = false;
};

} // namespace vorin
