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

std::unique_ptr<ProxyTable::SortJob> harvestCleanupInSteps(ProxyTable& table)
{
    // Blank addresses sort first and go; then each address is kept once, as first added (equal keys keep
    // the order of adding).
    return std::make_unique<ProxyTable::SortJob>(
        table, Field::Ip, [](const ProxyRecord* kept, const ProxyRecord& row) {
            const std::string_view address = trim(row.textView(Field::Ip));
            return kept ? address == trim(kept->textView(Field::Ip)) : address.empty();
        });
}

bool harvestCleanup(ProxyTable& table)
{
    if (table.isEmpty())
        return false;
    harvestCleanupInSteps(table)->finish();
    return true;
}

} // namespace vorin::gridview
