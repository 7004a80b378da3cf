// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The registry itself: keys under HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE, values of REG_SZ (GBK text in
// the program, UTF-16 in the registry, through code page 936) and REG_DWORD.
#include "platform/registry.h"

#include "platform/process.h"
#include "platform/widetext.h"

#include <windows.h>

#include <shlobj.h>

#include <cstdlib>

namespace vorin::registry {
namespace {

HKEY rootOf(std::string_view fullPath)
{
    return fullPath.rfind("HKEY_LOCAL_MACHINE", 0) == 0 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// The key's path below its root, as UTF-16.
std::wstring subkeyOf(std::string_view fullPath)
{
    const std::size_t slash = fullPath.find('\\');
    return slash == std::string_view::npos ? std::wstring()
                                           : process::pathOf(fullPath.substr(slash + 1)).native();
}

std::wstring wide(std::string_view gbk)
{
    return process::pathOf(gbk).native();
}

std::string message(LONG code)
{
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string out = text ? wide::toUtf8(text) : "error " + std::to_string(code);
    LocalFree(text);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' '))
        out.pop_back();
    return out;
}

IoResult write(const std::string& key, std::string_view name, DWORD type, const void* data, DWORD size)
{
    HKEY h = nullptr;
    LONG rc = RegCreateKeyExW(rootOf(key), subkeyOf(key).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h,
                              nullptr);
    if (rc == ERROR_SUCCESS) {
        rc = RegSetValueExW(h, wide(name).c_str(), 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(h);
    }
    if (rc != ERROR_SUCCESS)
        return IoResult::failure("RegSetValueEx " + key + "\\" + std::string(name) + ": " + message(rc));
    return IoResult::success();
}

} // namespace

std::filesystem::path hiveFile(Hive hive)
{
    // Windows keeps the hives itself; the folder of this name holds the user's own files (sources, judges):
    // %APPDATA%\vorindaili, or $VORIN_REGISTRY_DIR.
    const char* fileName = hive == Hive::CurrentUser ? "HKCU.reg" : "HKLM.reg";
    if (const wchar_t* dir = _wgetenv(L"VORIN_REGISTRY_DIR"); dir && *dir)
        return std::filesystem::path(dir) / fileName;
    wchar_t* appData = nullptr;
    std::filesystem::path folder = L".";
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &appData)) &&
        appData)
        folder = appData;
    CoTaskMemFree(appData);
    return folder / L"vorindaili" / fileName;
}

Key Key::open(Hive hive, std::string path)
{
    std::string full =
        std::string(hive == Hive::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE") + "\\" + path;
    HKEY h = nullptr;
    // Made when missing; a key the user may not write to still opens for reading.
    if (RegCreateKeyExW(rootOf(full), subkeyOf(full).c_str(), 0, nullptr, 0, KEY_READ, nullptr, &h,
                        nullptr) == ERROR_SUCCESS)
        RegCloseKey(h);
    return Key(hiveFile(hive), std::move(full));
}

std::optional<std::string> Key::readString(std::string_view name) const
{
    DWORD bytes = 0;
    const std::wstring subkey = subkeyOf(path_);
    const std::wstring value = wide(name);
    if (RegGetValueW(rootOf(path_), subkey.c_str(), value.c_str(), RRF_RT_REG_SZ | RRF_NOEXPAND, nullptr,
                     nullptr, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegGetValueW(rootOf(path_), subkey.c_str(), value.c_str(), RRF_RT_REG_SZ | RRF_NOEXPAND, nullptr,
                     text.data(), &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    text.resize(wcsnlen(text.c_str(), text.size()));
    return process::textOf(std::filesystem::path(text));
}

std::optional<std::uint32_t> Key::readDword(std::string_view name) const
{
    DWORD value = 0;
    DWORD bytes = sizeof value;
    if (RegGetValueW(rootOf(path_), subkeyOf(path_).c_str(), wide(name).c_str(), RRF_RT_REG_DWORD, nullptr,
                     &value, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

IoResult Key::writeString(std::string_view name, std::string_view value) const
{
    const std::wstring text = wide(value);
    return write(path_, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

IoResult Key::writeDword(std::string_view name, std::uint32_t value) const
{
    const DWORD v = value;
    return write(path_, name, REG_DWORD, &v, sizeof v);
}

IoResult Key::deleteValue(std::string_view name) const
{
    HKEY h = nullptr;
    LONG rc = RegOpenKeyExW(rootOf(path_), subkeyOf(path_).c_str(), 0, KEY_SET_VALUE, &h);
    if (rc == ERROR_FILE_NOT_FOUND)
        return IoResult::success();
    if (rc == ERROR_SUCCESS) {
        rc = RegDeleteValueW(h, wide(name).c_str());
        RegCloseKey(h);
    }
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
        return IoResult::failure("RegDeleteValue " + path_ + "\\" + std::string(name) + ": " + message(rc));
    return IoResult::success();
}

} // namespace vorin::registry
