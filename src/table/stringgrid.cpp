// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "table/stringgrid.h"

#include <algorithm>

namespace vorin {
namespace {
constexpr int kDefaultColWidth = 64;
}

StringGrid::StringGrid(int colCount, int rowCount)
    : colCount_(colCount)
    , cells_(static_cast<std::size_t>(std::max(rowCount, 1)), std::vector<std::string>(colCount))
    , widths_(static_cast<std::size_t>(colCount), kDefaultColWidth)
{
}

void StringGrid::setRowCount(int rows)
{
    rows = std::max(rows, 1);
    if (rows == rowCount())
        return;
    cells_.resize(static_cast<std::size_t>(rows), std::vector<std::string>(colCount_));
    int oldSelected = selected_;
    selected_ = std::min(std::max(selected_, 1), rows - 1);
    ++updating_;
    dirty_ = true;
    endUpdate();
    if (observer_ && selected_ != oldSelected)
        observer_->gridSelectionChanged();
}

const std::string& StringGrid::cell(int col, int row) const
{
    static const std::string empty;
    if (col < 0 || col >= colCount_ || row < 0 || row >= rowCount())
        return empty;
    return cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

void StringGrid::setCell(int col, int row, std::string text)
{
    if (col < 0 || col >= colCount_ || row < 0 || row >= rowCount())
        return;
    std::string& c = cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
    if (c == text)
        return;
    c = std::move(text);
    changed(row, row);
}

void StringGrid::clearRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    for (auto& c : cells_[static_cast<std::size_t>(row)])
        c.clear();
    changed(row, row);
}

int StringGrid::colWidth(int col) const
{
    return col >= 0 && col < colCount_ ? widths_[static_cast<std::size_t>(col)] : 0;
}

void StringGrid::setColWidth(int col, int width)
{
    if (col < 0 || col >= colCount_)
        return;
    widths_[static_cast<std::size_t>(col)] = width;
    changed(0, 0);
}

void StringGrid::setSelectedRow(int row)
{
    row = std::clamp(row, 0, rowCount() - 1);
    if (row == selected_)
        return;
    selected_ = row;
    if (observer_)
        observer_->gridSelectionChanged();
}

void StringGrid::changed(int first, int last)
{
    if (updating_ > 0) {
        dirty_ = true;
        return;
    }
    if (observer_)
        observer_->gridRowsChanged(first, last);
}

void StringGrid::endUpdate()
{
    if (updating_ > 0 && --updating_ == 0 && dirty_) {
        dirty_ = false;
        if (observer_)
            observer_->gridReset();
    }
}

} // namespace vorin
