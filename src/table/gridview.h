// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "table/proxytable.h"
#include "table/stringgrid.h"

#include <string>

// How the proxy table appears in the grid, and the row operations of the main window on the table. Plain
// functions over the table and the grid; the controller adds the status texts. Main thread only.
namespace vorin::gridview {

inline constexpr int kColumns = 8; // the eighth has no title and stays empty
enum Column {
    ColNumber = 0,
    ColIp = 1,
    ColPort = 2,
    ColProtocol = 3,
    ColLocation = 4,
    ColMark = 5,
    ColSpeed = 6,
};

// Widths and titles of columns 0 to 6.
void initGrid(StringGrid& grid);

// Makes the grid hold the title row and one body row per table row and rewrites them in the table's order.
// The mark and speed columns of rows not marked valid keep what the validation run wrote there. Returns
// the number of rows.
std::size_t fillGrid(const ProxyTable& table, StringGrid& grid);

// Blanks every body row; the number of rows stays.
void clearGridBody(StringGrid& grid);

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

} // namespace vorin::gridview
