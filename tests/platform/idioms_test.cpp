// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/idioms.h"
#include "platform/lines.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

namespace vorin {
namespace {

using namespace idioms;

TEST(Idioms, PosAndCopyAtTheirBounds)
{
    EXPECT_EQ(Pos("b", "abcb"), 2);
    EXPECT_EQ(Pos("B", "abcb"), 0);
    EXPECT_EQ(Pos("", "abc"), 0);
    EXPECT_EQ(Pos("x", ""), 0);
    struct Case {
        std::int64_t start;
        std::int64_t count;
        const char* want;
    };
    const Case cases[] = {
        {1, 3, "abc"}, {0, 2, "ab"}, {-5, 1, "a"}, {3, 1, "c"},  {3, 9, "c"},
        {4, 1, ""},    {2, 0, ""},   {2, -1, ""},  {1, 2, "ab"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Copy("abc", c.start, c.count), c.want) << c.start << "," << c.count;
    EXPECT_EQ(Copy("", 1, 1), "");
}

TEST(Idioms, TrimReplaceAndSplit)
{
    EXPECT_EQ(trim("\t\r\n x y \x01"), "x y");
    EXPECT_EQ(trim("  "), "");
    EXPECT_EQ(ReplaceAll("aaa", "aa", "a"), "aa"); // replaced text is not scanned again
    EXPECT_EQ(ReplaceAll("+c+d", "+c", "1"), "1+d");
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(splitFirstColon("1.2.3.4:8080"), (std::pair<std::string, std::string>{"1.2.3.4", "8080"}));
    EXPECT_EQ(splitFirstColon("10.0.0.1:80:90"), (std::pair<std::string, std::string>{"10.0.0.1", "80:90"}));
    EXPECT_EQ(splitFirstColon("no colon"), (std::pair<std::string, std::string>{"", "no colon"}));
    EXPECT_EQ(splitFirstColon(":"), (std::pair<std::string, std::string>{"", ""}));
}

TEST(Idioms, CaseConversionKeepsGbkCharactersIntact)
{
    EXPECT_EQ(UpperCase("http <td>Ab</td>"), "HTTP <TD>AB</TD>");
    EXPECT_EQ(LowerCase("<TR BGCOLOR=#FFFFFF>"), "<tr bgcolor=#ffffff>");
    // The second bytes of these characters have the codes of ASCII letters: 網 BE 57 ('W'), 絡 BD 6A ('j'),
    // 說 D5 66 ('f'), 圖 88 44 ('D').
    const std::string chinese = test::g("網絡 說 圖 北京");
    EXPECT_EQ(UpperCase(chinese), chinese);
    EXPECT_EQ(LowerCase(chinese), chinese);
    EXPECT_EQ(UpperCase(test::g("與x")), test::g("與X"));
}

TEST(Idioms, CuttagTakesElementsOneByOne)
{
    std::string line = "<td>1.2.3.4</td><td>8080</td>";
    EXPECT_EQ(cuttag(line, "td"), "1.2.3.4");
    EXPECT_EQ(line, "<td>8080</td>");
    EXPECT_EQ(cuttag(line, "td"), "8080");
    EXPECT_EQ(line, "");

    // Two identical cells go in one call.
    line = "<td>same</td><td>same</td><td>third</td>";
    EXPECT_EQ(cuttag(line, "td"), "same");
    EXPECT_EQ(cuttag(line, "td"), "third");

    // Attributes, nested tags and a prefix-matching name.
    line = "<td class=\"x\"><b>bold</b></td>";
    EXPECT_EQ(cuttag(line, "td"), "<b>bold</b>");
    line = "<tdx>a</td>";
    EXPECT_EQ(cuttag(line, "td"), "a");

    // A missing tag gives something harmless and nothing fails.
    line = "no tags at all";
    EXPECT_NO_THROW(cuttag(line, "td"));
    line = "";
    EXPECT_EQ(cuttag(line, "td"), "");
    line = "</td> before <td>open";
    EXPECT_NO_THROW(cuttag(line, "td"));
}

TEST(Idioms, ToIntAcceptsOnlyAWholeNumber)
{
    EXPECT_EQ(toInt("1060"), 1060);
    EXPECT_EQ(toInt("  080"), 80);
    EXPECT_EQ(toInt("-7"), -7);
    EXPECT_EQ(toInt("12a"), std::nullopt);
    EXPECT_EQ(toInt(""), std::nullopt);
    EXPECT_EQ(toInt("8 "), std::nullopt);
    EXPECT_EQ(toInt("2147483647"), 2147483647);
    EXPECT_EQ(toInt("2147483648"), std::nullopt);
    EXPECT_EQ(toInt("-2147483648"), -2147483647 - 1);
}

TEST(Lines, SplitsAtEveryLineEndAndStopsAtNul)
{
    struct Case {
        std::string text;
        std::vector<std::string> want;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"a\r\n", {"a"}},
        {"\r\n\r\n", {"", ""}},
        {"a\n\rb", {"a", "", "b"}},
        {test::bytes("a\nb\0c\nd"), {"a", "b"}},
    };
    for (const Case& c : cases) {
        Lines lines(c.text);
        std::vector<std::string> got;
        for (std::size_t i = 0; i < lines.size(); ++i)
            got.emplace_back(lines[i]);
        EXPECT_EQ(got, c.want);
    }
    Lines moved = Lines(std::string("x\ny"));
    Lines target;
    target = std::move(moved);
    ASSERT_EQ(target.size(), 2u);
    EXPECT_EQ(target[1], "y");
    EXPECT_FALSE(Lines::load("/nonexistent/file"));
}

} // namespace
} // namespace vorin
