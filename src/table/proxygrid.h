// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "table/proxytable.h"

#include <array>
#include <string>

namespace vorin {

namespace gridview {
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
} // namespace gridview

// The proxy grid: the title row (row 0) and as many body rows as the last listing showed, whose cells are
// read from the proxy table on demand; it copies nothing of the table. Body row r shows the table's row at
// position r: its number, address, port, protocol, location, and its check mark with the speed ("√" and
// the stored speed, "⊙" and "99999"). The grid keeps what is the view's alone: titles, widths, the
// selected row, and whether the body is blanked until the next listing. Changes made between beginUpdate
// and endUpdate reach the observer as one reset. Main thread only.
class ProxyGrid {
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

    explicit ProxyGrid(const ProxyTable& table);

    int colCount() const { return gridview::kColumns; }
    int rowCount() const { return rows_; }
    // Keeps at least the title row.
    void setRowCount(int rows);

    // Out-of-range cells read as "".
    // Column 3 shows the row's 协议 field, or, once a check in another protocol than http has passed, the
    // protocols that passed ("HTTP/SOCKS5").
    std::string cell(int col, int row) const;
    // What the checks and the offline location found of body row row, a line each (protocols, anonymity,
    // exit address, country); "" when nothing was found.
    std::string tip(int row) const;
    void setTitle(int col, std::string text);

    // A blank body shows its rows empty until the next listing (while a new harvest comes in).
    void setBlank(bool blank);
    bool blank() const { return blank_; }

    int colWidth(int col) const;
    void setColWidth(int col, int width);

    // The selected row; a row count of 1 leaves no body row to select (0 means none).
    int selectedRow() const { return selected_; }
    void setSelectedRow(int row);

    // The table's rows changed under the grid (a verdict, a location): shows them again.
    void rowsChanged() { changed(1, rows_ - 1); }

    void beginUpdate() { ++updating_; }
    void endUpdate();

    void setObserver(Observer* observer) { observer_ = observer; }

private:
    void changed(int first, int last);
    void reset();

    const ProxyTable& table_;
    std::array<std::string, gridview::kColumns> titles_{};
    std::array<int, gridview::kColumns> widths_{};
    int rows_ = 2;
    int selected_ = 1;
    bool blank_ = false;
    int updating_ = 0;
    bool dirty_ = false;
    Observer* observer_ = nullptr;
};

} // namespace vorin
