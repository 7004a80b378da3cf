// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/atomicfile.h"

#include "platform/process.h"

#include <windows.h>

#include <string>

namespace vorin {
namespace {

IoResult fail(const char* operation, const std::filesystem::path& path, DWORD err)
{
    return IoResult::failure(std::string(operation) + " " + process::argumentText(path) + ": " +
                             std::system_category().message(static_cast<int>(err)));
}

} // namespace

// The temporary file is written, flushed to the disk and moved over the file in one step (MoveFileEx with
// MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH). A file that existed keeps its access lists, as a
// file replaced this way does; a private file is marked so only by its folder, the user's own profile.
IoResult writeFileAtomically(const std::filesystem::path& path, std::string_view data, MissingFolder missing,
                             Access)
{
    std::error_code ec;
    if (path.has_parent_path() && missing == MissingFolder::Create)
        std::filesystem::create_directories(path.parent_path(), ec);
    if (ec)
        return IoResult::failure("mkdir " + process::argumentText(path.parent_path()) + ": " + ec.message());
    std::filesystem::path tmp;
    HANDLE h = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; attempt < 100 && h == INVALID_HANDLE_VALUE; ++attempt) {
        tmp = path;
        tmp += L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(GetTickCount64() + attempt);
        h = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    if (h == INVALID_HANDLE_VALUE)
        return fail("create", tmp, GetLastError());
    auto discard = [&](const char* op, DWORD err) {
        CloseHandle(h);
        DeleteFileW(tmp.c_str());
        return fail(op, tmp, err);
    };
    const char* p = data.data();
    std::size_t left = data.size();
    while (left > 0) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(left, 1u << 30));
        if (!WriteFile(h, p, chunk, &written, nullptr))
            return discard("write", GetLastError());
        p += written;
        left -= written;
    }
    if (!FlushFileBuffers(h))
        return discard("flush", GetLastError());
    CloseHandle(h);
    // A virus scanner or an indexer that has the file open holds it for a moment: the move is tried again for
    // about two seconds before the save fails.
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return IoResult::success();
        const DWORD err = GetLastError();
        if ((err != ERROR_SHARING_VIOLATION && err != ERROR_ACCESS_DENIED && err != ERROR_LOCK_VIOLATION) ||
            attempt >= 20) {
            DeleteFileW(tmp.c_str());
            return fail("rename", path, err);
        }
        Sleep(100);
    }
}

} // namespace vorin
