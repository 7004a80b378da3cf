// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "harvest/patterns.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vorin::patterns {
namespace {

std::vector<std::string> all(std::string_view s, bool withPort)
{
    std::vector<std::string> out;
    std::size_t from = 0;
    while (auto m = withPort ? findAddressWithPort(s, from) : findAddress(s, from)) {
        out.emplace_back(s.substr(m->pos, m->len));
        from = m->pos + m->len;
    }
    return out;
}

using Strings = std::vector<std::string>;

TEST(Patterns, AddressIsTheLeftmostGreedyMatch)
{
    EXPECT_EQ(all("ip 1.2.3.4 and 5.6.7.8", false), (Strings{"1.2.3.4", "5.6.7.8"}));
    EXPECT_EQ(all("<td>999.1.1.12345</td>", false), Strings{"999.1.1.12345"});
    EXPECT_EQ(all("1.2.3 then 44.5.6.7.8", false), Strings{"44.5.6.7"});
    EXPECT_EQ(all("12.34.56", false), Strings{});
    EXPECT_EQ(all("1..2.3.4 1.2.3.", false), Strings{});
    EXPECT_EQ(all("", false), Strings{});
}

TEST(Patterns, AddressWithPortFindsEveryMatchWithoutOverlap)
{
    EXPECT_EQ(all("text 1.2.3.4:8080, <td>1.2.3.4:8080</td> document.write('1.2.3.4:8080')", true),
              (Strings{"1.2.3.4:8080", "1.2.3.4:8080", "1.2.3.4:8080"}));
    EXPECT_EQ(all("10.0.0.1:80:90", true), Strings{"10.0.0.1:80"});
    // A failed start inside a run of digits and dots: the match begins further in.
    EXPECT_EQ(all("1.2.3.4.5:80", true), Strings{"2.3.4.5:80"});
    EXPECT_EQ(all("1.2.3.4:80.5.6.7.8:90", true), (Strings{"1.2.3.4:80", "5.6.7.8:90"}));
    EXPECT_EQ(all("1.2.3.4: 80 and 1.2.3.4", true), Strings{});
    EXPECT_EQ(all("1.2.3.4:", true), Strings{});
}

} // namespace
} // namespace vorin::patterns
