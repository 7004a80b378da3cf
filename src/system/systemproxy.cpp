// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "system/systemproxy.h"

#include "platform/atomicfile.h"
#include "platform/desktopproxy.h"
#include "platform/hostport.h"
#include "platform/kdeproxy.h"
#include "platform/registry.h"

#include <cstdlib>

namespace vorin::systemproxy {
namespace {

registry::Key settingsKey()
{
    return registry::Key::open(registry::Hive::CurrentUser, kInternetSettingsKey);
}

registry::Key programKey()
{
    return registry::Key::open(registry::Hive::CurrentUser, registry::kProgramKey);
}

enum class Desktop {
    None,
    Gnome, // and the other desktops that keep GNOME's proxy settings
    Kde,
};

// Told apart by XDG_CURRENT_DESKTOP ("KDE", or a list such as "ubuntu:GNOME").
Desktop desktopKind()
{
    const char* v = std::getenv("VORIN_DESKTOP_PROXY");
    if (v && std::string(v) == "0")
        return Desktop::None;
    const char* current = std::getenv("XDG_CURRENT_DESKTOP");
    for (std::string_view rest = current ? current : ""; !rest.empty();) {
        const std::size_t colon = rest.find(':');
        if (rest.substr(0, colon) == "KDE")
            return Desktop::Kde;
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
    return desktopproxy::available() ? Desktop::Gnome : Desktop::None;
}

// A KDE value as the store keeps it: "=" before a value, "" for a key the file did not have.
std::string stored(const std::optional<std::string>& value)
{
    return value ? "=" + *value : std::string();
}
std::optional<std::string> unstored(const std::optional<std::string>& text)
{
    if (!text || text->empty() || text->front() != '=')
        return std::nullopt;
    return text->substr(1);
}

void rememberKde()
{
    registry::Key program = programKey();
    if (program.readString("kdebefore").value_or(std::string()) == "1")
        return;
    const kdeproxy::Settings now = kdeproxy::save();
    program.writeString("kdetype", stored(now.type));
    program.writeString("kdehttp", stored(now.http));
    program.writeString("kdehttps", stored(now.https));
    program.writeString("kdebefore", "1");
}

void restoreKde()
{
    registry::Key program = programKey();
    if (program.readString("kdebefore").value_or(std::string()) != "1")
        return; // never changed by the program: left as it is
    kdeproxy::restore({unstored(program.readString("kdetype")), unstored(program.readString("kdehttp")),
                       unstored(program.readString("kdehttps"))});
    program.writeString("kdebefore", "");
}

std::string hostPortOf(const std::string& host, int port)
{
    return host + ":" + std::to_string(port);
}

// Before the first switch: what the desktop has now, unless it is the program's own proxy of an earlier
// switch that remembered nothing (the desktop then goes back to no proxy, as stopping always did).
void rememberGnome()
{
    registry::Key program = programKey();
    if (!program.readString("desktopmode").value_or(std::string()).empty())
        return;
    auto now = desktopproxy::save();
    if (!now)
        return;
    const registry::Key settings = settingsKey();
    if (now->mode == "manual" && settings.readDword("ProxyEnable") == 1u &&
        settings.readString("ProxyServer") == hostPortOf(now->httpHost, now->httpPort))
        now->mode = "none";
    program.writeString("desktophttp", now->httpHost);
    program.writeDword("desktophttpport", static_cast<std::uint32_t>(now->httpPort));
    program.writeString("desktophttps", now->httpsHost);
    program.writeDword("desktophttpsport", static_cast<std::uint32_t>(now->httpsPort));
    program.writeString("desktopmode", now->mode);
}

void restoreGnome()
{
    registry::Key program = programKey();
    const std::string mode = program.readString("desktopmode").value_or(std::string());
    if (mode.empty())
        return; // never changed by the program: left as it is
    auto port = [&](const char* name) {
        return static_cast<int>(program.readDword(name).value_or(0) & 0xFFFF);
    };
    desktopproxy::restore(
        {mode, program.readString("desktophttp").value_or(std::string()), port("desktophttpport"),
         program.readString("desktophttps").value_or(std::string()), port("desktophttpsport")});
    program.writeString("desktopmode", "");
}

void writeEnvFile(const std::string& hostPort)
{
    std::string text = "# The system proxy of Vorin, for shells: . " + envFile().string() + "\n";
    // Only a valid host:port is written, and it is quoted: a shell sources this file.
    const HostPort proxy = HostPort::parse(hostPort);
    if (proxy.valid()) {
        const std::string url = "'http://" + proxy.text() + "'";
        for (const char* name : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY"})
            text += std::string("export ") + name + "=" + url + "\n";
        text += "export no_proxy='localhost,127.0.0.0/8,::1'\n";
    } else {
        text += "unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY\n";
    }
    writeFileAtomically(envFile(), text);
}

} // namespace

std::filesystem::path envFile()
{
    return registry::hiveFile(registry::Hive::CurrentUser).parent_path() / "proxy.env";
}

std::string read()
{
    auto key = settingsKey();
    if (key.readDword("ProxyEnable") != 1u)
        return {};
    return key.readString("ProxyServer").value_or(std::string());
}

std::optional<std::string> desktop()
{
    const Desktop kind = desktopKind();
    if (kind == Desktop::Kde)
        return kdeproxy::read();
    if (kind != Desktop::Gnome)
        return std::nullopt;
    auto state = desktopproxy::read();
    if (!state)
        return std::nullopt;
    return state->manual && !state->host.empty() ? hostPortOf(state->host, state->port) : std::string();
}

void enable(const std::string& hostPort)
{
    const Desktop kind = desktopKind();
    if (kind == Desktop::Gnome)
        rememberGnome(); // while the store still says what the program set last
    else if (kind == Desktop::Kde)
        rememberKde();
    auto key = settingsKey();
    key.writeDword("ProxyEnable", 1);
    key.writeString("ProxyServer", hostPort);
    const HostPort proxy = HostPort::parse(hostPort);
    const int port = proxy.port.empty() ? 80 : proxy.portNumber();
    if (kind == Desktop::Gnome)
        desktopproxy::enable(proxy.host, port);
    else if (kind == Desktop::Kde)
        kdeproxy::enable(proxy.host, port);
    writeEnvFile(hostPort);
}

void disable()
{
    settingsKey().writeDword("ProxyEnable", 0);
    const Desktop kind = desktopKind();
    if (kind == Desktop::Gnome)
        restoreGnome();
    else if (kind == Desktop::Kde)
        restoreKde();
    writeEnvFile({});
}

} // namespace vorin::systemproxy
