// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The small text cuts: the letter-coded and character-coded ports, and cutting an element out of a line.
#include "harvest/antipalivo.h"
#include "harvest/htmltables.h"
#include "platform/idioms.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    (void)vorin::tdowncnp::letterport(text);
    if (vorin::Tantipalivo::codeport(text).size() > size + 1)
        std::abort();
    // The first byte splits the input into a tag and a line.
    if (size > 0) {
        const std::size_t tagLength = data[0] % 8;
        const std::string rest = text.substr(1);
        const std::string tag = rest.substr(0, tagLength);
        std::string line = rest.substr(std::min(tagLength, rest.size()));
        const std::size_t before = line.size();
        const std::string cut = vorin::idioms::cuttag(line, tag);
        if (line.size() + cut.size() > before + tag.size() + 2)
            std::abort();
    }
    return 0;
}
