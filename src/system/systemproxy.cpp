// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "system/systemproxy.h"

#include "platform/registry.h"

namespace vorin::systemproxy {

std::string read()
{
    auto key = registry::Key::open(registry::Hive::CurrentUser, kInternetSettingsKey);
    if (key.readDword("ProxyEnable") != 1u)
        return {};
    return key.readString("ProxyServer").value_or(std::string());
}

} // namespace vorin::systemproxy
