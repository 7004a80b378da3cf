// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "geo/offline.h"
#include "platform/widetext.h"

#include <windows.h>

#include <string>

namespace vorin {

std::string chineseRegionName(std::string_view isoCode)
{
    if (isoCode.size() != 2)
        return {};
    const std::wstring code{wchar_t(isoCode[0]), wchar_t(isoCode[1])};
    // GetGeoInfoEx (Windows 10) is looked up at run time: the cross-compiler's headers do not declare it.
    using GetGeoInfoExFn = int(WINAPI*)(PWSTR, GEOTYPE, PWSTR, int);
    static const auto getGeoInfoEx = reinterpret_cast<GetGeoInfoExFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetGeoInfoEx")));
    if (!getGeoInfoEx)
        return {};
    wchar_t name[128];
    const int n = getGeoInfoEx(const_cast<wchar_t*>(code.c_str()), GEO_FRIENDLYNAME, name, 128);
    if (n <= 1)
        return {};
    return wide::toUtf8(std::wstring_view(name, static_cast<std::size_t>(n - 1)));
}

} // namespace vorin
