// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "win32/window.h"

#include "win32/skin.h"

#include <map>
#include <tuple>
#include <vector>

namespace vorin::win32 {

Window::~Window()
{
    if (!hwnd_)
        return;
    // The derived parts are gone: the window's last messages go to the default handling.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
}

void Window::create(const wchar_t* className, UINT classStyle, DWORD exStyle, DWORD style,
                    const std::wstring& text, const RECT& place, HWND parent, int id)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (!GetClassInfoExW(instance, className, &existing)) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = classStyle;
        wc.lpfnWndProc = &Window::proc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
        wc.lpszClassName = className;
        RegisterClassExW(&wc);
    }
    CreateWindowExW(exStyle, className, text.c_str(), style, place.left, place.top, place.right - place.left,
                    place.bottom - place.top, parent,
                    (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)) : nullptr,
                    instance, this);
}

LRESULT Window::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->handle(message, wParam, lParam);
}

LRESULT PaintedWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the paint covers everything
    case WM_PAINT: {
        PAINTSTRUCT ps;
        const HDC dc = BeginPaint(hwnd(), &ps);
        RECT client{};
        GetClientRect(hwnd(), &client);
        OffscreenBitmap buffer(dc, client.right, client.bottom);
        paint(buffer.dc());
        BitBlt(dc, 0, 0, client.right, client.bottom, buffer.dc(), 0, 0, SRCCOPY);
        EndPaint(hwnd(), &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        paint(reinterpret_cast<HDC>(wParam));
        return 0;
    default:
        return Window::handle(message, wParam, lParam);
    }
}

int dpiOf(HWND hwnd)
{
    // GetDpiForWindow (Windows 10 1607) is looked up at run time; older systems and Wine answer the
    // screen's.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow && hwnd) {
        if (const UINT dpi = getDpiForWindow(hwnd))
            return static_cast<int>(dpi);
    }
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

RECT scaledRect(int left, int top, int width, int height, int dpi)
{
    const int l = scaled(left, dpi);
    const int t = scaled(top, dpi);
    return RECT{l, t, l + scaled(width, dpi), t + scaled(height, dpi)};
}

namespace {

int CALLBACK collectFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM faces)
{
    reinterpret_cast<std::vector<std::wstring>*>(faces)->push_back(font->lfFaceName);
    return 1;
}

} // namespace

// The first installed face that has Chinese characters, in the order a Chinese Windows would choose.
const std::wstring& programFace()
{
    static const std::wstring face = [] {
        std::vector<std::wstring> installed;
        LOGFONTW wanted{};
        wanted.lfCharSet = GB2312_CHARSET;
        const HDC screen = GetDC(nullptr);
        EnumFontFamiliesExW(screen, &wanted, reinterpret_cast<FONTENUMPROCW>(&collectFace),
                            reinterpret_cast<LPARAM>(&installed), 0);
        ReleaseDC(nullptr, screen);
        for (const wchar_t* preferred :
             {L"Microsoft YaHei UI", L"Microsoft YaHei", L"SimSun", L"Noto Sans CJK SC",
              L"Source Han Sans SC", L"WenQuanYi Micro Hei", L"Droid Sans Fallback"}) {
            for (const std::wstring& f : installed) {
                if (f == preferred)
                    return f;
            }
        }
        for (const std::wstring& f : installed) {
            if (!f.empty() && f[0] != L'@') // not the vertical faces
                return f;
        }
        return std::wstring(L"Tahoma"); // no Chinese face at all: the window's own
    }();
    return face;
}

HFONT programFont(int pixels, int dpi, bool bold)
{
    static std::map<std::tuple<int, int, bool>, HFONT> fonts;
    const auto key = std::make_tuple(pixels, dpi, bold);
    if (auto it = fonts.find(key); it != fonts.end())
        return it->second;
    LOGFONTW lf{};
    lf.lfHeight = -scaled(pixels, dpi);
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(lf.lfFaceName, programFace().c_str(), LF_FACESIZE);
    const HFONT font = CreateFontIndirectW(&lf);
    fonts.emplace(key, font);
    return font;
}

void paintParentBackground(HWND hwnd, HDC dc)
{
    const HWND parent = GetParent(hwnd);
    if (!parent)
        return;
    POINT origin{0, 0};
    MapWindowPoints(hwnd, parent, &origin, 1);
    POINT before{};
    OffsetViewportOrgEx(dc, -origin.x, -origin.y, &before);
    SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    SetViewportOrgEx(dc, before.x, before.y, nullptr);
}

std::wstring windowText(HWND hwnd)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

} // namespace vorin::win32
