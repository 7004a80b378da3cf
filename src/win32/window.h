// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <windows.h>

#include <string>

namespace vorin::win32 {

// A window of the program's own classes, bound to the C++ object that handles its messages. The object
// outlives its window: when the system destroys the window first (a parent's end), hwnd() becomes null and
// the object goes on without it. Main thread only.
class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND hwnd() const { return hwnd_; }

protected:
    // Registers className once (with classStyle and an arrow cursor) and creates the window, whose
    // messages then reach handle().
    void create(const wchar_t* className, UINT classStyle, DWORD exStyle, DWORD style,
                const std::wstring& text, const RECT& place, HWND parent, int id);
    virtual LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
};

// A window that draws all of itself in paint(): off screen first and then in one copy, so that a text
// changing many times a second does not flicker, and into another window's drawing for WM_PRINTCLIENT (a
// child showing its parent's skin beneath it).
class PaintedWindow : public Window {
protected:
    virtual void paint(HDC dc) const = 0;
    // WM_ERASEBKGND, WM_PAINT and WM_PRINTCLIENT; the rest as Window.
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// The window's dots per inch (96 where the system cannot say), and a length at 96 dpi at that resolution.
int dpiOf(HWND hwnd);
inline int scaled(int length, int dpi)
{
    return MulDiv(length, dpi, 96);
}
// A rectangle given as left, top, width and height at 96 dpi, at dpi.
RECT scaledRect(int left, int top, int width, int height, int dpi);

// The program's font, its characters pixels high at 96 dpi, for dpi: a face with Chinese characters whatever
// the system's language (a Latin-only face would show boxes), kept for the program's life. bold for
// headings. The window's own font is 8 points, characters 11 pixels high.
inline constexpr int kWindowFontPixels = 11;
HFONT programFont(int pixels, int dpi, bool bold = false);
// That face's name, for the dialogs.
const std::wstring& programFace();

// Draws a window's parent under it into dc (the parent's WM_PRINTCLIENT), so that a control that draws
// nothing of its own there shows the parent's skin.
void paintParentBackground(HWND hwnd, HDC dc);

// The text of a window.
std::wstring windowText(HWND hwnd);

} // namespace vorin::win32
