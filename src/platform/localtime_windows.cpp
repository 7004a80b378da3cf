// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/localtime.h"

#include "platform/process.h"

#include <windows.h>

namespace vorin {

// The user's short date and long time formats (GetDateFormatEx, GetTimeFormatEx), in the user's locale.
std::string localDateTime(std::time_t t)
{
    std::tm tm{};
    localtime_s(&tm, &t);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(tm.tm_year + 1900);
    st.wMonth = static_cast<WORD>(tm.tm_mon + 1);
    st.wDay = static_cast<WORD>(tm.tm_mday);
    st.wDayOfWeek = static_cast<WORD>(tm.tm_wday);
    st.wHour = static_cast<WORD>(tm.tm_hour);
    st.wMinute = static_cast<WORD>(tm.tm_min);
    st.wSecond = static_cast<WORD>(tm.tm_sec);
    wchar_t date[128] = {};
    wchar_t time[128] = {};
    GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 128, nullptr);
    std::wstring out = date;
    if (tm.tm_hour != 0 || tm.tm_min != 0 || tm.tm_sec != 0) {
        GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &st, nullptr, time, 128);
        out += L' ';
        out += time;
    }
    return process::textOf(std::filesystem::path(out));
}

} // namespace vorin
