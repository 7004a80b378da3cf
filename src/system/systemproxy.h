// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <filesystem>
#include <optional>
#include <string>

// The system proxy: the current user's Internet Settings ("ProxyEnable", "ProxyServer") in the registry
// store, which are the truth; where the desktop has proxy settings of its own (GNOME's, or KDE's
// kioslaverc when XDG_CURRENT_DESKTOP names KDE), those as well, so that the desktop's programs use the
// chosen proxy; and proxy.env beside the store for shells. The first switch remembers what the desktop
// had (GNOME: "desktopmode", "desktophttp" and "desktophttps" with their ports; KDE: "kdebefore",
// "kdetype", "kdehttp", "kdehttps"; all in the program's key) and stopping puts it back; a desktop the
// program never changed is left alone. Setting
// VORIN_DESKTOP_PROXY=0 leaves the desktop's settings alone. Main thread.
namespace vorin::systemproxy {

// The current user's Internet Settings key.
inline constexpr const char* kInternetSettingsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// The system proxy as host:port, or "" when it is off.
std::string read();
// The desktop's own proxy as host:port ("" when it uses none), or nothing when the desktop has no
// settings of its own (or is left alone).
std::optional<std::string> desktop();
// Makes hostPort the system proxy.
void enable(const std::string& hostPort);
// Switches the system proxy off; "ProxyServer" keeps the last proxy.
void disable();

// The shell file: exports of http_proxy, https_proxy, HTTP_PROXY, HTTPS_PROXY and no_proxy while a proxy
// is set, and the unsetting of the four proxies once it is stopped.
std::filesystem::path envFile();

} // namespace vorin::systemproxy
