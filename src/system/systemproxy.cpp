// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "system/systemproxy.h"

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

bool useDesktop()
{
    const char* v = std::getenv("VORIN_DESKTOP_PROXY");
    return !(v && std::string(v) == "0") && desktopproxy::available();
}

} // namespace

std::string read()
{
    if (useDesktop()) {
        if (auto state = desktopproxy::read()) {
            if (!state->manual || state->host.empty())
                return {};
            return state->host + ":" + std::to_string(state->port);
        }
    }
    auto key = settingsKey();
    if (key.readDword("ProxyEnable") != 1u)
        return {};
    return key.readString("ProxyServer").value_or(std::string());
}

void enable(const std::string& hostPort)
{
    auto key = settingsKey();
    key.writeDword("ProxyEnable", 1);
    key.writeString("ProxyServer", hostPort);
    if (useDesktop()) {
        const HostPort proxy = HostPort::parse(hostPort);
        desktopproxy::enable(proxy.host, proxy.port.empty() ? 80 : proxy.portNumber());
    }
}

void disable()
{
    settingsKey().writeDword("ProxyEnable", 0);
    if (useDesktop())
        desktopproxy::disable();
}

} // namespace vorin::systemproxy
