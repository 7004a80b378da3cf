// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "harvest/patterns.h"

namespace vorin::patterns {
namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Consumes a digit run at s[p]; returns the position after it, or npos when there is no digit.
std::size_t digits(std::string_view s, std::size_t p)
{
    std::size_t start = p;
    while (p < s.size() && isDigit(s[p]))
        ++p;
    return p == start ? std::string_view::npos : p;
}

// Length of the match at s[i], or 0.
std::size_t matchAt(std::string_view s, std::size_t i, bool withPort)
{
    std::size_t p = i;
    for (int group = 0; group < (withPort ? 5 : 4); ++group) {
        if (group > 0) {
            char separator = group == 4 ? ':' : '.';
            if (p >= s.size() || s[p] != separator)
                return 0;
            ++p;
        }
        p = digits(s, p);
        if (p == std::string_view::npos)
            return 0;
    }
    return p - i;
}

std::optional<Match> find(std::string_view s, std::size_t from, bool withPort)
{
    for (std::size_t i = from; i < s.size(); ++i) {
        if (!isDigit(s[i]) || (i > from && isDigit(s[i - 1])))
            continue;
        if (std::size_t n = matchAt(s, i, withPort))
            return Match{i, n};
    }
    return std::nullopt;
}

} // namespace

std::optional<Match> findAddress(std::string_view s, std::size_t from)
{
    return find(s, from, false);
}

std::optional<Match> findAddressWithPort(std::string_view s, std::size_t from)
{
    return find(s, from, true);
}

} // namespace vorin::patterns
