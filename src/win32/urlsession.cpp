// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "win32/urlsession.h"

#include <windows.h>

#include <urlmon.h>
#include <wininet.h>

#include <vector>

namespace vorin::win32::urlsession {

void setProxy(const ProxyEntry& proxy)
{
    // The URL sessions read INTERNET_PROXY_INFO with ANSI strings, whatever the program's character set.
    struct ProxyInfo {
        DWORD accessType;
        LPCSTR proxy;
        LPCSTR bypass;
    };
    std::string server;
    if (!proxy.endpoint.empty()) {
        const Protocol kind = kindOf(proxy);
        server =
            (kind == Protocol::Socks4 || kind == Protocol::Socks5 ? "socks=" : "") + proxy.endpoint.text();
    }
    const ProxyInfo info{server.empty() ? static_cast<DWORD>(INTERNET_OPEN_TYPE_DIRECT)
                                        : static_cast<DWORD>(INTERNET_OPEN_TYPE_PROXY),
                         server.empty() ? nullptr : server.c_str(), server.empty() ? nullptr : "<local>"};
    UrlMkSetSessionOption(INTERNET_OPTION_PROXY, const_cast<ProxyInfo*>(&info), sizeof info, 0);
    // Connections kept open to the earlier proxy are not used again.
    InternetSetOptionW(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
}

namespace {

// One cache entry in a buffer that grows to what the call asks for; nullptr when the walk ends.
struct Entry {
    std::vector<BYTE> buffer = std::vector<BYTE>(4096);

    INTERNET_CACHE_ENTRY_INFOW* info()
    {
        return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
    }

    template <typename Call> bool fetch(Call call)
    {
        for (int attempt = 0; attempt < 2; ++attempt) {
            DWORD size = static_cast<DWORD>(buffer.size());
            info()->dwStructSize = sizeof(INTERNET_CACHE_ENTRY_INFOW);
            if (call(info(), &size))
                return true;
            if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
                return false;
            buffer.resize(size);
        }
        return false;
    }
};

} // namespace

int purge(const std::wstring& urlPart)
{
    Entry entry;
    HANDLE walk = nullptr;
    if (!entry.fetch([&](INTERNET_CACHE_ENTRY_INFOW* info, DWORD* size) {
            walk = FindFirstUrlCacheEntryW(nullptr, info, size);
            return walk != nullptr;
        }))
        return 0; // an empty cache
    int deleted = 0;
    do {
        const INTERNET_CACHE_ENTRY_INFOW* info = entry.info();
        if ((info->CacheEntryType & NORMAL_CACHE_ENTRY) && info->lpszSourceUrlName &&
            std::wstring_view(info->lpszSourceUrlName).find(urlPart) != std::wstring_view::npos &&
            DeleteUrlCacheEntryW(info->lpszSourceUrlName))
            ++deleted;
    } while (entry.fetch([&](INTERNET_CACHE_ENTRY_INFOW* info, DWORD* size) {
        return FindNextUrlCacheEntryW(walk, info, size) != FALSE;
    }));
    FindCloseUrlCache(walk);
    return deleted;
}

} // namespace vorin::win32::urlsession
