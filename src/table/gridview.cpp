// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "table/gridview.h"

#include "platform/texts.h"
#include "platform/trim.h"

namespace vorin::gridview {

void initGrid(ProxyGrid& grid)
{
    static constexpr int widths[] = {40, 170, 60, 80, 220, 50, 50};
    grid.beginUpdate();
    for (int c = 0; c < 7; ++c) {
        grid.setColWidth(c, widths[c]);
        grid.setTitle(c, texts().gridTitles[c]);
    }
    grid.endUpdate();
}

std::size_t fillGrid(ProxyTable& table, ProxyGrid& grid)
{
    const std::size_t n = table.rowCount();
    grid.beginUpdate();
    table.updateMarks([](const ProxyRecord& rec, CheckMark& mark) {
        if (mark == CheckMark::Failed && rec.boolean(Field::Valid))
            mark = CheckMark::None;
    });
    grid.setRowCount(static_cast<int>(n) + 1);
    grid.setBlank(false);
    grid.rowsChanged();
    grid.endUpdate();
    return n;
}

void clearGridBody(ProxyGrid& grid)
{
    grid.setBlank(true);
}

std::string countText(std::size_t count)
{
    return texts().countPrefix + std::to_string(count) + texts().countSuffix;
}

void clearTable(ProxyTable& table)
{
    table.clear();
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
    while (trim(table.current().textView(Field::Ip)).empty()) {
        table.deleteCurrent();
        if (table.isEmpty())
            return true;
    }
    std::string lastKept(trim(table.current().textView(Field::Ip)));
    table.next();
    std::size_t kept = 1;
    while (kept < table.rowCount()) {
        std::string_view address = trim(table.current().textView(Field::Ip));
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
