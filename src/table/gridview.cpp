// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "table/gridview.h"

#include "platform/texts.h"
#include "table/trim.h"

namespace vorin::gridview {

void initGrid(StringGrid& grid)
{
    static constexpr int widths[] = {40, 170, 60, 80, 220, 50, 50};
    grid.beginUpdate();
    for (int c = 0; c < 7; ++c) {
        grid.setColWidth(c, widths[c]);
        grid.setCell(c, 0, texts().gridTitles[c]);
    }
    grid.endUpdate();
}

std::size_t fillGrid(const ProxyTable& table, StringGrid& grid)
{
    const std::size_t n = table.rowCount();
    grid.beginUpdate();
    grid.setRowCount(static_cast<int>(n) + 1);
    table.forEach([&](std::size_t pos, const ProxyRecord& rec) {
        int r = static_cast<int>(pos);
        grid.setCell(ColNumber, r, std::to_string(pos));
        grid.setCell(ColIp, r, rec.text(Field::Ip));
        grid.setCell(ColPort, r, rec.text(Field::Port));
        grid.setCell(ColProtocol, r, rec.text(Field::Protocol));
        grid.setCell(ColLocation, r, rec.text(Field::Location));
        if (rec.boolean(Field::Valid)) {
            grid.setCell(ColMark, r, texts().markValid);
            grid.setCell(ColSpeed, r, rec.text(Field::Speed));
        }
    });
    grid.endUpdate();
    return n;
}

void clearGridBody(StringGrid& grid)
{
    grid.beginUpdate();
    for (int r = 1; r < grid.rowCount(); ++r)
        grid.clearRow(r);
    grid.endUpdate();
}

std::string countText(std::size_t count)
{
    return texts().countPrefix + std::to_string(count) + texts().countSuffix;
}

void clearTable(ProxyTable& table)
{
    table.open();
    table.first();
    while (!table.isEmpty())
        table.deleteCurrent();
}

void deleteRecords(ProxyTable& table, int first, int count)
{
    table.open();
    if (!table.first())
        return;
    if (first > 1)
        table.moveBy(static_cast<std::size_t>(first - 1));
    for (int i = 0; i < count && !table.isEmpty(); ++i)
        table.deleteCurrent();
}

bool harvestCleanup(ProxyTable& table)
{
    if (table.isEmpty())
        return false;
    table.open();
    table.sortOn(Field::Ip);
    table.first();
    while (trim(table.current().texts[0]).empty()) {
        table.deleteCurrent();
        if (table.isEmpty())
            return true;
    }
    std::string lastKept(trim(table.current().texts[0]));
    table.next();
    std::size_t kept = 1;
    while (kept < table.rowCount()) {
        std::string_view address = trim(table.current().texts[0]);
        if (address == lastKept) {
            table.deleteCurrent();
        } else {
            lastKept.assign(address);
            table.next();
            ++kept;
        }
    }
    return true;
}

} // namespace vorin::gridview
