// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "table/proxygrid.h"
#include "table/proxytable.h"

#include <string>

// How the proxy table appears in the grid, and the row operations of the main window on the table. Plain
// functions over the table and the grid; the controller adds the status texts. Main thread only.
namespace vorin::gridview {

// Widths and titles of columns 0 to 6.
void initGrid(ProxyGrid& grid);

// Makes the grid show the title row and one body row per table row, in the table's order. A row the table
// holds as valid shows as valid again, even where the run under way marked it failed; other marks stay
// with their rows. Returns the number of rows.
std::size_t fillGrid(ProxyTable& table, ProxyGrid& grid);

// Blanks every body row until the next listing; the number of rows stays.
void clearGridBody(ProxyGrid& grid);

// "共有" + count + "个代理".
std::string countText(std::size_t count);

// Deletes every row; the sort in force stays.
void clearTable(ProxyTable& table);

// Deletes count rows starting at row first (from 1); a first row beyond the end starts at the last row.
void deleteRecords(ProxyTable& table, int first, int count);

// The clean-up of a finished harvest: sorts on the address (the order stays in force), drops rows whose
// trimmed address is empty and rows whose trimmed address repeats the one kept before. Returns false when
// the table was empty, so that nothing else of the listing runs.
bool harvestCleanup(ProxyTable& table);
// The same clean-up as a job done in steps, for a listing that must not hold the window.
std::unique_ptr<ProxyTable::SortJob> harvestCleanupInSteps(ProxyTable& table);

} // namespace vorin::gridview
