// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// Whole harvests: real worker threads, downloads from a loopback fixture server, the main-thread hand-over
// drained by the test as the event loop would.
#include "app/frmvrdl.h"
#include "harvest/feeds.h"
#include "harvest/tdaili.h"
#include "platform/download.h"
#include "support/fakes.h"
#include "support/httpfixture.h"
#include "table/gridview.h"

#include <chrono>
#include <gtest/gtest.h>

namespace vorin {
namespace {

using test::g;
using namespace std::chrono_literals;

// A page for each foreign source; one address repeats within a feed to show the clean-up (the rows of
// different sources arrive in no fixed order).
void serveForeignPages(test::HttpFixture& server)
{
    std::string net = "<div class=\"content\"><table id=\"proxy-list\" width=\"100%\">\n";
    for (int i = 0; i < 8; ++i)
        net += "<tr>\n";
    net += "<td>127.0.1.1</td>\n<td>80</td>\n<td>http</td>\n<td>es</td>\n<td></td>\n</tr>\n<tr>\n</table>\n";
    for (int i = 0; i < 9; ++i)
        net += "</div>\n";
    server.serve("/lista-proxy/lista-1-17.html", net);
    server.serve("/proxy/l100.xml", "<rss>\n</image>\n<item><title>127.0.1.2:3128</title></item>\n"
                                    "<item><title>127.0.1.2:9999</title></item>\n</channel>\n</rss>\n");
    server.serve("/http.txt", "127.0.1.3:8000\n127.0.1.4:8001\n");
    std::string anti = "<td align=\"center\" colspan=\"5\">HTTP</td></tr>\nskipped\n"
                       "<td>127.0.1.5</td><script>decode(\"57,49\");</script>\nend\n";
    for (int i = 0; i < 210; ++i)
        anti += "filler\n";
    server.serve("/proxy/list", anti);
}

class HarvestTest : public ::testing::Test {
protected:
    void SetUp() override { download::setLimits({2000ms, 5000ms, 64u << 20}); }

    std::unique_ptr<Tfrmvrdl> makeForm(const std::string& root)
    {
        auto f = std::make_unique<Tfrmvrdl>(view, dispatcher, clock, test::endpointsAt(root),
                                            TempPaths(pages.path(), pages.path()));
        f->frmshowExecute();
        view.statuses.clear();
        return f;
    }

    bool harvestDone(Tfrmvrdl& f)
    {
        return f.coordinator()->threadcount == 0 && f.coordinator()->runningThreads() == 0;
    }

