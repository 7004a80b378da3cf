// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "platform/ioresult.h"

#include <string>

// The current user's Internet Settings: the system proxy the internet library and the browsers follow.
// Linux keeps them as "ProxyEnable" and "ProxyServer" in the store. Windows keeps them per connection (the
// LAN settings and every dial-up or VPN entry) as flags, a proxy server, a bypass list and an automatic
// configuration address; the program writes them through the internet library, so that automatic detection
// and a configuration script give way to the chosen proxy, and before its first switch it remembers what
// each connection had (under the program's key, "Connections") and gives exactly that back when the proxy
// is switched off. A memory is forgotten only once it is back. Main thread.
namespace vorin::internetsettings {

// The current user's Internet Settings key.
inline constexpr const char* kKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// The proxy as the settings hold it: whether it is used and its server text ("host:port" or
// "socks=host:port"), which stays when the proxy is off.
struct Proxy {
    bool on = false;
    std::string server;
};
Proxy read();

// The program's proxy, server as "host:port" or "socks=host:port". On Windows for every connection, with a
// bypass list of the local names, loopback and the private ranges besides the user's own entries, no
// automatic detection and no configuration script; what the user had is remembered first.
IoResult set(const std::string& server);

// The proxy off: on Windows every connection's remembered settings given back; without a memory (or on
// Linux) the proxy alone switched off, its server kept.
IoResult restore();

// The bypass list written with a proxy: the user's entries first, then the local ones it lacks, "<local>"
// last (WinINet's syntax, ';' apart).
std::string bypassList(const std::string& users);

} // namespace vorin::internetsettings
