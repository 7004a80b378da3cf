// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <string>
#include <vector>

namespace vorin {

// The proxy grid's contents: a string grid with a title row (row 0), whole-row single selection and column
// widths. It holds what the window shows; a view observes it. Changes made between beginUpdate and
// endUpdate reach the observer as one reset, so a redraw of thousands of rows is one notification.
// Main thread only.
class StringGrid {
public:
    class Observer {
    public:
        virtual ~Observer() = default;
        // Rows, columns or many cells changed: show everything again.
        virtual void gridReset() = 0;
        // Cells of rows first to last (inclusive) changed; the row count did not.
        virtual void gridRowsChanged(int first, int last) = 0;
        // The selected row changed.
        virtual void gridSelectionChanged() {}
    };

    StringGrid(int colCount, int rowCount);

    int colCount() const { return colCount_; }
    int rowCount() const { return static_cast<int>(cells_.size()); }
    // Keeps at least the title row; new rows are blank, removed rows are gone.
    void setRowCount(int rows);

    // Out-of-range cells read as "" and ignore writes.
    const std::string& cell(int col, int row) const;
    void setCell(int col, int row, std::string text);
    // Blanks every cell of the row.
    void clearRow(int row);

    int colWidth(int col) const;
    void setColWidth(int col, int width);

    // The selected row; a row count of 1 leaves no body row to select (0 means none).
    int selectedRow() const { return selected_; }
    void setSelectedRow(int row);

    void beginUpdate() { ++updating_; }
    void endUpdate();

    void setObserver(Observer* observer) { observer_ = observer; }

private:
    void changed(int first, int last);

    int colCount_;
    std::vector<std::vector<std::string>> cells_;
    std::vector<int> widths_;
    int selected_ = 1;
    int updating_ = 0;
    bool dirty_ = false;
    Observer* observer_ = nullptr;
};

} // namespace vorin
