// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "win32/infolabel.h"

namespace vorin::win32 {

InfoLabel::InfoLabel(HWND parent, int id, POINT at, COLORREF colour) : place_(at), colour_(colour)
{
    create(L"VorinLabel", 0, 0, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, std::wstring(), RECT{0, 0, 1, 1},
           parent, id);
    place(at);
}

void InfoLabel::setText(const std::wstring& text)
{
    if (text == text_)
        return;
    text_ = text;
    if (!hwnd())
        return;
    SetWindowTextW(hwnd(), text_.c_str());
    // What the longer old text covered shows the parent's skin again.
    RECT old{};
    GetWindowRect(hwnd(), &old);
    MapWindowPoints(nullptr, GetParent(hwnd()), reinterpret_cast<POINT*>(&old), 2);
    place(place_);
    InvalidateRect(GetParent(hwnd()), &old, FALSE);
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void InfoLabel::place(POINT at)
{
    place_ = at;
    if (!hwnd())
        return;
    const int dpi = dpiOf(hwnd());
    const HDC dc = GetDC(hwnd());
    const HGDIOBJ previous = SelectObject(dc, programFont(kWindowFontPixels, dpi));
    SIZE size{};
    GetTextExtentPoint32W(dc, text_.empty() ? L" " : text_.c_str(),
                          text_.empty() ? 1 : static_cast<int>(text_.size()), &size);
    SelectObject(dc, previous);
    ReleaseDC(hwnd(), dc);
    SetWindowPos(hwnd(), nullptr, scaled(at.x, dpi), scaled(at.y, dpi), size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void InfoLabel::paint(HDC dc) const
{
    paintParentBackground(hwnd(), dc);
    const HGDIOBJ previous = SelectObject(dc, programFont(kWindowFontPixels, dpiOf(hwnd())));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour_);
    TextOutW(dc, 0, 0, text_.c_str(), static_cast<int>(text_.size()));
    SelectObject(dc, previous);
}

LRESULT InfoLabel::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCHITTEST:
        return HTTRANSPARENT; // the status bar under it takes the pointer (its tooltip)
    default:
        return PaintedWindow::handle(message, wParam, lParam);
    }
}

} // namespace vorin::win32
