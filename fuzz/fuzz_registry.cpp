// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The settings store's reader: any file it accepts is written back in a form that reads the same, and a
// string value stored in it reads back unchanged.
#include "platform/regfile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using vorin::registry::RegFile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto parsed = RegFile::parse(text);
    if (parsed) {
        const std::string once = parsed->serialize();
        auto again = RegFile::parse(once);
        if (!again || again->serialize() != once)
            std::abort();
    }
    // The input as a value of a fresh store.
    RegFile store = *RegFile::parse("REGEDIT4\r\n");
    RegFile::Entry e;
    e.kind = RegFile::Entry::Kind::String;
    e.name = "downoption";
    e.text = std::string(text);
    RegFile::setValue(*store.find("HKEY_CURRENT_USER\\SOFTWARE\\VORINSOFT\\vorindaili", true), e);
    auto back = RegFile::parse(store.serialize());
    if (!back)
        std::abort();
    const auto* section = back->find("HKEY_CURRENT_USER\\SOFTWARE\\VORINSOFT\\vorindaili");
    const auto* value = section ? RegFile::findValue(*section, "downoption") : nullptr;
    if (!value || value->text != e.text)
        std::abort();
    return 0;
}
