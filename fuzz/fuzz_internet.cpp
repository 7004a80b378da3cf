// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// What the program reads of the system's Internet Settings and of URLs before it hands them on: a bypass list
// (the user's, from the registry) and the host of a URL with an international name.
#include "platform/curlinit.h"
#include "platform/internetsettings.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    // The local entries are always there, "<local>" last, and nothing of the user's is lost but blanks,
    // repeats and "<local>" itself.
    const std::string list = vorin::internetsettings::bypassList(text);
    if (list.size() < 8 || list.compare(list.size() - 8, 8, ";<local>") != 0 ||
        list.size() > text.size() + 256)
        std::abort();
    // The span lies within the URL, after its "://", and holds a byte outside ASCII and no separator.
    if (const auto host = vorin::internationalHost(text)) {
        if (host->begin > host->end || host->end > text.size() || host->begin < 3 ||
            text.compare(text.find("://"), 3, "://") != 0)
            std::abort();
        bool wide = false;
        for (std::size_t i = host->begin; i < host->end; ++i) {
            const char c = text[i];
            if (c == '/' || c == '?' || c == '#' || c == '@' || c == ':')
                std::abort();
            wide = wide || static_cast<unsigned char>(c) >= 0x80;
        }
        if (!wide)
            std::abort();
    }
    return 0;
}
