// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The main window's operations on the proxy table and the grid.
#include "app/frmvrdl.h"
#include "platform/gbk.h"
#include "platform/texts.h"
#include "table/gridview.h"

#include <utility>

namespace vorin {

void Tfrmvrdl::init()
{
    gridview::initGrid(grid_);
    // The table keeps its six field definitions from construction; it stays closed until first used.
}

void Tfrmvrdl::cleartable()
{
    gridview::clearTable(table_);
}

void Tfrmvrdl::deleterecord(int first, int count)
{
    gridview::deleteRecords(table_, first, count);
}

void Tfrmvrdl::sorttable(const std::string& fieldName)
{
    if (table_.isEmpty())
        return;
    auto field = fieldByName(fieldName);
    if (!field)
        return;
    table_.open();
    table_.sortOn(*field);
    showingrid();
}

void Tfrmvrdl::mnsortExecute(int tag)
{
    // From the menu the sort goes in steps that let the window run, as the listing does; one asked for
    // while a sort or a listing is under way waits for it.
    if (listing_ || table_.isEmpty() || (tag != 1 && tag != 2))
        return;
    table_.open();
    ProxyTable::SortJob job(table_, tag == 1 ? Field::Location : Field::Speed);
    if (runinsteps(job, texts().sortProgress))
        showingrid();
}

bool Tfrmvrdl::runinsteps(ProxyTable::SortJob& job, const std::string& text)
{
    if (!listinsteps) {
        job.finish();
        return true;
    }
    const std::uint64_t serial = importSerial_;
    listing_ = true;
    for (bool said = false; !job.step(std::chrono::milliseconds(40));) {
        if (!std::exchange(said, true))
            showinfo(text); // and lets the window run
        else
            dispatcher_.processMessages();
        if (importSerial_ != serial) {
            listing_ = false;
            return false;
        }
    }
    listing_ = false;
    return true;
}

void Tfrmvrdl::mndellistExecute()
{
    // Row 0 is the title row: with no body row selected there is nothing to delete (counting from row 0
    // would delete the first row instead).
    int row = grid_.selectedRow();
    if (row < 1)
        return;
    deleterecord(row, 1);
    showingrid();
}

void Tfrmvrdl::showingrid()
{
    std::size_t n = gridview::fillGrid(table_, grid_);
    showinfo(gridview::countText(n));
}

void Tfrmvrdl::cleargrid()
{
    gridview::clearGridBody(grid_);
}

std::string Tfrmvrdl::harvesttallies(bool withRows) const
{
    if (!coordinator_)
        return {};
    const Texts& t = texts();
    std::string rows, failed;
    for (const SourceWorker::Tally& tally : coordinator_->tallies) {
        const std::string name = gbk::fromUtf8(tally.name);
        if (tally.failed)
            failed += (failed.empty() ? "" : ", ") + name;
        else if (withRows)
            rows += (rows.empty() ? t.harvestCounts : std::string(", ")) + name + " " +
                    std::to_string(tally.rows) + t.checkCappedEnd;
    }
    return rows + (failed.empty() ? std::string() : t.harvestFailed + failed);
}

void Tfrmvrdl::listtable()
{
    if (table_.isEmpty()) {
        // Not the start text of the last source: the harvest is over, and it gave nothing. (A source that
        // ends while later ones are still being started is no end of the harvest.)
        if (!starting_)
            showinfo(texts().harvestNothing + harvesttallies(false));
        return;
    }
    // The clean-up goes in steps that let the window run (a million rows take about a second); a harvest
    // started meanwhile takes the table, and this listing ends unseen.
    if (!runinsteps(*gridview::harvestCleanupInSteps(table_), texts().listingProgress))
        return;
    showingrid();
    // The user's sources: how many rows each gave, and which could not be downloaded.
    if (coordinator_ && !coordinator_->tallies.empty())
        showinfo(gridview::countText(table_.rowCount()) + harvesttallies(true));
    busy = false;
    if (autocheck) {
        clock_.sleep(1200);
        btncheckproxyExecute();
    }
}

} // namespace vorin
