// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "table/proxygrid.h"

#include <windows.h>

#include <commctrl.h>

namespace vorin::win32 {

// The proxy grid sgrid as the system's list view in virtual mode: it holds no rows, it asks the grid for
// the cells it is about to show (a million rows cost what the visible ones do). Row r of the list is the
// grid's body row r + 1. Columns, titles and widths come from the grid; a selection made in the list
// becomes the grid's, and the grid's the list's. Main thread.
class ProxyList final : public ProxyGrid::Observer {
public:
    // place: at 96 dpi within the parent.
    ProxyList(HWND parent, int id, ProxyGrid& grid, const RECT& place);
    ~ProxyList() override;
    ProxyList(const ProxyList&) = delete;
    ProxyList& operator=(const ProxyList&) = delete;

    HWND hwnd() const { return hwnd_; }
    // Moves the list to its place and sizes its font, rows and columns for the window's resolution.
    void place(const RECT& place);

    // The list's notifications, as its parent receives them (WM_NOTIFY): true when handled, with result.
    bool notify(const NMHDR& header, LRESULT& result);

    // ProxyGrid::Observer
    void gridReset() override;
    void gridRowsChanged(int first, int last) override;
    void gridSelectionChanged() override;

private:
    void applyColumns();
    void selectGridRow();

    ProxyGrid& grid_;
    HWND hwnd_ = nullptr;
    HIMAGELIST rowHeight_ = nullptr; // an empty image list whose height sets the rows'
    bool selecting_ = false;         // the list is being told the grid's selection
};

} // namespace vorin::win32
