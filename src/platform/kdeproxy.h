// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// KDE Plasma's proxy settings: the group [Proxy Settings] of kioslaverc in the user's configuration folder
// ("ProxyType" 1 for a manual proxy, "httpProxy" and "httpsProxy" as "http://host port", "socksProxy" as
// "socks://host port"). The file is
// edited in place: every other group, key, comment and line stays as it was. After a change the running
// KIO workers are told to read it again (the session bus signal org.kde.KIO.Scheduler
// reparseSlaveConfiguration on /KIO/Scheduler). Main thread.
namespace vorin::kdeproxy {

// $XDG_CONFIG_HOME/kioslaverc (default ~/.config/kioslaverc).
std::filesystem::path configFile();

// The values as the file has them; nothing for a key it does not have. socks is known only when the
// program remembered it (nothing: left as it is on restore).
struct Settings {
    std::optional<std::string> type;
    std::optional<std::string> http;
    std::optional<std::string> https;
    std::optional<std::optional<std::string>> socks;

    bool operator==(const Settings&) const = default;
};
Settings save();
// Writes them back (a key that was missing is removed again); false when the file cannot be written.
bool restore(const Settings& settings);
// A manual proxy through host:port for HTTP and HTTPS.
bool enable(const std::string& host, int port);
// A manual SOCKS proxy through host:port alone (the HTTP and HTTPS proxies removed, which would come first).
bool enableSocks(const std::string& host, int port);
// The SOCKS proxy's value alone (nothing: the key removed).
bool setSocks(const std::optional<std::string>& value);
// The manual proxy as host:port (the HTTP proxy's, else the SOCKS proxy's), "" when the type is not manual.
std::string read();

// The value of key in group of an INI text (the last line that sets it); nothing when it has none.
std::optional<std::string> iniValue(std::string_view text, std::string_view group, std::string_view key);
// The text with each key of group set to its value, or removed for nothing; the group is added at the end
// when missing, a missing key at the end of its group. Every other line stays as it was.
std::string withIniValues(std::string_view text, std::string_view group,
                          const std::vector<std::pair<std::string, std::optional<std::string>>>& values);

// The session bus signal that tells the KIO workers (nothing on Windows, which has no KDE session).
void sessionBusNotify();
// What tells the KIO workers; the session bus signal unless a test puts its own.
void setNotifier(std::function<void()> notify);

} // namespace vorin::kdeproxy
