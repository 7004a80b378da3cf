// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "win32/Unpngpanel.h"

#include <windowsx.h>

namespace vorin::win32 {

Timagepanle::Timagepanle(HWND parent, int id, const Picture& picture, Dock dock, const RECT& place)
    : picture_(&picture)
    , dock_(dock)
{
    const int dpi = dpiOf(parent);
    create(L"Timagepanle", 0, 0, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, std::wstring(),
           scaledRect(place.left, place.top, place.right - place.left, place.bottom - place.top, dpi), parent,
           id);
}

void Timagepanle::Setpicture(const Picture& picture)
{
    picture_ = &picture;
    if (hwnd())
        InvalidateRect(hwnd(), nullptr, FALSE);
}

void Timagepanle::setCaption(const std::wstring& caption)
{
    if (caption == caption_)
        return;
    caption_ = caption;
    if (hwnd()) {
        // The window's own text too, so that the system's accessibility and test tools read it.
        SetWindowTextW(hwnd(), caption_.c_str());
        InvalidateRect(hwnd(), nullptr, FALSE);
    }
}

void Timagepanle::setCaptionEnd(int x)
{
    captionEnd_ = x;
    if (hwnd())
        InvalidateRect(hwnd(), nullptr, FALSE);
}

void Timagepanle::paint(HDC dc) const
{
    RECT client{};
    GetClientRect(hwnd(), &client);
    const int width = client.right;
    const int height = client.bottom;
    const int dpi = dpiOf(hwnd());
    const HFONT font = programFont(kWindowFontPixels, dpi);
    if (picture_->empty()) {
        // A plain panel: face, a raised edge and the caption centred.
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(dc, &client, BDR_RAISEDINNER, BF_RECT);
        const HGDIOBJ previous = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &client,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, previous);
        return;
    }
    SetStretchBltMode(dc, COLORONCOLOR);
    if (dock_ == Dock::Left || dock_ == Dock::Right) {
        picture_->blend(dc, 0, 0, width, height, 0, 0, picture_->width(), picture_->height());
        return;
    }
    // Three slices through one white bitmap a third of the picture wide: each slice is drawn into it over
    // what the last one left, then stretched onto the panel as an opaque image. The ends keep their width
    // at the window's resolution.
    const int w3 = picture_->width() / 3;
    const int h = picture_->height();
    if (w3 > 0 && h > 0) {
        OffscreenBitmap slice(dc, w3, h);
        const RECT whole{0, 0, w3, h};
        FillRect(slice.dc(), &whole, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        const int end = scaled(w3, dpi);
        const int targets[3][2] = {{0, end}, {end, width - end}, {width - end, width}};
        for (int i = 0; i < 3; ++i) {
            picture_->blend(slice.dc(), 0, 0, w3, h, i * w3, 0, w3, h);
            StretchBlt(dc, targets[i][0], 0, targets[i][1] - targets[i][0], height, slice.dc(), 0, 0, w3, h,
                       SRCCOPY);
        }
    }
    // The caption at x = 20, centred on the height of "Vorin".
    const HGDIOBJ previous = SelectObject(dc, font);
    SIZE vorin{};
    GetTextExtentPoint32W(dc, L"Vorin", 5, &vorin);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    const int end = captionEnd_ > 0 ? scaled(captionEnd_, dpi) : width;
    RECT text{scaled(20, dpi), (height - vorin.cy) / 2, end, (height - vorin.cy) / 2 + vorin.cy};
    DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &text,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, previous);
}

LRESULT Timagepanle::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
        if ((message == WM_LBUTTONDOWN || (wParam & MK_LBUTTON)) && onLeftDrag)
            onLeftDrag();
        return 0;
    default:
        return PaintedWindow::handle(message, wParam, lParam);
    }
}

} // namespace vorin::win32
