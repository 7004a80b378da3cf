// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// Importing any list, then exporting it in every format: the table holds one row per colon line and the
// exports hold every row; an entry taken for a proxy names an endpoint only.
#include "files/jsonexport.h"
#include "files/proxyfiles.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::size_t lines = 0;
    // Every line is also a candidate proxy: one judged valid names an endpoint and nothing more (no scheme,
    // path or credentials), and reads back the same from its text.
    vorin::proxyfiles::forEachImportLine(text, [&](const vorin::ProxyEntry& entry) {
        ++lines;
        if (!entry.protocol.empty() && vorin::knownProtocol(entry.protocol) != entry.protocol)
            std::abort();
        const vorin::HostPort trimmed = vorin::HostPort::trimmed(entry.endpoint.host, entry.endpoint.port);
        if (trimmed.valid() && (trimmed.host.find_first_of("/@?#") != std::string::npos ||
                                vorin::HostPort::parse(trimmed.text()) != trimmed))
            std::abort();
    });
    vorin::ProxyTable table;
    vorin::proxyfiles::importBytes(table, text);
    if (table.rowCount() != lines)
        std::abort();
    for (auto format : {vorin::proxyfiles::Text, vorin::proxyfiles::Html, vorin::proxyfiles::Xml}) {
        const std::string out = vorin::proxyfiles::exportBytes(table, format, "2026-12-08 12:00:00");
        if (static_cast<std::size_t>(std::count(out.begin(), out.end(), '\n')) < lines)
            std::abort();
    }
    const std::string json = vorin::proxyfiles::jsonBytes(table);
    if (json.empty() || json.front() != '[')
        std::abort();
    return 0;
}
