// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "win32/windispatcher.h"

namespace vorin::win32 {
namespace {

constexpr UINT kDrain = WM_APP + 0x10;
constexpr const wchar_t* kSinkClass = L"VorinDispatcher";

} // namespace

WinDispatcher::WinDispatcher()
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &WinDispatcher::proc;
    wc.hInstance = instance;
    wc.lpszClassName = kSinkClass;
    RegisterClassExW(&wc); // fails harmlessly when a second dispatcher registers it again
    sink_ = CreateWindowExW(0, kSinkClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    SetWindowLongPtrW(sink_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

WinDispatcher::~WinDispatcher()
{
    close();
    SetWindowLongPtrW(sink_, GWLP_USERDATA, 0);
    DestroyWindow(sink_);
}

void WinDispatcher::wake()
{
    // One wake-up at a time is enough: the drain runs everything queued until then and after.
    if (!wakePending_.exchange(true))
        PostMessageW(sink_, kDrain, 0, 0);
}

LRESULT CALLBACK WinDispatcher::proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kDrain) {
        if (auto* self = reinterpret_cast<WinDispatcher*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))) {
            self->wakePending_.store(false);
            self->drain();
        }
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool WinDispatcher::pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam)); // for the loop that owns the program's end
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

void WinDispatcher::processMessages()
{
    drain();
    pump();
    drain();
}

void WinDispatcher::waitMessages(std::chrono::milliseconds limit)
{
    drain();
    // A queued call wakes the thread through its posted message; the limit bounds the wait otherwise.
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(limit.count()), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
    processMessages();
}

} // namespace vorin::win32
