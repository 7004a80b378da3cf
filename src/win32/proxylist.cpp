// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "win32/proxylist.h"

#include "platform/widetext.h"
#include "win32/window.h"

#include <algorithm>
#include <cwchar>
#include <string>

namespace vorin::win32 {
namespace {

constexpr int kRowHeight = 18;

void copyInto(const std::wstring& text, wchar_t* out, int room)
{
    if (!out || room <= 0)
        return;
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(room - 1));
    std::wmemcpy(out, text.data(), n);
    out[n] = L'\0';
}

} // namespace

ProxyList::ProxyList(HWND parent, int id, ProxyGrid& grid, const RECT& at) : grid_(grid)
{
    hwnd_ = CreateWindowExW(0, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT |
                                LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                            0, 0, 1, 1, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleW(nullptr), nullptr);
    ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_INFOTIP |
                                                 LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
    for (int col = 0; col < grid_.colCount(); ++col) {
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = 100;
        column.pszText = const_cast<wchar_t*>(L"");
        column.iSubItem = col;
        ListView_InsertColumn(hwnd_, col, &column);
    }
    place(at);
    grid_.setObserver(this);
    gridReset();
}

ProxyList::~ProxyList()
{
    grid_.setObserver(nullptr);
    if (hwnd_ && IsWindow(hwnd_)) {
        ListView_SetImageList(hwnd_, nullptr, LVSIL_SMALL);
        DestroyWindow(hwnd_);
    }
    if (rowHeight_)
        ImageList_Destroy(rowHeight_);
}

void ProxyList::place(const RECT& at)
{
    const int dpi = dpiOf(hwnd_);
    const RECT r = scaledRect(at.left, at.top, at.right - at.left, at.bottom - at.top, dpi);
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(programFont(kWindowFontPixels, dpi)), TRUE);
    // The rows are at least as high as the small images; the list has none to show, only their height.
    const HIMAGELIST old = rowHeight_;
    rowHeight_ = ImageList_Create(1, scaled(kRowHeight, dpi), ILC_COLOR32, 0, 0);
    ListView_SetImageList(hwnd_, rowHeight_, LVSIL_SMALL);
    if (old)
        ImageList_Destroy(old);
    applyColumns();
}

void ProxyList::applyColumns()
{
    const int dpi = dpiOf(hwnd_);
    const int last = grid_.colCount() - 1;
    for (int col = 0; col <= last; ++col) {
        std::wstring title = wide::fromGbk(grid_.cell(col, 0));
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = title.data();
        column.cx = scaled(grid_.colWidth(col), dpi);
        ListView_SetColumn(hwnd_, col, &column);
    }
    // The last column has no title and stays empty: it fills what the others leave, so that no
    // horizontal scroll bar appears.
    ListView_SetColumnWidth(hwnd_, last, LVSCW_AUTOSIZE_USEHEADER);
}

void ProxyList::gridReset()
{
    ListView_SetItemCountEx(hwnd_, std::max(grid_.rowCount() - 1, 0), LVSICF_NOSCROLL);
    applyColumns();
    selectGridRow();
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void ProxyList::gridRowsChanged(int first, int last)
{
    if (first == 0) {
        applyColumns();
        first = 1;
    }
    // Only the rows on screen are drawn again; the others are asked for when they come into view.
    const int top = ListView_GetTopIndex(hwnd_);
    const int bottom = top + ListView_GetCountPerPage(hwnd_) + 1;
    const int from = std::max(first - 1, top);
    const int to = std::min(last - 1, bottom);
    if (from <= to)
        ListView_RedrawItems(hwnd_, from, to);
}

void ProxyList::gridSelectionChanged()
{
    selectGridRow();
}

void ProxyList::selectGridRow()
{
    const int row = grid_.selectedRow() - 1;
    if (row < 0 || row >= ListView_GetItemCount(hwnd_))
        return;
    selecting_ = true;
    ListView_SetItemState(hwnd_, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(hwnd_, row, FALSE);
    selecting_ = false;
}

bool ProxyList::notify(const NMHDR& header, LRESULT& result)
{
    if (header.hwndFrom != hwnd_)
        return false;
    switch (header.code) {
    case LVN_GETDISPINFOW: {
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header)).item;
        if (item.mask & LVIF_TEXT)
            copyInto(wide::fromGbk(grid_.cell(item.iSubItem, item.iItem + 1)), item.pszText, item.cchTextMax);
        if (item.mask & LVIF_IMAGE)
            item.iImage = I_IMAGENONE;
        result = 0;
        return true;
    }
    case LVN_GETINFOTIPW: {
        auto& tip = reinterpret_cast<NMLVGETINFOTIPW&>(const_cast<NMHDR&>(header));
        std::wstring text = wide::fromGbk(grid_.tip(tip.iItem + 1));
        // One line each: what the checks found of the row.
        for (std::size_t at = text.find(L'\n'); at != std::wstring::npos; at = text.find(L'\n', at + 2))
            text.insert(at, 1, L'\r');
        copyInto(text, tip.pszText, tip.cchTextMax);
        result = 0;
        return true;
    }
    case LVN_ODFINDITEMW:
        // Typing in the list searches nothing: the rows are not the list's to search (the default answer
        // would select the first row).
        result = -1;
        return true;
    case LVN_ITEMCHANGED: {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if (!selecting_ && change.iItem >= 0 && (change.uChanged & LVIF_STATE) &&
            (change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED))
            grid_.setSelectedRow(change.iItem + 1);
        result = 0;
        return true;
    }
    default:
        return false;
    }
}

} // namespace vorin::win32
