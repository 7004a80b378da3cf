// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The five cutters of the list-page discovery over any page.
#include "fuzz/harness.h"
#include "harvest/discovery.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using vorin::Tgetnewurl;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string root = "http://r";
    auto check = [&](const std::vector<std::string>& urls) {
        for (const auto& u : urls) {
            if (u.size() > size + root.size() + 5)
                std::abort();
        }
    };
    const vorin::Lines lines(text);
    check(Tgetnewurl::cutadmin(lines, root));
    check(Tgetnewurl::cutsooip(lines, root));
    check(Tgetnewurl::cut3ghttp(lines, root));
    check(Tgetnewurl::cuthaozs(lines, root));
    check(Tgetnewurl::cutitmop(lines));
    return 0;
}
