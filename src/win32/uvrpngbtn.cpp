// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "win32/uvrpngbtn.h"

namespace vorin::win32 {

Tvrpngbtn::Tvrpngbtn(HWND parent, int id, const Picture& picture, POINT at) : picture_(&picture)
{
    // 105 x 105 until a picture gives the frame's size.
    create(L"Tvrpngbtn", CS_DBLCLKS, 0, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, std::wstring(),
           RECT{0, 0, 105, 105}, parent, id);
    place(at);
}

void Tvrpngbtn::place(POINT at)
{
    if (!hwnd())
        return;
    const int dpi = dpiOf(hwnd());
    const int w = picture_->empty() ? 105 : picture_->width() / 4;
    const int h = picture_->empty() ? 105 : picture_->height();
    const RECT r = scaledRect(at.x, at.y, w, h, dpi);
    SetWindowPos(hwnd(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Tvrpngbtn::setState(int state)
{
    state_ = state;
    if (hwnd()) {
        InvalidateRect(hwnd(), nullptr, FALSE);
        UpdateWindow(hwnd()); // the pressed frame shows before the click's work begins
    }
}

void Tvrpngbtn::paint(HDC dc) const
{
    RECT client{};
    GetClientRect(hwnd(), &client);
    // Nothing of the button's own is filled: the parent's skin shows wherever the frame is transparent.
    paintParentBackground(hwnd(), dc);
    if (picture_->empty()) {
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    const int frame = picture_->width() / 4;
    const int x = state_ == Hover ? frame : state_ == Pressed ? 2 * frame : 0;
    picture_->blend(dc, 0, 0, client.right, client.bottom, x, 0, frame, picture_->height());
}

LRESULT Tvrpngbtn::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEMOVE:
        if (!inside_) {
            inside_ = true;
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd(), 0};
            TrackMouseEvent(&track);
            if (!picture_->empty())
                setState(Hover);
        }
        return 0;
    case WM_MOUSELEAVE:
        inside_ = false;
        if (!picture_->empty())
            setState(Normal); // repainted over the parent's intact skin
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: // a double-click clicks twice, once for each press
        setState(Pressed);
        if (Onclick)
            Onclick(this); // may close the window: nothing of it is touched after
        return 0;
    case WM_LBUTTONUP:
        if (hwnd())
            setState(Normal);
        return 0;
    case WM_RBUTTONDOWN:
        // The right button alone: no other button, no Shift, Ctrl or Alt.
        if (wParam == MK_RBUTTON && GetKeyState(VK_MENU) >= 0 && OnRigthClick)
            OnRigthClick(this);
        return 0;
    default:
        return PaintedWindow::handle(message, wParam, lParam);
    }
}

} // namespace vorin::win32
