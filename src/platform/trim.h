// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <string>
#include <string_view>

namespace vorin {

// Removes leading and trailing bytes of value 32 (space) or less: blanks and control characters.
inline std::string_view trim(std::string_view s)
{
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 32)
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32)
        --e;
    return s.substr(b, e - b);
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
