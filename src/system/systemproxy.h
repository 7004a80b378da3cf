// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <string>

namespace vorin::systemproxy {

// The current user's Internet Settings key, which holds "ProxyEnable" (REG_DWORD) and "ProxyServer".
inline constexpr const char* kInternetSettingsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// The system proxy as host:port when "ProxyEnable" is the number 1, else "". Main thread.
std::string read();

} // namespace vorin::systemproxy