    test::TempDir registry{"harvest-registry"};
    test::TempDir pages{"harvest-pages"};
    test::ScopedEnv registryEnv_{"VORIN_REGISTRY_DIR", registry.path().string()};
    test::FakeView view;
    test::FakeClock clock;
    Dispatcher dispatcher;
    test::HttpFixture server;
};

TEST_F(HarvestTest, ForeignGroupStartsFourWorkersInOrderAndListsTheCleanedRows)
{
    serveForeignPages(server);
    auto form = makeForm(server.root());
    view.checked = {false, true, false};
    form->actdownExecute(); // download only: these addresses are not for validating
    EXPECT_EQ(view.statuses, (std::vector<std::string>{g("正在从proxynet网站下载，请稍候..."),
                                                       g("正在从rosinstrument网站下载，请稍候..."),
                                                       g("正在从proxylists网站下载，请稍候..."),
                                                       g("正在从antipalivo下载，请稍候...")}));
    EXPECT_EQ(clock.sleeps, (std::vector<std::uint32_t>{300, 300, 300, 300}));
    EXPECT_TRUE(form->busy);
    ASSERT_TRUE(test::pumpUntil(dispatcher, [&] { return harvestDone(*form); }));
    EXPECT_EQ(form->coordinator()->threadcount, 0);
    EXPECT_FALSE(form->busy);
    EXPECT_EQ(view.statuses.back(), g("共有5个代理"));

    std::vector<std::string> rows;
    form->table().forEach([&](std::size_t, const ProxyRecord& r) {
        rows.push_back(r.text(Field::Ip) + ":" + r.text(Field::Port) + ":" + r.text(Field::Protocol));
    });
    EXPECT_EQ(rows, (std::vector<std::string>{"127.0.1.1:80:HTTP", "127.0.1.2:3128:", "127.0.1.3:8000:",
                                              "127.0.1.4:8001:", "127.0.1.5:80:"}));
    EXPECT_EQ(form->grid().rowCount(), 6);
    EXPECT_EQ(form->grid().cell(gridview::ColIp, 5), "127.0.1.5");
    // Every page was fetched once, and every page file is gone.
    EXPECT_EQ(server.count("/proxy/l100.xml"), 1u);
    EXPECT_EQ(server.count("/lista-proxy/lista-5-21.html"), 1u);
    EXPECT_EQ(server.count("/http_highanon.txt"), 1u);
    EXPECT_EQ(test::filesIn(pages.path()), 0u);
}

TEST_F(HarvestTest, DomesticGroupFetchesEveryPageOnceAndNothingWhenNoneIsChecked)
{
    auto form = makeForm(server.root()); // every page answers 404
    view.checked = {true, false, false};
    form->actdownExecute();
    EXPECT_EQ(view.statuses, (std::vector<std::string>{g("正在从cnproxy下载，请稍候..."),
                                                       g("正在从proxycn下载，请稍候...")}));
    EXPECT_EQ(clock.sleeps.size(), 3u); // the pause after downhaozs is taken although it starts nothing
    ASSERT_TRUE(test::pumpUntil(dispatcher, [&] { return harvestDone(*form); }));
    for (int n = 1; n <= 10; ++n)
        EXPECT_EQ(server.count("/proxy" + std::to_string(n) + ".html"), 1u);
    EXPECT_EQ(server.count("/html_proxy/30fastproxy-1.html"), 1u);
    EXPECT_EQ(server.count("/html_proxy/http-5.html"), 1u);
    EXPECT_EQ(server.requests().size(), 16u + 6u); // and the discovery's six index pages
    EXPECT_FALSE(form->busy);
    // An empty harvest lists nothing and says it is over, rather than leaving a start text up.
    EXPECT_EQ(view.statuses.size(), 3u);
    EXPECT_EQ(view.statuses.back(), g("下载结束，没有得到代理"));

    view.checked = {false, false, false};
    view.statuses.clear();
    form->btndownproxyExecute();
    EXPECT_EQ(form->coordinator()->threadcount, 0);
    EXPECT_EQ(view.statuses, std::vector<std::string>{g("下载结束，没有得到代理")});
    EXPECT_TRUE(form->autocheck);
}

TEST_F(HarvestTest, WithoutNetworkEveryWorkerEndsAndTheGridStaysEmpty)
{
    auto form = makeForm("http://127.0.0.1:9");
    view.checked = {true, true, false};
    form->btndownproxyExecute();
    // Workers that fail at once may already have ended inside the status texts of later starts.
    EXPECT_LE(form->coordinator()->threadcount, 6);
    ASSERT_TRUE(test::pumpUntil(dispatcher, [&] { return harvestDone(*form); }));
    EXPECT_TRUE(form->table().isEmpty());
    EXPECT_EQ(form->grid().cell(gridview::ColIp, 1), "");
    EXPECT_FALSE(form->busy);
    EXPECT_EQ(test::filesIn(pages.path()), 0u);
}

TEST(TempPaths, AFolderThatCannotBeWrittenGivesWayToTheCacheFolder)
{
    test::TempDir cache("cache-home");
    test::ScopedEnv env("XDG_CACHE_HOME", cache.path().string());
    EXPECT_EQ(TempPaths::writableOrCache(cache.path()), cache.path());
    auto fallback = TempPaths::writableOrCache("/nonexistent/installed/program");
    EXPECT_EQ(fallback, cache.path() / "vorindaili");
    EXPECT_TRUE(std::filesystem::is_directory(fallback));
    // Page files carry the process and the worker in their names.
    TempPaths paths("/a", "/b");
    EXPECT_EQ(paths.file(TempPaths::Dir::Executable, "3.cnp", "42-7"), "/a/3.cnp.42-7");
    EXPECT_EQ(paths.file(TempPaths::Dir::Current, "pn.1st", "42-8"), "/b/pn.1st.42-8");
}

// The coordinator on its own, with an append that counts.
class CoordinatorTest : public ::testing::Test {
protected:
    void SetUp() override { download::setLimits({2000ms, 10000ms, 64u << 20}); }

