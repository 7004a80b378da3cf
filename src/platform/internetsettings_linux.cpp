// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// Linux: the two values in the store's Internet Settings key, as the program has always kept them.
#include "platform/internetsettings.h"

#include "platform/registry.h"

namespace vorin::internetsettings {
namespace {

registry::Key settingsKey()
{
    return registry::Key::open(registry::Hive::CurrentUser, kKey);
}

} // namespace

Proxy read()
{
    const auto key = settingsKey();
    return {key.readDword("ProxyEnable") == 1u, key.readString("ProxyServer").value_or(std::string())};
}

IoResult set(const std::string& server)
{
    const auto key = settingsKey();
    IoResult r = key.writeDword("ProxyEnable", 1);
    if (IoResult s = key.writeString("ProxyServer", server); !s && r)
        r = s;
    return r;
}

IoResult restore()
{
    return settingsKey().writeDword("ProxyEnable", 0);
}

} // namespace vorin::internetsettings
