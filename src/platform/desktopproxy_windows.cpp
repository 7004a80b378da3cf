// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// Windows has no GNOME settings: its system proxy is the Internet Settings key itself, which the program
// writes; what remains here is telling the session's programs that it changed.
#include "platform/desktopproxy.h"

#include <windows.h>
#include <wininet.h>

namespace vorin::desktopproxy {

bool available()
{
    return false;
}

bool withoutSession()
{
    return false;
}

std::optional<State> read()
{
    return std::nullopt;
}

bool enable(const std::string&, int)
{
    return false;
}

bool enableSocks(const std::string&, int)
{
    return false;
}

bool setSocks(const std::string&, int)
{
    return false;
}

bool authenticate(bool, const std::string&, const std::string&)
{
    return false;
}

bool authenticating()
{
    return false;
}

bool disable()
{
    return false;
}

std::optional<Settings> save()
{
    return std::nullopt;
}

bool restore(const Settings&)
{
    return false;
}

void announceInternetSettings()
{
    // The internet library and the browsers built on it read the key again, and open connections are
    // refreshed.
    InternetSetOptionW(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
    InternetSetOptionW(nullptr, INTERNET_OPTION_REFRESH, nullptr, 0);
}

} // namespace vorin::desktopproxy
