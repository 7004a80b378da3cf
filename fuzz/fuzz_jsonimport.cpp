// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// A JSON list as vorindaili-cli guard reads it: whatever it holds, the rows' texts stay within their field
// sizes, and the program's own export of them reads back as the same rows.
#include "files/jsonexport.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace vorin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ProxyTable table;
    if (!proxyfiles::importJson(table, text))
        return 0;
    table.forEach([](std::size_t, const ProxyRecord& r) {
        for (Field f : {Field::Ip, Field::Port, Field::Protocol, Field::Location}) {
            if (r.textView(f).size() > fieldSize(f))
                std::abort();
        }
    });
    // A text cut to its byte size may end in half a GBK character, which the export writes as U+FFFD and
    // the next import as "?": from the second pass on, the export reads back as itself.
    ProxyTable back;
    if (!proxyfiles::importJson(back, proxyfiles::jsonBytes(table)))
        std::abort();
    const std::string twice = proxyfiles::jsonBytes(back);
    ProxyTable again;
    if (!proxyfiles::importJson(again, twice) || proxyfiles::jsonBytes(again) != twice)
        std::abort();
    return 0;
}
