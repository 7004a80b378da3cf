// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/kdeproxy.h"

#include "platform/atomicfile.h"
#include "platform/trim.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace vorin::kdeproxy {
namespace {

constexpr std::string_view kGroup = "Proxy Settings";

// One line of the text, without its line end, and where the next begins.
struct Line {
    std::string_view text;
    std::size_t next;
};

Line lineAt(std::string_view text, std::size_t from)
{
    const std::size_t end = text.find('\n', from);
    std::string_view line =
        text.substr(from, end == std::string_view::npos ? std::string_view::npos : end - from);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return {line, end == std::string_view::npos ? text.size() : end + 1};
}

// "[name]" gives name; nothing for other lines.
std::optional<std::string_view> groupOf(std::string_view line)
{
    line = trim(line);
    if (line.size() < 2 || line.front() != '[' || line.back() != ']')
        return std::nullopt;
    return line.substr(1, line.size() - 2);
}

// The key a "key=value" line sets, and its value; nothing for comments and other lines.
std::optional<std::pair<std::string_view, std::string_view>> entryOf(std::string_view line)
{
    if (trim(line).empty() || trim(line).front() == '#')
        return std::nullopt;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return std::pair{trim(line.substr(0, eq)), trim(line.substr(eq + 1))};
}

std::function<void()>& notifier()
{
    static std::function<void()> notify = sessionBusNotify;
    return notify;
}

// The file's text; "" when there is none, nothing when it cannot be read (a folder, an I/O error): such a
// file is never written over.
std::optional<std::string> readFile()
{
    std::error_code ec;
    const std::filesystem::path path = configFile();
    if (!std::filesystem::exists(path, ec) && !ec)
        return std::string();
    if (!std::filesystem::is_regular_file(path, ec))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes;
    char block[4096];
    while (in.read(block, sizeof block) || in.gcount() > 0)
        bytes.append(block, static_cast<std::size_t>(in.gcount()));
    if (in.bad())
        return std::nullopt;
    return bytes;
}

bool write(const std::vector<std::pair<std::string, std::optional<std::string>>>& values)
{
    const std::optional<std::string> text = readFile();
    if (!text)
        return false;
    // A link (a dotfile manager's) is followed: the file it names is edited, and the link stays.
    std::error_code ec;
    std::filesystem::path target = configFile();
    if (std::filesystem::is_symlink(target, ec)) {
        target = std::filesystem::canonical(target, ec);
        if (ec)
            return false;
    }
    if (!writeFileAtomically(target, withIniValues(*text, kGroup, values)))
        return false;
    notifier()();
    return true;
}

} // namespace

std::filesystem::path configFile()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config)
        return std::filesystem::path(config) / "kioslaverc";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : ".") / ".config" / "kioslaverc";
}

std::optional<std::string> iniValue(std::string_view text, std::string_view group, std::string_view key)
{
    std::optional<std::string> found;
    bool inGroup = false;
    for (std::size_t at = 0; at < text.size();) {
        const Line line = lineAt(text, at);
        at = line.next;
        if (auto g = groupOf(line.text)) {
            inGroup = *g == group;
        } else if (auto e = entryOf(line.text); inGroup && e && e->first == key) {
            found = std::string(e->second);
        }
    }
    return found;
}

std::string withIniValues(std::string_view text, std::string_view group,
                          const std::vector<std::pair<std::string, std::optional<std::string>>>& values)
{
    std::string out;
    std::vector<bool> written(values.size(), false);
    bool inGroup = false, sawGroup = false;
    auto addMissing = [&] {
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (!written[i] && values[i].second)
                out += values[i].first + "=" + *values[i].second + "\n";
            written[i] = true;
        }
    };
    for (std::size_t at = 0; at < text.size();) {
        const Line line = lineAt(text, at);
        const std::string_view raw = text.substr(at, line.next - at);
        at = line.next;
        if (auto g = groupOf(line.text)) {
            if (inGroup)
                addMissing();
            inGroup = *g == group;
            sawGroup = sawGroup || inGroup;
        } else if (auto e = entryOf(line.text); inGroup && e) {
            auto it = std::find_if(values.begin(), values.end(),
                                   [&](const auto& v) { return v.first == e->first; });
            if (it != values.end()) {
                const auto i = static_cast<std::size_t>(it - values.begin());
                if (!written[i] && it->second)
                    out += it->first + "=" + *it->second + "\n";
                written[i] = true;
                continue;
            }
        }
        out += raw;
        if (!raw.empty() && raw.back() != '\n')
            out += '\n';
    }
    if (inGroup) {
        addMissing();
    } else if (!sawGroup && std::any_of(values.begin(), values.end(),
                                        [](const auto& v) { return v.second.has_value(); })) {
        if (!out.empty())
            out += '\n';
        out += "[" + std::string(group) + "]\n";
        addMissing();
    }
    return out;
}

Settings save()
{
    const std::string text = readFile().value_or(std::string());
    return {iniValue(text, kGroup, "ProxyType"), iniValue(text, kGroup, "httpProxy"),
            iniValue(text, kGroup, "httpsProxy"), iniValue(text, kGroup, "socksProxy")};
}

bool restore(const Settings& settings)
{
    std::vector<std::pair<std::string, std::optional<std::string>>> values = {
        {"ProxyType", settings.type}, {"httpProxy", settings.http}, {"httpsProxy", settings.https}};
    if (settings.socks)
        values.emplace_back("socksProxy", *settings.socks);
    return write(values);
}

bool enable(const std::string& host, int port)
{
    const std::string proxy = "http://" + host + " " + std::to_string(port);
    return write({{"ProxyType", "1"}, {"httpProxy", proxy}, {"httpsProxy", proxy}});
}

bool enableSocks(const std::string& host, int port)
{
    return write({{"ProxyType", "1"},
                  {"httpProxy", std::nullopt},
                  {"httpsProxy", std::nullopt},
                  {"socksProxy", "socks://" + host + " " + std::to_string(port)}});
}

bool setSocks(const std::optional<std::string>& value)
{
    return write({{"socksProxy", value}});
}

std::string read()
{
    const Settings now = save();
    const auto& socks = now.socks ? *now.socks : std::nullopt;
    const bool http = now.http && !now.http->empty();
    if (now.type != "1" || (!http && (!socks || socks->empty())))
        return {};
    std::string_view value = http ? *now.http : *socks;
    if (const std::size_t scheme = value.find("://"); scheme != std::string_view::npos)
        value.remove_prefix(scheme + 3);
    // Credentials in the value ("user:password@host") are the user's: never shown, never compared.
    if (const std::size_t at = value.rfind('@', value.find(' ')); at != std::string_view::npos)
        value.remove_prefix(at + 1);
    const std::size_t space = value.rfind(' ');
    if (space == std::string_view::npos)
        return std::string(value);
    return std::string(value.substr(0, space)) + ":" + std::string(trim(value.substr(space + 1)));
}

void setNotifier(std::function<void()> notify)
{
    notifier() = std::move(notify);
}

} // namespace vorin::kdeproxy
