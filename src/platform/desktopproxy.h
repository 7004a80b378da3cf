// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <optional>
#include <string>

// The desktop's own proxy settings, where it has them: GNOME's GSettings schema org.gnome.system.proxy
// ("mode" none or manual, "http", "https" and "socks" host and port, the HTTP proxy's authentication).
// Switching the proxy writes them too, so the desktop's browsers and programs use the chosen proxy. Without
// the schema every call does nothing and reports it; nothing fails because of it. Main thread.
namespace vorin::desktopproxy {

struct State {
    bool manual = false;
    std::string host; // the HTTP proxy's
    int port = 0;
    std::string socksHost;
    int socksPort = 0;
};

// Whether the schema is installed and what is written is kept (no desktop session: not available).
bool available();
// Whether the schema is installed but the desktop session that keeps it cannot be reached (a console or a
// server without the session's bus, no backend chosen): settings a session changed cannot be put back from
// here. False on Windows.
bool withoutSession();
// The desktop's state, or nothing without the schema.
std::optional<State> read();
// Manual mode through host:port for HTTP and HTTPS; false without the schema.
bool enable(const std::string& host, int port);
// Manual mode through the SOCKS proxy host:port alone (the HTTP and HTTPS hosts emptied, which would
// otherwise come first); false without the schema.
bool enableSocks(const std::string& host, int port);
// The SOCKS host and port alone; false without the schema.
bool setSocks(const std::string& host, int port);
// The HTTP proxy's authentication: on with user and password, or off with them as given (empty by default),
// so that no earlier proxy's password stays in the desktop's settings.
bool authenticate(bool on, const std::string& user = {}, const std::string& password = {});
// Whether the HTTP proxy's authentication is on.
bool authenticating();
// Mode none; the hosts stay as they are. False without the schema.
bool disable();

// The settings a switch changes, as they are: "mode" ("none", "manual" or "auto", whose PAC address is
// never touched), the HTTP and HTTPS host and port, and (where known: nothing when the program did not
// remember them, and then they are left as they are) the SOCKS host and port and the HTTP proxy's
// authentication, so that stopping can put back what the desktop had before the program first set a proxy.
struct Settings {
    std::string mode;
    std::string httpHost;
    int httpPort = 0;
    std::string httpsHost;
    int httpsPort = 0;
    struct Socks {
        std::string host;
        int port = 0;
        bool operator==(const Socks&) const = default;
    };
    std::optional<Socks> socks;
    struct Authentication {
        bool on = false;
        std::string user;
        std::string password;
        bool operator==(const Authentication&) const = default;
    };
    std::optional<Authentication> authentication;

    bool operator==(const Settings&) const = default;
};
// The desktop's settings, or nothing without the schema.
std::optional<Settings> save();
// Writes them back; false without the schema or for a mode the schema does not have (nothing is written).
bool restore(const Settings& settings);

// Tells the session's programs that the Internet Settings key changed: on Windows the internet library's
// INTERNET_OPTION_SETTINGS_CHANGED and INTERNET_OPTION_REFRESH. Nothing on Linux, whose programs read the
// desktop's own settings (above) or proxy.env.
void announceInternetSettings();

// Whether a switch writes proxy.env, the proxy for shells and the programs they start (Linux).
#ifdef _WIN32
inline constexpr bool kShellProxyFile = false;
#else
inline constexpr bool kShellProxyFile = true;
#endif

} // namespace vorin::desktopproxy