    test::HttpFixture server;
    test::TempDir pages{"coordinator-pages"};
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
    tdaili coordinator{env, [this] { ++listings; }, setbusy};
};

TEST_F(CoordinatorTest, ASecondClickDuringAHarvestNeitherLosesNorMixesPages)
{
    std::string list;
    for (int i = 0; i < 200; ++i)
        list += "10.0." + std::to_string(i / 250) + "." + std::to_string(i % 250) + ":80\n";
    server.serve("/http_highanon.txt", test::HttpFixture::Response::with(200, list, 300));
    server.serve("/http.txt", test::HttpFixture::Response::with(200, list, 300));
    coordinator.downproxylists();
    coordinator.downproxylists(); // same source, same page names, at the same time
    EXPECT_EQ(coordinator.threadcount, 2);
    ASSERT_TRUE(test::pumpUntil(dispatcher, [&] { return coordinator.runningThreads() == 0; }));
    EXPECT_EQ(appended.size(), 800u);
    EXPECT_EQ(listings, 1);
    EXPECT_FALSE(busy);
    EXPECT_EQ(test::filesIn(pages.path()), 0u);
}

class ThrowingWorker final : public SourceWorker {
public:
    using SourceWorker::SourceWorker;
    const char* name() const override { return "ThrowingWorker"; }
    void parse(const Lines&, const EntrySink&) override {}
    void Execute() override { throw std::runtime_error("worker failed"); }

protected:
    std::vector<Page> pages() override { return {}; }
};

TEST_F(CoordinatorTest, AWorkerThatThrowsStillEndsTheHarvest)
{
    std::vector<std::string> shown;
    coordinator.onshowinfo = [&](const std::string& s) { shown.push_back(s); };
    coordinator.startWorker(std::make_unique<ThrowingWorker>(env), "start");
    EXPECT_TRUE(busy);
    EXPECT_EQ(shown, std::vector<std::string>{"start"});
    ASSERT_TRUE(test::pumpUntil(dispatcher, [&] { return coordinator.runningThreads() == 0; }));
    EXPECT_EQ(coordinator.threadcount, 0);
    EXPECT_EQ(listings, 1);
    EXPECT_FALSE(busy);
    // A late completion at zero lists again and stays at zero.
    coordinator.workerdone();
    EXPECT_EQ(coordinator.threadcount, 0);
    EXPECT_EQ(listings, 2);
}

TEST_F(CoordinatorTest, DiscoveredSourcesStartNothingWithEmptyLists)
{
    std::vector<std::string> shown;
    coordinator.onshowinfo = [&](const std::string& s) { shown.push_back(s); };
    coordinator.downhaozs();
    coordinator.downurl();
    EXPECT_EQ(coordinator.threadcount, 0);
    EXPECT_FALSE(busy);
    EXPECT_TRUE(shown.empty());
}

TEST_F(CoordinatorTest, HugeAndBrokenPagesAreCutWithoutHarm)
{
    std::string huge;
    huge.reserve(50u << 20);
    while (huge.size() < (50u << 20))
        huge += "<tr><td>no address here at all, just a long table line</td></tr>\n";
    server.serve("/http_highanon.txt", huge);
    server.serve("/http.txt", test::bytes("1.1.1.1:80\n\0\n2.2.2.2:80\n"));
    coordinator.downproxylists();
    ASSERT_TRUE(test::pumpUntil(
        dispatcher, [&] { return coordinator.runningThreads() == 0; }, 60s));
    ASSERT_EQ(appended.size(), 1u); // the text ends at the NUL byte
    EXPECT_EQ(appended[0].ip, "1.1.1.1");
    EXPECT_EQ(test::filesIn(pages.path()), 0u);
}

TEST_F(CoordinatorTest, EndingTheProgramReleasesWorkersWaitingForTheMainThread)
{
    server.serve("/http_highanon.txt", "1.1.1.1:80\n2.2.2.2:80\n");
    server.serve("/http.txt", test::HttpFixture::Response::stalled()); // never answers
    auto local = std::make_unique<tdaili>(
        env, [] {}, setbusy);
    local->downproxylists();
    std::this_thread::sleep_for(200ms); // the worker now waits to append its first row
    auto start = std::chrono::steady_clock::now();
    local.reset(); // must neither hang nor leave a thread running
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

} // namespace
} // namespace vorin
