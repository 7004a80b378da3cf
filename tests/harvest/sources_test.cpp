// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The seven list sources' cut rules, on pages given as text.
#include "harvest/antipalivo.h"
#include "harvest/feeds.h"
#include "harvest/htmltables.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

namespace vorin {
namespace {

class SourcesTest : public ::testing::Test {
protected:
    // Runs the source's scan over page and returns "ip|port|protocol|location" per entry.
    template <typename Source> std::vector<std::string> cut(const std::string& page)
    {
        Source source(env);
        std::vector<std::string> out;
        source.parse(Lines(page), [&](Entry e) {
            out.push_back(e.ip + "|" + e.port + "|" + e.protocol.value_or("-") + "|" +
                          e.location.value_or("-"));
        });
        return out;
    }

    static std::string join(const std::vector<std::string>& lines, const char* end = "\r\n")
    {
        std::string s;
        for (const auto& l : lines)
            s += l + end;
        return s;
    }

    Dispatcher dispatcher;
    Endpoints endpoints = test::loopbackEndpoints();
    HarvestEnv env{dispatcher, endpoints, TempPaths("/tmp", "/tmp"), [](const Entry&) {}, {}};
};

using Strings = std::vector<std::string>;

const std::string kCnpHeader =
    "<tr><td width=\"140\">IP:Port</td><td width=\"40\">Type</td><td width=\"90\">Speed</td>"
    "<td width=\"160\"> Country/Area</td></tr>";

std::string cnpRow(const std::string& ip, const std::string& codes, const std::string& location)
{
    return "<tr><td>" + ip + "<SCRIPT type=text/javascript>document.write(\":\"" + codes +
           ")</SCRIPT></td><td>HTTP</td><td>2.1</td><td>" + location + "</td></tr>";
}

TEST_F(SourcesTest, CnproxyDecodesLetterPortsAndDropsTheSpeed)
{
    const std::string page =
        join({"<html><table>", kCnpHeader, cnpRow("1.2.3.4", "+c+d+w+d", test::g("北京")),
              cnpRow("5.6.7.8", "+r+d+r+d", "US"), cnpRow("9.9.9.9", "+c+x", "JP"),
              "<tr><td>no script</td><td>SOCKS</td><td>1</td><td>CN</td></tr>", "</table>",
              cnpRow("7.7.7.7", "+r", "after table"), "</html>"});
    EXPECT_EQ(cut<tdowncnp>(page), (Strings{"1.2.3.4|1060|HTTP|" + test::g("北京"), "5.6.7.8|8080|HTTP|US",
                                            "9.9.9.9|80|HTTP|JP", "|80||"}));
    // A row without a script loses its first characters to the cut and its cells with them; kept all the
    // same.
    EXPECT_EQ(tdowncnp::letterport("document.write(\":\"+c+d+w+d)"), 1060);
    EXPECT_EQ(tdowncnp::letterport("document.write(\":\"+d+d+r+d)"), 80); // "0080": leading zeros go
    EXPECT_EQ(tdowncnp::letterport(""), 80);
}

TEST_F(SourcesTest, CnproxyNeedsTheExactHeaderAfterLineZeroAndNeverReadsTheLastLine)
{
    const std::string row = cnpRow("1.2.3.4", "+r", "X");
    EXPECT_TRUE(cut<tdowncnp>(join({"<html>", kCnpHeader + " ", row, "</table>", "end"})).empty());
    EXPECT_TRUE(cut<tdowncnp>(join({kCnpHeader, row, "</table>", "end"})).empty());
    // Without "</table>" rows run on until the last line, which is never read.
    EXPECT_EQ(cut<tdowncnp>(join({"<html>", kCnpHeader, row, row})).size(), 1u);
    EXPECT_TRUE(cut<tdowncnp>(join({"<html>", kCnpHeader})).empty());
}

const std::string kProxycnMarker = "<TR align=\"center\" bgcolor=\"#fbfbfb\" onDblClick=\"clip(";

TEST_F(SourcesTest, ProxycnCutsAtAFixedPositionAndSkipsTheLastTwoLines)
{
    auto row = [](const std::string& addr) { return kProxycnMarker + "'" + addr + "');alert('copied')\">"; };
    const std::string page =
        join({"<table>", row("1.2.3.4:8080"), "<td>other</td>", " " + row("5.6.7.8:3128"),
              row("10.0.0.1:80:90"), row("9.9.9.9:1"), row("8.8.8.8:2")});
    // The leading blank shifts the cut's start by one (the end stays); the last two lines are not examined.
    EXPECT_EQ(cut<Tproxycn>(page), (Strings{"1.2.3.4|8080|-|-", "'5.6.7.8|3128|-|-", "10.0.0.1|80:90|-|-"}));
    // A marker line without ");alert(" gives a meaningless cut that is kept all the same.
    EXPECT_EQ(cut<Tproxycn>(join({kProxycnMarker + "'1.1.1.1:1')", "x", "y"})).size(), 1u);
}

TEST_F(SourcesTest, ProxynetReadsSevenLineEntriesFromTheNinthLineAfterTheMarker)
{
    Strings lines = {"<html>", "<div class=\"content\"><table id=\"proxy-list\" width=\"100%\">"};
    for (int i = 0; i < 8; ++i)
        lines.push_back("<tr><th>head " + std::to_string(i) + "</th></tr>");
    auto entry = [&](const std::string& ip, const std::string& port, const std::string& kind,
                     const std::string& country) {
        for (const auto& cell : {ip, port, kind, country})
            lines.push_back("<td class=\"c\">" + cell + "</td>");
        lines.insert(lines.end(), {"<td>x</td>", "</tr>", "<tr>"});
    };
    entry("1.2.3.4", "8080", "anonymous", "spain");
    entry("5.6.7.8", "3128", "http", test::g("網絡"));
    lines.push_back("  </table>  ");
    entry("9.9.9.9", "1", "after", "table");
    for (int i = 0; i < 8; ++i)
        lines.push_back("</div>");
    EXPECT_EQ(cut<Tproxynet>(join(lines)),
              (Strings{"1.2.3.4|8080|ANONYMOUS|SPAIN", "5.6.7.8|3128|HTTP|" + test::g("網絡")}));
    // Without the marker nothing is read.
    lines.erase(lines.begin() + 1);
    EXPECT_TRUE(cut<Tproxynet>(join(lines)).empty());
}

TEST_F(SourcesTest, RosinstrumentStartsAtTheImageEndAndSkipsTheLastTwoLines)
{
    Strings feed = {"<?xml version=\"1.0\"?>",
                    "<rss><channel>",
                    "<title>Proxy list</title>",
                    "<image>",
                    "<title>Logo</title>",
                    "</image>",
                    "<item><title>1.2.3.4:8080</title><link>x</link></item>",
                    "<item><title>no colon</title></item>",
                    "<item><title>5.6.7.8:3128</title></item>",
                    "<item><title>9.9.9.9:1</title></item>",
                    "</channel></rss>"};
    EXPECT_EQ(cut<tdownros>(join(feed)), (Strings{"1.2.3.4|8080|-|-", "|no colon|-|-", "5.6.7.8|3128|-|-"}));
    feed[5] = " </image>";
    EXPECT_TRUE(cut<tdownros>(join(feed)).empty());
}

TEST_F(SourcesTest, ProxylistsTakesEveryLineWithAColon)
{
    const std::string list = join(
        {"# list of proxies", "", "1.2.3.4:8080", "some text:more", "5.6.7.8:80:extra", " 9.9.9.9:1 "}, "\n");
    EXPECT_EQ(cut<Tproxylists>(list),
              (Strings{"1.2.3.4|8080|-|-", "some text|more|-|-", "5.6.7.8|80:extra|-|-", " 9.9.9.9|1 |-|-"}));
}

TEST_F(SourcesTest, AntipalivoStartsTwoLinesAfterTheMarkerAndStopsAtTheTail)
{
    auto row = [](const std::string& ip, const std::string& code) {
        return "<tr><td>" + ip + "</td><td><script>decode(\"" + code + "\");</script></td></tr>";
    };
    Strings lines = {"<table>",
                     "<td align=\"center\" colspan=\"5\">HTTP</td></tr>",
                     row("7.7.7.7", "57,49"),
                     row("1.2.3.4", "57,49,57,49"),
                     "<TR><TD>5.6.7.8</TD><TD><SCRIPT>DECODE(\"51,50\");</SCRIPT></TD></TR>",
                     row("999.1.1.1", ""),
                     "</table>",
                     row("9.9.9.9", "50")};
    for (int i = 0; i < 210; ++i)
        lines.push_back("<p>filler</p>");
    EXPECT_EQ(cut<Tantipalivo>(join(lines)),
              (Strings{"1.2.3.4|8080|-|-", "5.6.7.8|21|-|-", "999.1.1.1||-|-"}));

    // Entry lines within the last 210 are never read.
    lines.erase(lines.end() - 208, lines.end());
    EXPECT_EQ(cut<Tantipalivo>(join(lines)).size(), 0u);
    EXPECT_EQ(Tantipalivo::codeport("decode(\"57,49,57,49\");</script>"), "8080");
    EXPECT_EQ(Tantipalivo::codeport("decode(\"5049\");</script>"), "10");
}

TEST_F(SourcesTest, HostilePagesCutWithoutHarm)
{
    std::string noise;
    std::uint32_t x = 12345;
    for (int i = 0; i < 200000; ++i) {
        x = x * 1103515245 + 12345;
        noise += static_cast<char>(x >> 24);
    }
    const std::string pages[] = {noise, std::string(100000, '<'), std::string(5000, '\n'),
                                 test::bytes("<td>\0</td>"), kCnpHeader + "\n" + std::string(70000, 'x')};
    for (const auto& page : pages) {
        EXPECT_NO_THROW(cut<tdowncnp>(page));
        EXPECT_NO_THROW(cut<Tproxycn>(page));
        EXPECT_NO_THROW(cut<Tproxynet>(page));
        EXPECT_NO_THROW(cut<tdownros>(page));
        EXPECT_NO_THROW(cut<Tproxylists>(page));
        EXPECT_NO_THROW(cut<Tantipalivo>(page));
    }
}

} // namespace
} // namespace vorin
