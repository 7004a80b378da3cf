// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "platform/hostport.h"
#include "platform/internetsettings.h"
#include "platform/ioresult.h"

#include <filesystem>
#include <optional>
#include <string>

// The system proxy: the current user's Internet Settings ("ProxyEnable", "ProxyServer") in the registry
// store, which are the truth; where the desktop has proxy settings of its own (GNOME's, or KDE's
// kioslaverc when XDG_CURRENT_DESKTOP names KDE), those as well, so that the desktop's programs use the
// chosen proxy; and proxy.env beside the store for shells. A proxy goes to each in the kind it is: an HTTP
// proxy (one checked over HTTP or CONNECT) as "host:port" and the desktops' HTTP and HTTPS proxy, a SOCKS
// proxy as "socks=host:port" and the desktops' SOCKS proxy. The program's key keeps what the store cannot
// say ("proxyprotocol" when it is not HTTP, "proxycredentials" when the proxy has them). The first switch
// remembers what the desktop had (GNOME: "desktopmode", "desktophttp", "desktophttps" and
// "desktopsocks" with their ports, "desktopauth" with its user and password; KDE: "kdebefore", "kdetype",
// "kdehttp", "kdehttps", "kdesocks"; all in the program's key) and stopping puts it back, forgetting it
// only once it is back; a desktop the program never changed is left alone. Setting
// VORIN_DESKTOP_PROXY=0 leaves the desktop's settings alone. On Windows the Internet Settings are every
// connection's options, remembered before the first switch and given back by the stop
// (platform/internetsettings.h); no desktop's settings and no proxy.env are written there. Main thread.
namespace vorin::systemproxy {

// The current user's Internet Settings key.
inline constexpr const char* kInternetSettingsKey = internetsettings::kKey;

// The system proxy with its protocol and credentials; nothing when it is off.
std::optional<ProxyEntry> current();
// The system proxy as the status line names it, "" when it is off: "host:port" for an HTTP proxy (the
// stored text as it is), "socks5://host:port" for a SOCKS one. Never the credentials.
std::string read();
// How a proxy is named to the user, as read() names the system proxy.
std::string nameOf(const ProxyEntry& proxy);
// The desktop's own proxy when it is not the system proxy: "" when it uses none, its host:port otherwise;
// nothing when it agrees, or has no settings of its own (or is left alone).
std::optional<std::string> desktopDiffers();

// What a switch did.
struct Outcome {
    IoResult result;                 // what could not be written (the rest was)
    bool credentialsDropped = false; // the desktop's own settings cannot hold the proxy's credentials
};
// Makes proxy the system proxy.
Outcome enable(const ProxyEntry& proxy);
// Switches the system proxy off; "ProxyServer" keeps the last proxy. The desktop's earlier settings are
// forgotten only once they are back.
Outcome disable();

// Whether the system proxy cannot carry the proxy itself and only the local relay can: on Windows a SOCKS5
// proxy (the internet library and the browsers speak SOCKS4 alone) or one with credentials (they keep
// none). Never on Linux.
bool needsRelay(const ProxyEntry& proxy);

// The local relay as the system proxy: marked while the system proxy points at it ("relayactive" 1 and
// "relayaddress" its host:port in the program's key), so that a start after a crash or a forced end finds
// the system proxy pointing at a relay that no longer runs; nothing (markRelay(std::nullopt)) clears it.
IoResult markRelay(const std::optional<HostPort>& relay);
// Where the mark says the system proxy points at a relay and nothing listens there any more: the earlier
// settings back (disable()) and the mark cleared once they are. found is false when there was nothing to
// repair (no mark, a relay still answering, or a system proxy the user changed since, which only clears
// the mark).
struct Repair {
    bool found = false;
    Outcome outcome;
};
Repair repairLeftoverRelay();

// The shell file (private: it may carry credentials): exports of http_proxy, https_proxy, HTTP_PROXY,
// HTTPS_PROXY (an HTTP proxy) or all_proxy and ALL_PROXY (socks5h:// or socks4a://), and no_proxy, while a
// proxy is set; the unsetting of them once it is stopped.
std::filesystem::path envFile();

} // namespace vorin::systemproxy
