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

// Whether the schema is installed.
bool available();
// The desktop's state, or nothing without the schema.
std::optional<State> read();
// Manual mode through host:port for HTTP and HTTPS; false without the schema.
bool enable(const std::string& host, int port);
// Mode none; the hosts stay as they are. False without the schema.
bool disable();

} // namespace vorin::desktopproxy
