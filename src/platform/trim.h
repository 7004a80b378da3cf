// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <type_traits>

namespace vorin {

// Removes leading and trailing characters of value 32 (space) or less: blanks and control characters. For
// the program's bytes, and for a file name in the system's own characters (UTF-16 on Windows).
template <typename Char> std::basic_string_view<Char> trimmed(std::basic_string_view<Char> s)
{
    auto blank = [](Char c) { return static_cast<std::make_unsigned_t<Char>>(c) <= 32; };
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && blank(s[b]))
        ++b;
    while (e > b && blank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

inline std::string_view trim(std::string_view s)
{
    return trimmed(s);
}

// Whether two texts are equal with ASCII letters compared without their case (header names, registry names,
// host names); other bytes compare as they are.
inline bool equalsNoCase(std::string_view a, std::string_view b)
{
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

// The bytes of a piece of HTML with its tags ("<br>", "<td class=x>") left out, trimmed.
inline std::string untagged(std::string_view html)
{
    std::string out;
    bool inTag = false;
    for (char c : html) {
        if (c == '<')
            inTag = true;
        else if (c == '>')
            inTag = false;
        else if (!inTag)
            out += c;
    }
    return std::string(trim(out));
}

} // namespace vorin
