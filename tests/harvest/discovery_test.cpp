// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The list-page discovery and the two sources that read what it found.
#include "harvest/discovered.h"
#include "harvest/discovery.h"
#include "harvest/tdaili.h"
#include "platform/download.h"
#include "support/fakes.h"
#include "support/httpfixture.h"

#include <gtest/gtest.h>

namespace vorin {
namespace {

using test::g;
using Strings = std::vector<std::string>;
using namespace std::chrono_literals;

std::string join(const Strings& lines)
{
    std::string s;
    for (const auto& l : lines)
        s += l + "\r\n";
    return s;
}

const std::string kAdminMarker =
    "<h3><span class=\"boxhead\">" + g("最新更新资源") + "</span><span class=\"morelinks\">";

std::string adminPage()
{
    return join({"<html>", kAdminMarker, "<ul>",
                 "<li><a href=\"/ip/list1.html\">all</a> <a href=\"/ip/2026/1208a.html\" "
                 "title=\"new\">a</a>",
                 "<li><a href=\"/ip/2026/1207b.html\" title=\"old\">b</a>", "<li>never read</li>"});
}

std::string sooipPage()
{
    Strings lines = {"<h3>" + g("资讯列表") + "</h3>"};
    for (int i = 1; i <= 9; ++i)
        lines.push_back("<li><a href=\"/html/26/n" + std::to_string(i) +
                        ".html\" target=\"_blank\">t</a></li>");
    return join(lines);
}

std::string threeGPage()
{
    return join({"<div class=\"newslist\">", "<ul>", "<li><a href=\"/daili/zxhttp/77.html\">newest</a></li>",
                 "<li><a href=\"/daili/zxhttp/76.html\">older</a></li>"});
}

std::string haozsPage(const std::string& prefix)
{
    Strings lines = {"<div id=\"nw_left\">", "<p>no link</p>",
                     "<li><a href=\"" + prefix + "0.html\">" + g("顶") + " pinned</a></li>"};
    for (int i = 1; i <= 9; ++i)
        lines.push_back("<li><a href=\"" + prefix + std::to_string(i) + ".html\" class=x>t</a></li>");
    return join(lines);
}

std::string itmopPage()
{
    return join(
        {"<DIV ID=\"NEW_INFO_LIST\">", "<DL>", "  <DT><a href=\"http://www.itmop.test/proxy/1.html\">one</a>",
         "<DT><a href=\"http://www.itmop.test/proxy/2.html\">two</a>", "<DT><a href=\"third\">three</a>"});
}

TEST(Cutters, TakeTheirLinesRelativeToTheMarker)
{
    EXPECT_EQ(Tgetnewurl::cutadmin(Lines(adminPage()), "R"),
              (Strings{"R/ip/2026/1208a.html", "R/ip/2026/1207b.html"}));
    EXPECT_EQ(Tgetnewurl::cutsooip(Lines(sooipPage()), "R"),
              (Strings{"R/html/26/n4.html", "R/html/26/n8.html"}));
    EXPECT_EQ(Tgetnewurl::cut3ghttp(Lines(threeGPage()), "R"), Strings{"R/daili/zxhttp/77.html"});
    // Seven links, the pinned line skipped; relative links get the root and a slash.
    EXPECT_EQ(Tgetnewurl::cuthaozs(Lines(haozsPage("a/")), "R"),
              (Strings{"R/a/1.html", "R/a/2.html", "R/a/3.html", "R/a/4.html", "R/a/5.html", "R/a/6.html",
                       "R/a/7.html"}));
    // Kept as they stand: indentation in front, no root.
    EXPECT_EQ(Tgetnewurl::cutitmop(Lines(itmopPage())),
              (Strings{"  http://www.itmop.test/proxy/1.html", "http://www.itmop.test/proxy/2.html"}));
}

TEST(Cutters, SkipPagesWithoutMarkerAndKeepWhatAShortPageGave)
{
    const std::string noMarker = join({"<html>", "<a href=\"/x.html\" target=\"_blank\">", "</html>"});
    EXPECT_TRUE(Tgetnewurl::cutadmin(Lines(noMarker), "R").empty());
    EXPECT_TRUE(Tgetnewurl::cutsooip(Lines(noMarker), "R").empty());
    EXPECT_TRUE(Tgetnewurl::cut3ghttp(Lines(noMarker), "R").empty());
    EXPECT_TRUE(Tgetnewurl::cuthaozs(Lines(noMarker), "R").empty());
    EXPECT_TRUE(Tgetnewurl::cutitmop(Lines(noMarker)).empty());
    Strings shortSooip = {"<h3>" + g("资讯列表") + "</h3>",   "1", "2", "3",
                          "<a href=\"/only.html\" target=x>", "5"};
    EXPECT_EQ(Tgetnewurl::cutsooip(Lines(join(shortSooip)), "R"), Strings{"R/only.html"});
    EXPECT_TRUE(Tgetnewurl::cut3ghttp(Lines(join({"<div class=\"newslist\">", "x"})), "R").empty());
}

class DiscoveryTest : public ::testing::Test {
protected:
    void SetUp() override { download::setLimits({2000ms, 5000ms, 64u << 20}); }

