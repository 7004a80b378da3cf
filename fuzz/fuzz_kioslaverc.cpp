// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// KDE's kioslaverc as the proxy switch edits it: whatever the file holds, the values set read back as set,
// the values removed read back as missing, and every other group's value stays what it was.
#include "platform/kdeproxy.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace vorin::kdeproxy;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string group = "Proxy Settings";
    const std::string on =
        withIniValues(text, group, {{"ProxyType", "1"}, {"httpProxy", "http://127.0.0.1 8080"}});
    if (iniValue(on, group, "ProxyType") != "1" ||
        iniValue(on, group, "httpProxy") != "http://127.0.0.1 8080")
        std::abort();
    if (iniValue(on, "General", "ProxyType") != iniValue(text, "General", "ProxyType"))
        std::abort();
    const std::string off =
        withIniValues(on, group, {{"ProxyType", std::nullopt}, {"httpProxy", std::nullopt}});
    if (iniValue(off, group, "ProxyType") || iniValue(off, group, "httpProxy"))
        std::abort();
    return 0;
}
