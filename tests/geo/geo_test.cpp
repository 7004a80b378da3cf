// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "app/frmvrdl.h"
#include "geo/iplookup.h"
#include "geo/offline.h"
#include "platform/download.h"
#include "support/fakes.h"
#include "support/httpfixture.h"

#include <gtest/gtest.h>

namespace vorin {
namespace {

using test::g;

std::string answerPage(const std::string& location, int linesAfter = 4)
{
    std::string page = "<html>\r\n<table>\r\n<tr><td align=\"center\"><ul class=\"ul1\"><li>" +
                       g("本站主数据：") + location + "</li><li>" + g("参考数据：") +
                       "x</li></ul></td></tr>\r\n";
    for (int i = 0; i < linesAfter; ++i)
        page += "<p>more</p>\r\n";
    return page;
}

TEST(IpLookup, CutsTheLocationBetweenTheColonAndTheListEnd)
{
    EXPECT_EQ(iplookup::cutLocation(Lines(answerPage(g("北京市 电信")))), g("北京市 电信"));
    EXPECT_EQ(iplookup::cutLocation(Lines(answerPage(g("北京"), 3))), ""); // the marker too near the end
    EXPECT_EQ(iplookup::cutLocation(Lines(answerPage("", 4))), "");
    const std::string noColon =
        "<td align=\"center\"><ul class=\"ul1\"><li>" + g("本站主数据") + "</li>\n1\n2\n3\n4\n";
    EXPECT_EQ(iplookup::cutLocation(Lines(noColon)), "");
    EXPECT_EQ(iplookup::cutLocation(Lines("<html>\n1\n2\n3\n4\n5\n")), "");
}

TEST(IpLookup, EncodesTheAddressInTheQuery)
{
    EXPECT_EQ(iplookup::percentEncode("1.2.3.4"), "1.2.3.4");
    EXPECT_EQ(iplookup::percentEncode(" 1.2.3.4&a=b"), "%201.2.3.4%26a%3Db");
    EXPECT_EQ(iplookup::percentEncode("../../x"), "..%2F..%2Fx");
}

class GetCityTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        download::setLimits({std::chrono::milliseconds(2000), std::chrono::milliseconds(5000), 64u << 20});
        endpoints.set("iplookup", server.root());
        form = std::make_unique<Tfrmvrdl>(view, dispatcher, clock, endpoints,
                                          TempPaths(pages.path(), pages.path()));
    }
    void TearDown() override { form.reset(); }
    void add(const std::string& ip, const std::string& location = {})
    {
        form->table().append();
        form->table().setText(Field::Ip, ip);
        if (!location.empty())
            form->table().setText(Field::Location, location);
        form->table().post();
    }

    test::HttpFixture server;
    test::TempDir dir{"getcity-registry"};
    test::TempDir pages{"getcity-pages"};
    test::ScopedEnv registryEnv_{"VORIN_REGISTRY_DIR", dir.path().string()};
    Endpoints endpoints = test::loopbackEndpoints();
    test::FakeView view;
    test::FakeClock clock;
    Dispatcher dispatcher;
    std::unique_ptr<Tfrmvrdl> form;
};

TEST_F(GetCityTest, FillsEveryMissingLocation)
{
    server.serve("/ips.asp?ip=127.0.0.1&action=2", answerPage(g("本机地址")));
    server.serve("/ips.asp?ip=127.0.0.2&action=2", answerPage(g("远处"), 2));
    server.serve("/ips.asp?ip=%20127.0.0.4&action=2", answerPage(g("带空格")));
    add("127.0.0.1");
    add("127.0.0.2");
    add("127.0.0.3", g("上海")); // has one: no request, no status
    add(" 127.0.0.4");
    add("1.2.3.4&a=b");
    add("../../x");
    form->mngetcityExecute();
    std::vector<std::string> locations;
    form->table().forEach(
        [&](std::size_t, const ProxyRecord& r) { locations.push_back(r.text(Field::Location)); });
    EXPECT_EQ(locations, (std::vector<std::string>{g("本机地址"), g("未知"), g("上海"), g("带空格"),
                                                   g("未知"), g("未知")}));
    EXPECT_EQ(server.count("/ips.asp?ip=127.0.0.3&action=2"), 0u);
    EXPECT_EQ(server.count("/ips.asp?ip=1.2.3.4%26a%3Db&action=2"), 1u);
    EXPECT_EQ(server.count("/ips.asp?ip=..%2F..%2Fx&action=2"), 1u);
    EXPECT_EQ(server.requests().size(), 5u);
    EXPECT_EQ(clock.sleeps, std::vector<std::uint32_t>(5, 10));
    EXPECT_EQ(view.statuses.front(), g("正在获取地址：") + "127.0.0.1");
    EXPECT_EQ(view.statuses.back(), g("共有6个代理"));
    // No answer file stays behind, and none was ever written elsewhere.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(pages.path()), {}), 0);
    EXPECT_FALSE(std::filesystem::exists("../../x.ip"));
}

TEST_F(GetCityTest, AFailedLookupGivesUnknownAndSortedTablesAreWalkedWhole)
{
    // The lookup site is down, and the table is sorted on the location: every row set moves.
    endpoints.set("iplookup", "http://127.0.0.1:9");
    form =
        std::make_unique<Tfrmvrdl>(view, dispatcher, clock, endpoints, TempPaths(pages.path(), pages.path()));
    for (int i = 1; i <= 5; ++i)
        add("127.0.0." + std::to_string(i));
    add("127.0.0.9", g("北京"));
    form->table().sortOn(Field::Location);
    form->mngetcityExecute();
    int unknown = 0;
    form->table().forEach(
        [&](std::size_t, const ProxyRecord& r) { unknown += r.text(Field::Location) == g("未知"); });
    EXPECT_EQ(unknown, 5);
}

TEST(OfflineLocation, CountryFromDebiansDatabaseCityFromTheUsersAndNeverAHostName)
{
    std::string why;
    auto locator = OfflineLocator::open(VORIN_TEST_CITY_DB, why);
    ASSERT_TRUE(locator) << why;
    struct Case {
        const char* address;
        const char* country;
        const char* text; // the row's location, UTF-8
    };
    const Case cases[] = {
        {"127.0.0.5", "JP", "日本 东京"},         // the city database, its Chinese name
        {"127.0.0.200", "DE", "德国 Wittenberg"}, // no Chinese name: the English one
        {"8.8.8.8", "US", "美国"},                // Debian's country database alone (looked up, never asked)
        {"localhost", "", ""},                    // a host name is not resolved
        {"127.0.0.5:80", "", ""},
    };
    for (const Case& c : cases) {
        const Place p = locator->locate(c.address);
        EXPECT_EQ(p.country, c.country) << c.address;
        EXPECT_EQ(p.text(), c.text) << c.address;
    }
    EXPECT_FALSE(OfflineLocator::open("/nonexistent/city.mmdb", why));
    EXPECT_NE(why.find("/nonexistent/city.mmdb"), std::string::npos);
    EXPECT_FALSE(OfflineLocator::open("", why, "/nonexistent"));
}

} // namespace
} // namespace vorin
