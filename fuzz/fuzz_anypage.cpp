// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The cutter for pages of any shape (text, HTML tables, JSON): every entry it finds names a valid endpoint,
// a known protocol and credentials without breaks (a URL's decoded once), and comes from the page's own
// bytes; so does one entry read as a command line names it.
#include "harvest/anypage.h"
#include "platform/hostport.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view page(reinterpret_cast<const char*>(data), size);
    std::size_t found = 0;
    vorin::cutAnyPage(page, "http", [&](vorin::ProxyEntry e) {
        ++found;
        if (!e.endpoint.valid() || vorin::knownProtocol(e.protocol) != e.protocol ||
            e.credentials.find_first_of("\r\n") != std::string::npos ||
            e.endpoint.host.size() + e.endpoint.port.size() > size)
            std::abort();
        const vorin::Entry row = vorin::toEntry(e);
        if (!row.protocol || row.protocol->size() > 6)
            std::abort();
    });
    if (found > size)
        std::abort();
    // One entry as a command line names it (URL credentials decoded): the same promises.
    if (const auto e = vorin::parseProxyEntry(page)) {
        if (!e->endpoint.valid() || e->credentials.find_first_of("\r\n") != std::string::npos ||
            e->credentials.size() > size)
            std::abort();
    }
    return 0;
}
