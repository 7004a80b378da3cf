// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <optional>
#include <string>

// The desktop's own proxy settings, where it has them: GNOME's GSettings schema org.gnome.system.proxy
// ("mode" none or manual, "http" and "https" host and port). Switching the proxy writes them too, so the
// desktop's browsers and programs use the chosen proxy. Without the schema every call does nothing and
// reports it; nothing fails because of it. Main thread.
namespace vorin::desktopproxy {

struct State {
    bool manual = false;
    std::string host;
    int port = 0;
};

// Whether the schema is installed and what is written is kept (no desktop session: not available).
bool available();
// The desktop's state, or nothing without the schema.
std::optional<State> read();
// Manual mode through host:port for HTTP and HTTPS; false without the schema.
bool enable(const std::string& host, int port);
// Mode none; the hosts stay as they are. False without the schema.
bool disable();

// The settings a switch changes, as they are: "mode" ("none", "manual" or "auto", whose PAC address is
// never touched) and the HTTP and HTTPS host and port, so that stopping can put back what the desktop
// had before the program first set a proxy.
struct Settings {
    std::string mode;
    std::string httpHost;
    int httpPort = 0;
    std::string httpsHost;
    int httpsPort = 0;

    bool operator==(const Settings&) const = default;
};
// The desktop's settings, or nothing without the schema.
std::optional<Settings> save();
// Writes them back; false without the schema or for a mode the schema does not have (nothing is written).
bool restore(const Settings& settings);

} // namespace vorin::desktopproxy
