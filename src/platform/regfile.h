// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorin::registry {

// The text of one hive in REGEDIT4 form, parsed into keys and values. Lines it does not understand (other
// value types, continuation lines, broken lines) are kept verbatim in place and written back unchanged.
// Pure text code: no I/O, no threads.
class RegFile {
public:
    struct Entry {
        enum class Kind {
            String,
            Dword,
            Other, // a named value of another type, kept as its raw line
            Raw,   // a line that is no value at all, kept as it was read
        };
        Kind kind = Kind::Raw;
        std::string name; // value name; empty for Raw
        std::string text; // the string value, or the raw line of Other and Raw
        std::uint32_t dword = 0;
    };
    struct Section {
        std::string name; // key name as written between the brackets
        std::vector<Entry> entries;
    };

    // Parses text. Returns nothing when the text cannot be a hive at all (a NUL byte, or a first line that
    // is not a REGEDIT4 header), so that the caller backs the file up instead of rewriting it.
    static std::optional<RegFile> parse(std::string_view text);

    std::string serialize() const;

    // Finds the key (case-insensitive); createIfMissing appends an empty one.
    Section* find(std::string_view key, bool createIfMissing);
    const Section* find(std::string_view key) const;

    static const Entry* findValue(const Section& section, std::string_view name);
    static void setValue(Section& section, Entry entry);
    // Removes the value of that name (any case), if there is one.
    static void removeValue(Section& section, std::string_view name);

private:
    std::vector<std::string> preamble_; // lines before the first key, header excluded
    std::vector<Section> sections_;
};

} // namespace vorin::registry
