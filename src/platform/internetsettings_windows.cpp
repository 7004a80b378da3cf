// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// Windows: the per-connection options of the internet library, for the LAN settings and every dial-up or
// VPN entry. What each connection had before the program's first switch is kept, UTF-16 as the system gives
// it, in "Connections\N" under the program's key: "Name" (empty for the LAN settings), "Flags", and
// "ProxyServer", "ProxyOverride" and "AutoConfigURL" where the connection had them.
#include "platform/internetsettings.h"

#include "platform/registry.h"
#include "platform/widetext.h"

#include <windows.h>

#include <ras.h>
#include <raserror.h>
#include <wininet.h>

#include <optional>
#include <vector>

namespace vorin::internetsettings {
namespace {

// One connection's options; a string the connection does not have is nothing.
struct Options {
    DWORD flags = PROXY_TYPE_DIRECT;
    std::optional<std::wstring> server;
    std::optional<std::wstring> bypass;
    std::optional<std::wstring> autoConfigUrl;
};

const std::wstring kMemoryKey = wide::fromGbk(std::string(registry::kProgramKey) + "\\Connections");

std::string systemMessage(DWORD code)
{
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_HMODULE,
                   GetModuleHandleW(L"wininet.dll"), code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string out = text ? wide::toUtf8(text) : "error " + std::to_string(code);
    LocalFree(text);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' '))
        out.pop_back();
    return out;
}

using EntryName = RASENTRYNAMEW; // a macro naming the struct

// The LAN settings ("") and the phone book's entries by name.
std::vector<std::wstring> connections()
{
    std::vector<std::wstring> out{L""};
    DWORD count = 0;
    std::vector<EntryName> entries(1);
    entries[0].dwSize = sizeof(EntryName);
    DWORD bytes = sizeof(EntryName);
    DWORD rc = RasEnumEntriesW(nullptr, nullptr, entries.data(), &bytes, &count);
    if (rc == ERROR_BUFFER_TOO_SMALL) {
        entries.assign(bytes / sizeof(EntryName) + 1, EntryName{});
        for (EntryName& e : entries)
            e.dwSize = sizeof(EntryName);
        bytes = static_cast<DWORD>(entries.size() * sizeof(EntryName));
        rc = RasEnumEntriesW(nullptr, nullptr, entries.data(), &bytes, &count);
    }
    if (rc == ERROR_SUCCESS) {
        for (DWORD i = 0; i < count && i < entries.size(); ++i) {
            if (entries[i].szEntryName[0])
                out.emplace_back(entries[i].szEntryName);
        }
    }
    return out;
}

INTERNET_PER_CONN_OPTION_LISTW listOf(const std::wstring& connection,
                                      std::vector<INTERNET_PER_CONN_OPTIONW>& o)
{
    INTERNET_PER_CONN_OPTION_LISTW list{};
    list.dwSize = sizeof list;
    list.pszConnection = connection.empty() ? nullptr : const_cast<wchar_t*>(connection.c_str());
    list.dwOptionCount = static_cast<DWORD>(o.size());
    list.pOptions = o.data();
    return list;
}

std::optional<std::wstring> taken(wchar_t* text)
{
    if (!text)
        return std::nullopt;
    std::wstring out = text;
    GlobalFree(text);
    return out;
}

