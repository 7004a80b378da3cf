// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/process.h"

#include <windows.h>

#include <bcrypt.h>
#include <shellapi.h>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <io.h>

namespace vorin::process {
namespace {

void (*interruptHandler)() = nullptr;
std::atomic<int> interrupts{0};

BOOL WINAPI onConsoleEvent(DWORD)
{
    // The first event asks the run to stop; the second falls through to the default, which ends the
    // program.
    if (interrupts.fetch_add(1) > 0 || !interruptHandler)
        return FALSE;
    interruptHandler();
    return TRUE;
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
        out.push_back(textOf(std::filesystem::path(wide[i])));
    LocalFree(wide);
    return out;
}

void setUpStandardStreams()
{
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
}

bool isTerminal(std::FILE* stream)
{
    return _isatty(_fileno(stream)) != 0;
}

void onInterrupt(void (*handler)())
{
    interruptHandler = handler;
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
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

std::filesystem::path pathOf(std::string_view gbk)
{
    return std::filesystem::path(wide(gbk, 936));
}

std::string textOf(const std::filesystem::path& path)
{
    const std::wstring& w = path.native();
    if (w.empty())
        return {};
    const int n =
        WideCharToMultiByte(936, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(936, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
    return out;
}

} // namespace vorin::process
