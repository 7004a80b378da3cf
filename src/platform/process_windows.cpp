// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/process.h"

#include "platform/gbk.h"
#include "platform/widetext.h"

#include <windows.h>

#include <bcrypt.h>
#include <shellapi.h>
#include <shlobj.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>

namespace vorin::process {
namespace {

void (*interruptHandler)() = nullptr;
std::atomic<int> interrupts{0};
// Set once the program has put back what it changed; the session's end waits for it.
HANDLE cleaned = CreateEventW(nullptr, TRUE, FALSE, nullptr);
std::atomic<bool> escapes[3] = {false, false, false};
UINT consoleCodePage = 0;

// Windows ends the process when the handler of a console's close or a session's end returns, and at the
// latest after five seconds.
void askAndWait()
{
    if (interrupts.fetch_add(1) == 0 && interruptHandler)
        interruptHandler();
    WaitForSingleObject(cleaned, 4500);
}

BOOL WINAPI onConsoleEvent(DWORD event)
{
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        askAndWait();
        return TRUE;
    }
    // Ctrl-C and Ctrl-Break: the first asks the run to stop; the second falls through to the default, which
    // ends the program.
    if (interrupts.fetch_add(1) > 0 || !interruptHandler)
        return FALSE;
    interruptHandler();
    return TRUE;
}

// A program that has loaded user32 hears of the session's end only as a window: a hidden one, on a thread of
// its own for the process's life.
LRESULT CALLBACK sessionWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_QUERYENDSESSION)
        return TRUE;
    if (message == WM_ENDSESSION) {
        if (wParam)
            askAndWait();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

DWORD WINAPI sessionThread(void*)
{
    WNDCLASSW c{};
    c.lpfnWndProc = sessionWindow;
    c.hInstance = GetModuleHandleW(nullptr);
    c.lpszClassName = L"vorindaili-session";
    RegisterClassW(&c);
    // A top-level window (never shown): message-only windows are not told of the session's end.
    if (!CreateWindowExW(0, c.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, c.hInstance,
                         nullptr))
        return 0;
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0)
        DispatchMessageW(&m);
    return 0;
}

void restoreCodePage()
{
    if (consoleCodePage)
        SetConsoleOutputCP(consoleCodePage);
}

std::wstring wide(std::string_view text, UINT codePage)
{
    if (text.empty())
        return {};
    const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

} // namespace

std::vector<std::string> arguments(int, char**)
{
    std::vector<std::string> out;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; wide && i < count; ++i)
        out.push_back(wide::toUtf8(wide[i]));
    LocalFree(wide);
    return out;
}

void setUpStandardStreams()
{
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    consoleCodePage = GetConsoleOutputCP();
    if (consoleCodePage && consoleCodePage != CP_UTF8) {
        SetConsoleOutputCP(CP_UTF8);
        std::atexit(restoreCodePage);
    }
    // Windows 10's console moves the cursor by escape sequences once asked to; older ones never do.
    const DWORD handles[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    for (int i = 1; i < 3; ++i) {
        const HANDLE h = GetStdHandle(handles[i]);
        DWORD mode = 0;
        if (h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode))
            escapes[i] = (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) ||
                         SetConsoleMode(h, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    }
}

bool terminalEscapes(std::FILE* stream)
{
    const int fd = _fileno(stream);
    return fd >= 1 && fd <= 2 && escapes[fd].load();
}

bool isTerminal(std::FILE* stream)
{
    return _isatty(_fileno(stream)) != 0;
}

void onInterrupt(void (*handler)())
{
    interruptHandler = handler;
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    if (HANDLE t = CreateThread(nullptr, 0, sessionThread, nullptr, 0, nullptr))
        CloseHandle(t);
}

void cleanedUp()
{
    SetEvent(cleaned);
}

int id()
{
    return static_cast<int>(GetCurrentProcessId());
}

std::filesystem::path executable()
{
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (n == 0)
            return {};
        if (n < name.size()) {
            name.resize(n);
            return std::filesystem::path(name);
        }
        name.resize(name.size() * 2);
    }
}

bool folderWritable(const std::filesystem::path& dir)
{
    // Windows tells whether a folder may be written to only by its access lists; a file made there and
    // deleted on closing is the plain answer.
    const std::filesystem::path probe = dir / (L".vorindaili-" + std::to_wstring(GetCurrentProcessId()));
    HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : ENOENT;
        return false;
    }
    CloseHandle(h);
    return true;
}

bool randomBytes(void* buf, std::size_t size)
{
    return BCryptGenRandom(nullptr, static_cast<PUCHAR>(buf), static_cast<ULONG>(size),
                           BCRYPT_USE_SYSTEM_PREFERRED_RNG) == 0;
}

std::FILE* createNewFile(const std::filesystem::path& path)
{
    HANDLE h =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return nullptr;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), 0);
    if (fd < 0) {
        CloseHandle(h);
        return nullptr;
    }
    std::FILE* f = _fdopen(fd, "wb");
    if (!f)
        _close(fd);
    return f;
}

std::filesystem::path argumentPath(std::string_view text)
{
    return std::filesystem::path(wide::fromUtf8(text));
}

std::string argumentText(const std::filesystem::path& path)
{
    return wide::toUtf8(path.native());
}

std::string narrowPath(const std::filesystem::path& path)
{
    const std::wstring& w = path.native();
    if (w.empty())
        return {};
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), static_cast<int>(w.size()), nullptr,
                                0, nullptr, &lossy);
    std::wstring name = w;
    if (lossy) {
        // A character the code page lacks: the short name, made of characters it has (where the volume keeps
        // short names).
        const DWORD size = GetShortPathNameW(w.c_str(), nullptr, 0);
        if (size > 0) {
            std::wstring shortName(size, L'\0');
            const DWORD got = GetShortPathNameW(w.c_str(), shortName.data(), size);
            if (got > 0 && got < size) {
                shortName.resize(got);
                name = shortName;
            }
        }
        n = WideCharToMultiByte(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0, nullptr,
                                nullptr);
    }
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, lossy ? 0 : WC_NO_BEST_FIT_CHARS, name.data(), static_cast<int>(name.size()),
                        out.data(), n, nullptr, nullptr);
    return out;
}

std::optional<bool> chineseUserInterface()
{
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE;
}

std::optional<std::filesystem::path> environmentPath(const char* name)
{
    const std::wstring wideName = wide::fromUtf8(name);
    const wchar_t* v = _wgetenv(wideName.c_str());
    if (!v || !*v)
        return std::nullopt;
    return std::filesystem::path(v);
}

std::filesystem::path cacheFolder()
{
    wchar_t* folder = nullptr;
    std::filesystem::path out;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &folder)) && folder)
        out = std::filesystem::path(folder) / L"vorindaili";
    CoTaskMemFree(folder);
    if (out.empty()) {
        // No profile folder (a service account): the system's folder for temporary files.
        std::error_code ec;
        out = std::filesystem::temp_directory_path(ec) / L"vorindaili";
    }
    return out;
}

std::filesystem::path pathOf(std::string_view gbk)
{
    return std::filesystem::path(wide(gbk, gbk::kCodePage));
}

std::string textOf(const std::filesystem::path& path)
{
    const std::wstring& w = path.native();
    if (w.empty())
        return {};
    const int n = WideCharToMultiByte(gbk::kCodePage, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(gbk::kCodePage, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

} // namespace vorin::process