// Wine's internet library takes only the flags and the server of the options, answers the bypass list only
// while the proxy is on and never the configuration script; it keeps the LAN settings in the key's values
// alone (which Windows' own library writes beside its options too). Under it the LAN's four values are read
// and written there as well.
bool wineLibrary()
{
    static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

std::optional<std::wstring> keyText(const wchar_t* name);

std::optional<Options> query(const std::wstring& connection)
{
    std::vector<INTERNET_PER_CONN_OPTIONW> o(4);
    o[0].dwOption = INTERNET_PER_CONN_FLAGS;
    o[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
    o[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
    o[3].dwOption = INTERNET_PER_CONN_AUTOCONFIG_URL;
    INTERNET_PER_CONN_OPTION_LISTW list = listOf(connection, o);
    DWORD size = sizeof list;
    if (!InternetQueryOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size))
        return std::nullopt;
    Options out;
    out.flags = o[0].Value.dwValue;
    out.server = taken(o[1].Value.pszValue);
    out.bypass = taken(o[2].Value.pszValue);
    out.autoConfigUrl = taken(o[3].Value.pszValue);
    // Windows 7 and later keep the flags as the user chose them apart (automatic detection may be switched
    // off for a while by the library itself): those are the ones to give back.
    std::vector<INTERNET_PER_CONN_OPTIONW> ui(1);
    ui[0].dwOption = INTERNET_PER_CONN_FLAGS_UI;
    INTERNET_PER_CONN_OPTION_LISTW uiList = listOf(connection, ui);
    size = sizeof uiList;
    if (InternetQueryOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &uiList, &size) &&
        (ui[0].Value.dwValue & PROXY_TYPE_DIRECT))
        out.flags = ui[0].Value.dwValue;
    if (connection.empty() && wineLibrary()) {
        out.server = keyText(L"ProxyServer");
        out.bypass = keyText(L"ProxyOverride");
        out.autoConfigUrl = keyText(L"AutoConfigURL");
        out.flags = (out.flags & PROXY_TYPE_PROXY) | PROXY_TYPE_DIRECT |
                    (out.autoConfigUrl ? PROXY_TYPE_AUTO_PROXY_URL : 0);
    }
    return out;
}

IoResult applyOptions(const std::wstring& connection, const Options& options)
{
    std::vector<INTERNET_PER_CONN_OPTIONW> o(4);
    o[0].dwOption = INTERNET_PER_CONN_FLAGS;
    o[0].Value.dwValue = options.flags;
    auto text = [](const std::optional<std::wstring>& s) {
        return s ? const_cast<wchar_t*>(s->c_str()) : nullptr;
    };
    o[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
    o[1].Value.pszValue = text(options.server);
    o[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
    o[2].Value.pszValue = text(options.bypass);
    o[3].dwOption = INTERNET_PER_CONN_AUTOCONFIG_URL;
    o[3].Value.pszValue = text(options.autoConfigUrl);
    INTERNET_PER_CONN_OPTION_LISTW list = listOf(connection, o);
    if (!InternetSetOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, sizeof list)) {
        const DWORD error = GetLastError();
        return IoResult::failure("InternetSetOption " +
                                 (connection.empty() ? std::string("LAN") : wide::toUtf8(connection)) + ": " +
                                 systemMessage(error));
    }
    if (connection.empty() && wineLibrary()) {
        const std::wstring key = wide::fromGbk(kKey);
        for (const auto& [name, text] :
             {std::pair{L"ProxyServer", &options.server}, std::pair{L"ProxyOverride", &options.bypass},
              std::pair{L"AutoConfigURL", &options.autoConfigUrl}}) {
            const LONG rc =
                *text ? RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, (*text)->c_str(),
                                        static_cast<DWORD>(((*text)->size() + 1) * sizeof(wchar_t)))
                      : RegDeleteKeyValueW(HKEY_CURRENT_USER, key.c_str(), name);
            if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
                return IoResult::failure("RegSetValueEx HKEY_CURRENT_USER\\" + std::string(kKey) + "\\" +
                                         wide::toUtf8(name) + ": " + systemMessage(static_cast<DWORD>(rc)));
        }
        InternetSetOptionW(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
    }
    return IoResult::success();
}

// The memory: one subkey per connection.
struct Remembered {
    std::wstring subkey;
    std::wstring name;
    Options options;
};

std::optional<std::wstring> valueText(HKEY key, const wchar_t* name)
{
    DWORD bytes = 0;
    if (RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, text.data(), &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

std::optional<std::wstring> keyText(const wchar_t* name)
{
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, wide::fromGbk(kKey).c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return std::nullopt;
    auto text = valueText(h, name);
    RegCloseKey(h);
    return text;
}

std::vector<Remembered> memory()
{
    std::vector<Remembered> out;
    HKEY root = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kMemoryKey.c_str(), 0, KEY_READ, &root) != ERROR_SUCCESS)
        return out;
    wchar_t subkey[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(root, i, subkey, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        HKEY h = nullptr;
        if (RegOpenKeyExW(root, subkey, 0, KEY_READ, &h) != ERROR_SUCCESS)
            continue;
        const std::optional<std::wstring> name = valueText(h, L"Name");
        if (!name) { // written only in part: the next switch writes it again
            RegCloseKey(h);
            continue;
        }
        Remembered r{subkey, *name, {}};
        DWORD flags = PROXY_TYPE_DIRECT;
        DWORD bytes = sizeof flags;
        RegGetValueW(h, nullptr, L"Flags", RRF_RT_REG_DWORD, nullptr, &flags, &bytes);
        r.options.flags = flags;
        r.options.server = valueText(h, L"ProxyServer");
        r.options.bypass = valueText(h, L"ProxyOverride");
        r.options.autoConfigUrl = valueText(h, L"AutoConfigURL");
        RegCloseKey(h);
        out.push_back(std::move(r));
    }
    RegCloseKey(root);
    return out;
}

IoResult keep(const std::wstring& subkey, const std::wstring& name, const Options& options)
{
    HKEY h = nullptr;
    const std::wstring path = kMemoryKey + L"\\" + subkey;
    LONG rc =
        RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr);
    auto setText = [&](const wchar_t* value, const std::optional<std::wstring>& text) {
        if (rc == ERROR_SUCCESS && text)
            rc = RegSetValueExW(h, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text->c_str()),
                                static_cast<DWORD>((text->size() + 1) * sizeof(wchar_t)));
    };
    setText(L"ProxyServer", options.server);
    setText(L"ProxyOverride", options.bypass);
    setText(L"AutoConfigURL", options.autoConfigUrl);
    if (rc == ERROR_SUCCESS)
        rc = RegSetValueExW(h, L"Flags", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&options.flags),
                            sizeof(DWORD));
    // The name last: a memory without it is incomplete and is written again at the next switch.
    setText(L"Name", name);
    if (h)
        RegCloseKey(h);
    if (rc != ERROR_SUCCESS)
        return IoResult::failure("RegSetValueEx HKEY_CURRENT_USER\\" + wide::toUtf8(path) + ": " +
                                 systemMessage(static_cast<DWORD>(rc)));
    return IoResult::success();
}

