// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/internetsettings.h"

#include "platform/trim.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace vorin::internetsettings {

std::string bypassList(const std::string& users)
{
    // Intranet names and loopback never go to a public proxy, nor do the private and link-local ranges.
    static constexpr std::string_view kLocal[] = {
        "localhost", "127.*",    "10.*",     "172.16.*",  "172.17.*",  "172.18.*", "172.19.*", "172.20.*",
        "172.21.*",  "172.22.*", "172.23.*", "172.24.*",  "172.25.*",  "172.26.*", "172.27.*", "172.28.*",
        "172.29.*",  "172.30.*", "172.31.*", "192.168.*", "169.254.*", "[::1]",    "<local>"};
    std::vector<std::string> entries;
    auto has = [&entries](std::string_view e) {
        return std::any_of(entries.begin(), entries.end(),
                           [e](const std::string& x) { return equalsNoCase(x, e); });
    };
    for (std::string_view rest = users; !rest.empty();) {
        const std::size_t semi = rest.find(';');
        const std::string_view e = trim(rest.substr(0, semi));
        if (!e.empty() && !equalsNoCase(e, "<local>") && !has(e))
            entries.emplace_back(e);
        rest = semi == std::string_view::npos ? std::string_view() : rest.substr(semi + 1);
    }
    for (std::string_view e : kLocal) {
        if (!has(e))
            entries.emplace_back(e);
    }
    std::string out;
    for (const std::string& e : entries)
        out += (out.empty() ? "" : ";") + e;
    return out;
}

} // namespace vorin::internetsettings
