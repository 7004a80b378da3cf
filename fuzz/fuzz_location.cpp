// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The location lookup's answer page, and the query text built from an address.
#include "geo/iplookup.h"
#include "platform/lines.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (vorin::iplookup::cutLocation(vorin::Lines(text)).size() > size)
        std::abort();
    // The query never carries a byte that could end or split the URL.
    for (char c : vorin::iplookup::percentEncode(text)) {
        if (static_cast<unsigned char>(c) <= ' ' || static_cast<unsigned char>(c) >= 0x7f || c == '&' ||
            c == '#' || c == '/' || c == '?')
            std::abort();
    }
    return 0;
}