const Remembered* find(const std::vector<Remembered>& kept, const std::wstring& name)
{
    for (const Remembered& r : kept) {
        if (r.name == name)
            return &r;
    }
    return nullptr;
}

} // namespace

Proxy read()
{
    const auto lan = query(L"");
    if (!lan) {
        // The library would not answer: the key it keeps the LAN settings in.
        const auto key = registry::Key::open(registry::Hive::CurrentUser, kKey);
        return {key.readDword("ProxyEnable") == 1u, key.readString("ProxyServer").value_or(std::string())};
    }
    return {(lan->flags & PROXY_TYPE_PROXY) != 0, lan->server ? wide::toGbk(*lan->server) : std::string()};
}

IoResult set(const std::string& server)
{
    std::vector<Remembered> kept = memory();
    IoResult first = IoResult::success();
    auto note = [&first](IoResult r) {
        if (!r && first)
            first = std::move(r);
    };
    for (const std::wstring& connection : connections()) {
        const std::optional<Options> now = query(connection);
        const Remembered* before = find(kept, connection);
        if (!before && now) {
            // What the user had, before the program's first switch of this connection.
            std::wstring subkey = std::to_wstring(kept.size());
            for (int n = static_cast<int>(kept.size());; ++n) {
                subkey = std::to_wstring(n);
                bool used = false;
                for (const Remembered& r : kept)
                    used = used || r.subkey == subkey;
                if (!used)
                    break;
            }
            IoResult r = keep(subkey, connection, *now);
            note(r);
            if (!r)
                continue; // never switched without a memory to give back
            kept.push_back({subkey, connection, *now});
            before = &kept.back();
        }
        const std::optional<std::wstring>& users =
            before ? before->options.bypass : std::optional<std::wstring>();
        Options options;
        options.flags = PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY;
        options.server = wide::fromGbk(server);
        options.bypass = wide::fromUtf8(bypassList(users ? wide::toUtf8(*users) : std::string()));
        note(applyOptions(connection, options));
    }
    return first;
}

IoResult restore()
{
    const std::vector<Remembered> kept = memory();
    IoResult first = IoResult::success();
    if (kept.empty()) {
        // Nothing remembered (the program never switched, or a store of an earlier version): the proxy alone
        // goes off, as it always did.
        for (const std::wstring& connection : connections()) {
            if (auto now = query(connection); now && (now->flags & PROXY_TYPE_PROXY)) {
                now->flags = (now->flags & ~static_cast<DWORD>(PROXY_TYPE_PROXY)) | PROXY_TYPE_DIRECT;
                if (IoResult r = applyOptions(connection, *now); !r && first)
                    first = r;
            }
        }
        return first;
    }
    const std::vector<std::wstring> present = connections();
    for (const Remembered& r : kept) {
        bool exists = false;
        for (const std::wstring& c : present)
            exists = exists || c == r.name;
        // An entry deleted since has nothing to give back to.
        IoResult done = exists ? applyOptions(r.name, r.options) : IoResult::success();
        if (!done) {
            if (first)
                first = done;
            continue; // kept until it is back
        }
        const std::wstring path = kMemoryKey + L"\\" + r.subkey;
        RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
    }
    if (first)
        RegDeleteKeyW(HKEY_CURRENT_USER, kMemoryKey.c_str());
    return first;
}

} // namespace vorin::internetsettings
