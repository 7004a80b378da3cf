// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "system/systemproxy.h"

#include "platform/atomicfile.h"
#include "platform/desktopproxy.h"
#include "platform/hostport.h"
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

bool useDesktop()
{
    const char* v = std::getenv("VORIN_DESKTOP_PROXY");
    return !(v && std::string(v) == "0") && desktopproxy::available();
}

std::string hostPortOf(const std::string& host, int port)
{
    return host + ":" + std::to_string(port);
}

// Before the first switch: what the desktop has now, unless it is the program's own proxy of an earlier
// switch that remembered nothing (the desktop then goes back to no proxy, as stopping always did).
void rememberDesktop()
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

void restoreDesktop()
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
    if (!useDesktop())
        return std::nullopt;
    auto state = desktopproxy::read();
    if (!state)
        return std::nullopt;
    return state->manual && !state->host.empty() ? hostPortOf(state->host, state->port) : std::string();
}

void enable(const std::string& hostPort)
{
    if (useDesktop())
        rememberDesktop(); // while the store still says what the program set last
    auto key = settingsKey();
    key.writeDword("ProxyEnable", 1);
    key.writeString("ProxyServer", hostPort);
    if (useDesktop()) {
        const HostPort proxy = HostPort::parse(hostPort);
        desktopproxy::enable(proxy.host, proxy.port.empty() ? 80 : proxy.portNumber());
    }
    writeEnvFile(hostPort);
}

void disable()
{
    settingsKey().writeDword("ProxyEnable", 0);
    if (useDesktop())
        restoreDesktop();
    writeEnvFile({});
}

} // namespace vorin::systemproxy