    void serveAll()
    {
        server.serve("/ip/", adminPage());
        server.serve("/html/26/category-catid-126.html", sooipPage());
        server.serve("/daili/zxhttp/", threeGPage());
        server.serve("/Class.asp?ID=37", haozsPage("first/"));
        server.serve("/Class.asp?ID=36", haozsPage("second/"));
        server.serve("/proxy/", itmopPage());
    }

    test::HttpFixture server;
    test::TempDir pages{"discovery-pages"};
    Dispatcher dispatcher;
    Endpoints endpoints = test::endpointsAt(server.root());
    std::vector<Entry> appended;
    HarvestEnv env{dispatcher,
                   endpoints,
                   TempPaths(pages.path(), pages.path()),
                   [this](const Entry& e) { appended.push_back(e); },
                   {}};
    int listings = 0;
    bool busy = false;
    std::function<void(bool)> setbusy = [this](bool b) { busy = b; };
};

TEST_F(DiscoveryTest, AFullRunFillsBothListsInDiscoveryOrder)
{
    serveAll();
    tdaili coordinator(
        env, [this] { ++listings; }, setbusy);
    ASSERT_TRUE(test::pumpUntil(dispatcher, [&] { return coordinator.runningThreads() == 0; }));
    const std::string r = server.root();
    EXPECT_EQ(coordinator.pageurls.snapshot(),
              (Strings{r + "/ip/2026/1208a.html", r + "/ip/2026/1207b.html", r + "/html/26/n4.html",
                       r + "/html/26/n8.html", r + "/daili/zxhttp/77.html",
                       "  http://www.itmop.test/proxy/1.html", "http://www.itmop.test/proxy/2.html"}));
    auto haozs = coordinator.haozsurls.snapshot();
    ASSERT_EQ(haozs.size(), 14u);
    EXPECT_EQ(haozs.front(), r + "/first/1.html");
    EXPECT_EQ(haozs[7], r + "/second/1.html");
    EXPECT_EQ(coordinator.threadcount, 0); // discovery is not counted and lists nothing
    EXPECT_EQ(listings, 0);
    EXPECT_EQ(test::filesIn(pages.path()), 0u);
    EXPECT_EQ(server.requests().front(), "/ip/");
    EXPECT_EQ(server.requests().back(), "/proxy/");
}

TEST_F(DiscoveryTest, FailedDownloadsLeaveBothListsEmptyAndTheSpecificGroupStartsNothing)
{
    tdaili coordinator(
        env, [this] { ++listings; }, setbusy); // every index page answers 404
    ASSERT_TRUE(test::pumpUntil(dispatcher, [&] { return coordinator.runningThreads() == 0; }));
    EXPECT_EQ(server.requests().size(), 6u);
    EXPECT_EQ(coordinator.pageurls.count(), 0u);
    EXPECT_EQ(coordinator.haozsurls.count(), 0u);
    Strings shown;
    coordinator.onshowinfo = [&](const std::string& s) { shown.push_back(s); };
    coordinator.downurl();
    coordinator.downhaozs();
    EXPECT_EQ(coordinator.threadcount, 0);
    EXPECT_TRUE(shown.empty());
    EXPECT_FALSE(busy);
}

TEST_F(DiscoveryTest, DiscoveredSourcesRunWhileTheDiscoveryStillAppends)
{
    // Slow index pages keep the discovery appending while the harvest reads the lists.
    server.serve("/ip/", adminPage());
    server.serve("/html/26/category-catid-126.html",
                 test::HttpFixture::Response::with(200, sooipPage(), 100));
    server.serve("/daili/zxhttp/", test::HttpFixture::Response::with(200, threeGPage(), 100));
    server.serve("/proxy/", test::HttpFixture::Response::with(200, itmopPage(), 100));
    server.serve("/ip/2026/1208a.html", "<p>1.2.3.4:8080 and 5.6.7.8:3128</p>");
    server.serve("/ip/2026/1207b.html", "<p>9.9.9.9:80</p>");
    tdaili coordinator(
        env, [this] { ++listings; }, setbusy);
    ASSERT_TRUE(test::pumpUntil(dispatcher, [&] { return coordinator.pageurls.count() > 0; }));
    Strings shown;
    coordinator.onshowinfo = [&](const std::string& s) { shown.push_back(s); };
    coordinator.downurl();
    EXPECT_EQ(shown, Strings{g("正在从特定网站下载地址，请稍候...")});
    ASSERT_TRUE(test::pumpUntil(dispatcher, [&] { return coordinator.runningThreads() == 0; }));
    for (auto& r : server.requests())
        std::cerr << r << "\n";
    EXPECT_GE(appended.size(), 2u);
    EXPECT_EQ(appended[0].ip, "1.2.3.4");
    EXPECT_EQ(appended[0].port, "8080");
    EXPECT_EQ(listings, 1);
    EXPECT_EQ(test::filesIn(pages.path()), 0u);
}

TEST(DiscoveredSources, DownurlTakesEveryAddressAndPortOnThePage)
{
    Dispatcher d;
    Endpoints e;
    HarvestEnv env{d, e, TempPaths("/tmp", "/tmp"), [](const Entry&) {}, {}};
    UrlList urls;
    Tdownurl source(env, urls);
    Strings got;
    source.parse(Lines(join({"Today's list: 1.2.3.4:8080, fast.", "<tr><td>1.2.3.4:8080</td></tr>",
                             "<script>var p = '10.0.0.1:80:90';</script>", "1.2.3.4\r\n:80 is split"})),
                 [&](Entry entry) { got.push_back(entry.ip + "|" + entry.port); });
    EXPECT_EQ(got, (Strings{"1.2.3.4|8080", "1.2.3.4|8080", "10.0.0.1|80"}));
}

TEST(DiscoveredSources, GethaozsReadsSixLineRowsAndKeepsChineseIntact)
{
    Dispatcher d;
    Endpoints e;
    HarvestEnv env{d, e, TempPaths("/tmp", "/tmp"), [](const Entry&) {}, {}};
    UrlList urls;
    Tgethaozs source(env, urls);
    Strings lines = {"<html>", "<table>", "<TR BGCOLOR=\"#FFFFFF\" class=row>"};
    auto row = [&](const std::string& ip, const std::string& port, const std::string& loc, bool last) {
        lines.insert(lines.end(), {"<td align=\"center\">" + ip + "</td>", "<td>" + port + "</td>",
                                   "<td class=\"loc\">" + loc + "</td>", "<td>x</td>", "</tr>"});
        if (!last)
            lines.push_back("<tr bgcolor=\"#ffffff\">");
    };
    row("1.2.3.4", "8080", g("網絡") + "abc", false);
    row("5.6.7.8", "3128", g("北京"), true);
    lines.push_back("</table>");
    for (int i = 0; i < 15; ++i)
        lines.push_back("<p>footer</p>");
    Strings got;
    auto collect = [&](Entry entry) {
        got.push_back(entry.ip + "|" + entry.port + "|" + entry.location.value_or("-"));
    };
    source.parse(Lines(join(lines)), collect);
    EXPECT_EQ(got, (Strings{"1.2.3.4|8080|" + g("網絡") + "ABC", "5.6.7.8|3128|" + g("北京")}));

    // No data row, or too few lines to hold one: nothing.
    got.clear();
    source.parse(Lines(join(Strings(40, "<p>text</p>"))), collect);
    source.parse(Lines(join({"<tr bgcolor=#ffffff>", "<td>1.1.1.1</td>", "<td>1</td>", "<td>x</td>"})),
                 collect);
    EXPECT_TRUE(got.empty());

    // Fourteen entries: the first is never fetched.
    for (int i = 0; i < 14; ++i)
        urls.append("http://127.0.0.1:9/a" + std::to_string(i) + ".html");
    auto planned = source.pages();
    ASSERT_EQ(planned.size(), 13u);
    EXPECT_EQ(planned.front().fileName, "1.hao");
    EXPECT_EQ(planned.front().url, "http://127.0.0.1:9/a1.html");
    EXPECT_EQ(planned.back().fileName, "13.hao");
    EXPECT_EQ(planned.back().dir, TempPaths::Dir::Executable);
}

} // namespace
} // namespace vorin
