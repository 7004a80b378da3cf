// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The validation run: one check per row, 120 ms apart, the verdicts in the grid, and at the end only the
// valid rows, fastest first.
#include "app/frmvrdl.h"
#include "platform/texts.h"
#include "table/gridview.h"
#include "table/trim.h"

#include <chrono>

namespace vorin {

void Tfrmvrdl::btncheckproxyExecute()
{
    if (busy)
        return;
    busy = true;
    checkdone = false;
    stopcheck = false;
    // Checks of an earlier run that are still out would land in this run's count and could end it early;
    // they are dropped before it starts.
    releaseCheckers();
    checkprogress = {};
    showinfo(texts().checkStarting);
    vailproxy();
}

void Tfrmvrdl::vailproxy()
{
    // The rows are named by bookmark, in the order the grid shows them now. A position would name another
    // row as soon as one moves: under a sort on the speed (left in force by an earlier run) every valid
    // row moves when its speed is written.
    table_.open();
    checkrows_.clear();
    for (bool more = table_.first(); more; more = table_.next())
        checkrows_.push_back(*table_.bookmark());
    checkcount = static_cast<int>(checkrows_.size());
    showinfo(texts().checkRunning);
    table_.open();
    const std::string url = endpoints_.root("iplookup") + "/ip2city.asp";
    for (std::size_t i = 1; i <= checkrows_.size(); ++i) {
        // With a limit on checks in flight, the next start waits for a completion to free a place.
        while (checkparallel > 0 && !stopcheck &&
               checkprogress.started - checkprogress.completed >= checkparallel)
            dispatcher_.waitMessages(std::chrono::milliseconds(200));
        if (stopcheck)
            break;
        // The row is found again on every pass: a completion handled in the last pause may have moved the
        // table's cursor, and a new harvest may have emptied the table.
        if (!table_.gotoBookmark(checkrows_[i - 1])) {
            --checkcount;
            continue;
        }
        if (checkers.size() <= i)
            checkers.resize(i + 1);
        checkers[i] = std::make_unique<TKeloInetChecker>(engine_, dispatcher_);
        TKeloInetChecker& c = *checkers[i];
        c.AccessType = TAccessType::atProxy;
        c.Url = url;
        c.Proxy =
            std::string(trim(table_.text(Field::Ip))) + ":" + std::string(trim(table_.text(Field::Port)));
        c.UserAgent = "Internet Explorer 7.0";
        c.Tag = static_cast<int>(i);
        c.OnComplete = [this](TKeloInetChecker* sender, bool connected) { mycomplete(sender, connected); };
        c.timeout = 2500;
        c.starttime = static_cast<std::int32_t>(clock_.tickCount());
        if (c.Start())
            ++checkprogress.started;
        else
            --checkcount;
        if (checkpause > 0)
            clock_.sleep(static_cast<std::uint32_t>(checkpause));
        dispatcher_.processMessages();
    }
    // A run that no completion is left to end (an empty table, checks that could not start, a stop after
    // every started check has reported) ends here instead of leaving busy set.
    if (!checkdone && (checkcount < 1 || (stopcheck && outstandingChecks() == 0)))
        endcheck();
}

void Tfrmvrdl::mycomplete(TKeloInetChecker* sender, bool connected)
{
    const int r = sender->Tag;
    // The slot is emptied once the completion has been handled; the checker is not used after this.
    std::unique_ptr<TKeloInetChecker> finished;
    if (r >= 0 && static_cast<std::size_t>(r) < checkers.size() &&
        checkers[static_cast<std::size_t>(r)].get() == sender)
        finished = std::move(checkers[static_cast<std::size_t>(r)]);
    if (checkdone) {
        stopcheck = true;
        return;
    }
    --checkcount;
    ++checkprogress.completed;
    checkprogress.valid += connected;
    if (connected) {
        grid_.setCell(gridview::ColMark, r, texts().markValid);
        const std::uint32_t elapsed = clock_.tickCount() - static_cast<std::uint32_t>(sender->starttime);
        grid_.setCell(gridview::ColSpeed, r, std::to_string(elapsed));
        table_.open();
        if (r >= 1 && static_cast<std::size_t>(r) <= checkrows_.size() &&
            table_.gotoBookmark(checkrows_[static_cast<std::size_t>(r - 1)])) {
            table_.edit();
            table_.setBoolean(Field::Valid, true);
            table_.setText(Field::Speed, grid_.cell(gridview::ColSpeed, r));
            table_.post();
        }
    } else {
        grid_.setCell(gridview::ColMark, r, texts().markFailed);
        grid_.setCell(gridview::ColSpeed, r, "99999");
    }
    if (checkcount < 1 || stopcheck)
        endcheck();
}

void Tfrmvrdl::endcheck()
{
    // Flags first: the status text below processes pending messages, and a completion handled there must
    // find the run ended.
    stopcheck = true;
    checkdone = true;
    showinfo(texts().checkEnded);
    busy = false;
    table_.open();
    table_.sortOn(Field::Valid);
    table_.first();
    while (!table_.isEmpty() && !table_.boolean(Field::Valid))
        table_.deleteCurrent();
    if (table_.isEmpty())
        showingrid(); // an empty result shows an empty grid, not the rows of the run
    else
        sorttable(fieldName(Field::Speed));
    dispatcher_.processMessages();
    showinfo(texts().summaryPrefix + std::to_string(table_.rowCount()) + texts().summarySuffix);
    autocheck = false;
}

void Tfrmvrdl::btnstopcheckExecute()
{
    if (busy)
        stopcheck = true;
}

void Tfrmvrdl::releaseCheckers()
{
    checkers.clear();
}

std::size_t Tfrmvrdl::outstandingChecks() const
{
    std::size_t n = 0;
    for (const auto& c : checkers)
        n += c && c->running();
    return n;
}

} // namespace vorin
