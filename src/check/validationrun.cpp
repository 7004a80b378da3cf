// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "check/validationrun.h"

#include "platform/hostport.h"
#include "platform/texts.h"

#include <chrono>

namespace vorin {

ValidationRun::ValidationRun(ProxyTable& table, FetchEngine& engine, Dispatcher& dispatcher, Clock& clock,
                             Host& host, Judge judge, Pacing pacing)
    : table_(table)
    , engine_(engine)
    , dispatcher_(dispatcher)
    , clock_(clock)
    , host_(host)
    , judge_(std::move(judge))
    , pacing_(pacing)
{
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

void ValidationRun::vailproxy()
{
    auto keep = shared_from_this();
    // The rows are named by bookmark, in the order the grid shows them now. A position would name another
    // row as soon as one moves: under a sort on the speed every valid row moves when its speed is written,
    // and the list tools may sort or delete while the run goes on.
    table_.open();
    rows_.clear();
    for (bool more = table_.first(); more; more = table_.next()) {
        rows_.push_back(*table_.bookmark());
        table_.setMark(rows_.back(), CheckMark::None); // a mark of an earlier run is no verdict of this one
    }
    host_.verdictShown();
    checkcount_ = static_cast<int>(rows_.size());
    host_.showinfo(texts().checkRunning);
    table_.open();
    for (std::size_t i = 1; i <= rows_.size(); ++i) {
        // With a limit on checks in flight, the next start waits for a completion to free a place.
        while (pacing_.parallel > 0 && !stopcheck_ &&
               progress_.started - progress_.completed >= pacing_.parallel)
            dispatcher_.waitMessages(std::chrono::milliseconds(200));
        if (stopcheck_)
            break;
        // The row is found again on every pass: a completion handled in the last pause may have moved the
        // table's cursor, and the list tools may have deleted the row.
        if (!table_.gotoBookmark(rows_[i - 1])) {
            --checkcount_;
            continue;
        }
        if (checkers_.size() <= i)
            checkers_.resize(i + 1);
        checkers_[i] = std::make_unique<TKeloInetChecker>(engine_, dispatcher_);
        TKeloInetChecker& c = *checkers_[i];
        c.AccessType = TAccessType::atProxy;
        c.Url = judge_.url;
        c.Echo = judge_.rule == Judge::Rule::Echo;
        c.Marker = judge_.marker;
        c.MarkerBytes = judge_.markerBytes;
        c.Proxy = HostPort::trimmed(table_.text(Field::Ip), table_.text(Field::Port)).text();
        c.UserAgent = "Internet Explorer 7.0";
        c.Tag = static_cast<int>(i);
        c.OnComplete = [this](TKeloInetChecker* sender, bool connected) { mycomplete(sender, connected); };
        c.timeout = 2500;
        c.starttime = static_cast<std::int32_t>(clock_.tickCount());
        if (c.Start())
            ++progress_.started;
        else
            --checkcount_;
        if (pacing_.pause > 0)
            clock_.sleep(static_cast<std::uint32_t>(pacing_.pause));
        dispatcher_.processMessages();
    }
    // A run that no completion is left to end (an empty table, checks that could not start, a stop after
    // every started check has reported) ends here instead of leaving the run open.
    if (!checkdone_ && (checkcount_ < 1 || (stopcheck_ && outstandingChecks() == 0)))
        endcheck();
}

void ValidationRun::mycomplete(TKeloInetChecker* sender, bool connected)
{
    auto keep = shared_from_this();
    const int r = sender->Tag;
    // The slot is emptied once the completion has been handled; the checker is not used after this.
    std::unique_ptr<TKeloInetChecker> finished;
    if (r >= 0 && static_cast<std::size_t>(r) < checkers_.size() &&
        checkers_[static_cast<std::size_t>(r)].get() == sender)
        finished = std::move(checkers_[static_cast<std::size_t>(r)]);
    if (checkdone_) {
        stopcheck_ = true;
        return;
    }
    --checkcount_;
    ++progress_.completed;
    progress_.valid += connected;
    if (r >= 1 && static_cast<std::size_t>(r) <= rows_.size()) {
        const ProxyTable::Bookmark row = rows_[static_cast<std::size_t>(r - 1)];
        table_.open();
        if (table_.setMark(row, connected ? CheckMark::Valid : CheckMark::Failed) && connected &&
            table_.gotoBookmark(row)) {
            const std::uint32_t elapsed = clock_.tickCount() - static_cast<std::uint32_t>(sender->starttime);
            table_.edit();
            table_.setBoolean(Field::Valid, true);
            table_.setText(Field::Speed, std::to_string(elapsed));
            table_.post();
        }
        // A failure leaves the row's fields alone: "验证" and "速度" of an earlier run stay.
        host_.verdictShown();
    }
    if (checkcount_ < 1 || stopcheck_)
        endcheck();
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
