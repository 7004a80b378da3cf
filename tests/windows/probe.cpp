// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The end-to-end test's eyes on the running window (run under Wine beside it): where a control is on the
// screen, what it says, how many rows the list holds, and waits for a window, a dialog or a text, each with a
// limit only a hang reaches. xdotool does the clicking and typing. Prints UTF-8; exits 1 when what it waited
// for did not come.
//   probe wait-window S | wait-gone S | wait-dialog S | where ID | text ID | rows | first-row
//   probe wait-text ID TEXT S | dialog-button ID | wait-keyboard S | wait-typed TEXT S
#include "win32/controls.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>

namespace {

using namespace vorin::win32;

void print(const std::wstring& text)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fputc('\n', stdout);
}

HWND form()
{
    const HWND w = FindWindowW(kFormClass, nullptr);
    return w && IsWindowVisible(w) ? w : nullptr;
}

HWND dialog()
{
    HWND w = nullptr;
    while ((w = FindWindowExW(nullptr, w, L"#32770", nullptr))) {
        if (IsWindowVisible(w))
            return w;
    }
    return nullptr;
}

// A control of the window, however deep, by its id.
HWND control(int id)
{
    const HWND top = form();
    if (!top)
        return nullptr;
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        top,
        [](HWND w, LPARAM p) {
            auto* s = reinterpret_cast<Search*>(p);
            if (GetDlgCtrlID(w) != s->id)
                return TRUE;
            s->found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring textOf(HWND w)
{
    wchar_t buf[4096] = {};
    GetWindowTextW(w, buf, 4096);
    return buf;
}

int rows()
{
    const HWND list = control(IdGrid);
    return list ? static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) : -1;
}

// The edit box that has the keyboard in the dialog shown, or nothing.
HWND focusedEdit()
{
    const HWND d = dialog();
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!d || !GetGUIThreadInfo(GetWindowThreadProcessId(d, nullptr), &info) || !info.hwndFocus ||
        !IsChild(d, info.hwndFocus))
        return nullptr;
    wchar_t name[16] = {};
    GetClassNameW(info.hwndFocus, name, 16);
    return std::wstring_view(name) == L"Edit" ? info.hwndFocus : nullptr;
}

// An edit box's text, asked of its own thread (the system keeps no copy of it).
std::wstring editText(HWND edit)
{
    wchar_t buf[4096] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(edit, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buf), SMTO_NORMAL, 5000, &copied);
    return buf;
}

template <typename Done> bool waitFor(const wchar_t* seconds, Done done)
{
    const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(std::wcstod(seconds, nullptr) * 1000);
    while (!done()) {
        if (GetTickCount64() > until)
            return false;
        Sleep(50);
    }
    return true;
}

void printCentre(HWND w)
{
    RECT r{};
    GetWindowRect(w, &r);
    print(std::to_wstring((r.left + r.right) / 2) + L" " + std::to_wstring((r.top + r.bottom) / 2));
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring command = argc > 1 ? argv[1] : L"";
    auto arg = [&](int i) { return i < argc ? argv[i] : L"0"; };
    if (command == L"wait-window")
        return waitFor(arg(2), [] { return form() != nullptr; }) ? (printCentre(form()), 0) : 1;
    if (command == L"wait-gone")
        return waitFor(arg(2), [] { return FindWindowW(kFormClass, nullptr) == nullptr; }) ? 0 : 1;
    if (command == L"wait-dialog")
        return waitFor(arg(2), [] { return dialog() != nullptr; }) ? (print(textOf(dialog())), 0) : 1;
    if (command == L"where") {
        const HWND w = control(std::stoi(arg(2)));
        return w ? (printCentre(w), 0) : 1;
    }
    if (command == L"dialog-button") {
        const HWND d = dialog();
        const HWND b = d ? GetDlgItem(d, std::stoi(arg(2))) : nullptr;
        return b ? (printCentre(b), 0) : 1;
    }
    if (command == L"text") {
        const HWND w = control(std::stoi(arg(2)));
        return w ? (print(textOf(w)), 0) : 1;
    }
    if (command == L"rows")
        return print(std::to_wstring(rows())), 0;
    if (command == L"wait-text") {
        // Meanwhile the window is asked to answer a message that does nothing each time: the longest wait
        // for it is how long the window did not answer (on standard error).
        const int id = std::stoi(arg(2));
        const std::wstring wanted = arg(3);
        ULONGLONG longest = 0;
        const bool found = waitFor(arg(4), [&] {
            const HWND w = control(id);
            const ULONGLONG before = GetTickCount64();
            DWORD_PTR answer = 0;
            SendMessageTimeoutW(form(), WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer);
            longest = std::max(longest, GetTickCount64() - before);
            return w && textOf(w).find(wanted) != std::wstring::npos;
        });
        if (const HWND w = control(id))
            print(textOf(w));
        std::fprintf(stderr, "longest wait for the window: %llu ms\n", longest);
        return found ? 0 : 1;
    }
    // Keys go to the dialog's edit box only once it has the keyboard: wait-keyboard waits for that,
    // wait-typed for a text to have arrived there.
    if (command == L"wait-keyboard")
        return waitFor(arg(2), [] { return focusedEdit() != nullptr; }) ? 0 : 1;
    if (command == L"wait-typed") {
        const std::wstring wanted = arg(2);
        const auto typed = [&] {
            const HWND edit = focusedEdit();
            return edit && editText(edit).find(wanted) != std::wstring::npos;
        };
        return waitFor(arg(3), typed) ? 0 : 1;
    }
    if (command == L"first-row") {
        // Below the list's header, a row's half height down, in the address column.
        const HWND list = control(IdGrid);
        const HWND header = list ? FindWindowExW(list, nullptr, WC_HEADERW, nullptr) : nullptr;
        if (!header)
            return 1;
        RECT l{};
        RECT h{};
        GetWindowRect(list, &l);
        GetWindowRect(header, &h);
        print(std::to_wstring(l.left + 100) + L" " + std::to_wstring(h.bottom + 9));
        return 0;
    }
    std::fputs(
        "usage: probe wait-window S | wait-gone S | wait-dialog S | where ID | text ID | rows | first-row | "
        "wait-text ID TEXT S | dialog-button ID | wait-keyboard S | wait-typed TEXT S\n",
        stderr);
    return 2;
}
