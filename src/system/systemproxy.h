// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <string>

// The system proxy: the current user's Internet Settings ("ProxyEnable", "ProxyServer") in the registry
// store, and, where the desktop has proxy settings of its own (GNOME), those as well, so that the
// desktop's programs use the chosen proxy. The desktop's state is the one read when it exists. Setting
// VORIN_DESKTOP_PROXY=0 leaves the desktop's settings alone. Main thread.
namespace vorin::systemproxy {

// The current user's Internet Settings key.
inline constexpr const char* kInternetSettingsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// The system proxy as host:port, or "" when it is off.
std::string read();
// Makes hostPort the system proxy.
void enable(const std::string& hostPort);
// Switches the system proxy off; "ProxyServer" keeps the last proxy.
void disable();

} // namespace vorin::systemproxy
