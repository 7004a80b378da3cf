// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The asynchronous checker against fake proxies on loopback, and through a real tinyproxy.
#include "check/KeloInetChecker.h"
#include "check/proxycheck.h"
#include "support/fakeproxy.h"
#include "support/fakes.h"
#include "support/httpfixture.h"
#include "support/tinyproxy.h"

#include <gtest/gtest.h>

namespace vorin {
namespace {

using namespace std::chrono_literals;
using test::g;
using Response = test::HttpFixture::Response;

// The test page: the marker at a chosen byte offset of the body.
std::string pageWithMarkerAt(std::size_t offset)
{
    return std::string(offset, ' ') + g("您的IP地址") + "127.0.0.1";
}

const std::string kTestUrl = "http://127.0.0.1:9/ip2city.asp";

class CheckerTest : public ::testing::Test {
protected:
    void SetUp() override { TKeloInetChecker::setOverallLimit(1500ms); }
    void TearDown() override { TKeloInetChecker::setOverallLimit(15000ms); }

    struct Completion {
        TKeloInetChecker* sender;
        bool connected;
        std::chrono::steady_clock::time_point at;
    };

    std::unique_ptr<TKeloInetChecker> checker(const std::string& proxy)
    {
        auto c = std::make_unique<TKeloInetChecker>(engine, dispatcher);
        c->AccessType = TAccessType::atProxy;
        c->Proxy = proxy;
        c->Url = kTestUrl;
        c->OnComplete = [this](TKeloInetChecker* s, bool ok) {
            completions.push_back({s, ok, std::chrono::steady_clock::now()});
        };
        return c;
    }

    // Drains the hand-over until n completions have arrived (or the limit has passed), then a little more
    // to catch any that should not come.
    void waitFor(std::size_t n, std::chrono::milliseconds limit = 5000ms)
    {
        auto until = std::chrono::steady_clock::now() + limit;
        while (completions.size() < n && std::chrono::steady_clock::now() < until)
            dispatcher.waitMessages(20ms);
        auto settle = std::chrono::steady_clock::now() + 50ms;
        while (std::chrono::steady_clock::now() < settle)
            dispatcher.waitMessages(10ms);
    }

    // One check through a fake proxy that answers the test page with response.
    bool checkWith(const Response& response)
    {
        test::HttpFixture proxy("127.0.0.2");
        proxy.serve("/ip2city.asp", response);
        auto c = checker(proxy.hostPort());
        completions.clear();
        EXPECT_TRUE(c->Start());
        waitFor(1);
        EXPECT_EQ(completions.size(), 1u);
        EXPECT_EQ(proxy.count(kTestUrl), 1u); // asked as a proxy is asked: the full URL
        return !completions.empty() && completions[0].connected;
    }

    Dispatcher dispatcher;
    FetchEngine engine;
    std::vector<Completion> completions;
};

TEST_F(CheckerTest, VerdictNeedsStatus200AndTheMarkerInTheFirst120Bytes)
{
    const std::size_t markerBytes = g("您的IP地址").size();
    EXPECT_TRUE(checkWith(Response::with(200, pageWithMarkerAt(0))));
    EXPECT_TRUE(checkWith(Response::with(200, pageWithMarkerAt(120 - markerBytes))));
    EXPECT_FALSE(checkWith(Response::with(200, pageWithMarkerAt(121 - markerBytes))));
    EXPECT_FALSE(checkWith(Response::with(200, pageWithMarkerAt(500))));
    EXPECT_FALSE(checkWith(Response::with(200, "a login portal of the proxy")));
    EXPECT_FALSE(checkWith(Response::with(200, "")));
    for (int status : {302, 404, 407, 502})
        EXPECT_FALSE(checkWith(Response::with(status, pageWithMarkerAt(0)))) << status;
    // A marker that only the bytes of two characters would spell does not count.
    EXPECT_FALSE(checkWith(Response::with(200, "\xB5" + g("您的IP地址").substr(1))));
}

TEST_F(CheckerTest, VerdictReadsNoBodyOfOtherAnswers)
{
    FetchEngine::Result r;
    r.status = "302";
    r.body = g("您的IP地址");
    r.bodyRead = true;
    EXPECT_FALSE(TKeloInetChecker::verdict(r));
    r.status = "200 ";
    EXPECT_FALSE(TKeloInetChecker::verdict(r));
    r.status = "200";
    EXPECT_TRUE(TKeloInetChecker::verdict(r));
    r.bodyRead = false;
    EXPECT_FALSE(TKeloInetChecker::verdict(r));
}

TEST_F(CheckerTest, BrokenProxiesCompleteOnceWithFalse)
{
    EXPECT_FALSE(checkWith(Response::dropped()));
    // A refused port.
    auto refused = checker("127.0.0.3:9");
    completions.clear();
    ASSERT_TRUE(refused->Start());
    waitFor(1);
    ASSERT_EQ(completions.size(), 1u);
    EXPECT_FALSE(completions[0].connected);
    // A proxy that accepts and never answers ends within the overall limit.
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(checkWith(Response::stalled()));
    EXPECT_LT(completions[0].at - start, 4000ms);
    EXPECT_GE(completions[0].at - start, 1400ms);
}

TEST_F(CheckerTest, ASlowProxyIsValidAndTakesItsTime)
{
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(checkWith(Response::with(200, pageWithMarkerAt(10), 300)));
    auto took = completions[0].at - start;
    EXPECT_GE(took, 300ms);
    EXPECT_LT(took, 600ms);
}

TEST_F(CheckerTest, StartSetsTheConnectTimeoutAndRefusesAnEmptyUrl)
{
    TKeloInetChecker c(engine, dispatcher);
    EXPECT_EQ(c.timeout, 12500);
    EXPECT_EQ(c.UserAgent, "KeloSoft Internet Checker 1.0");
    EXPECT_EQ(c.AccessType, TAccessType::atDirectConnect);
    int started = 0;
    c.OnStart = [&](TKeloInetChecker*) { ++started; };
    c.OnComplete = [&](TKeloInetChecker* s, bool ok) { completions.push_back({s, ok, {}}); };
    EXPECT_FALSE(c.Start());
    EXPECT_EQ(started, 0);
    c.timeout = 2500;
    c.Url = "http://127.0.0.4:9/ip2city.asp";
    EXPECT_TRUE(c.Start());
    EXPECT_EQ(c.timeout, 3000);
    EXPECT_EQ(started, 1);
    waitFor(1);
    EXPECT_EQ(completions.size(), 1u);
}

TEST_F(CheckerTest, TwoCheckersReportIndependently)
{
    test::HttpFixture good("127.0.0.5");
    test::HttpFixture bad("127.0.0.6");
    good.serve("/ip2city.asp", Response::with(200, pageWithMarkerAt(0), 150));
    bad.serve("/ip2city.asp", Response::with(404, "no"));
    auto first = checker(good.hostPort());
    auto second = checker(bad.hostPort());
    first->Tag = 1;
    second->Tag = 2;
    ASSERT_TRUE(first->Start());
    ASSERT_TRUE(second->Start());
    waitFor(2);
    ASSERT_EQ(completions.size(), 2u);
    EXPECT_EQ(completions[0].sender, second.get()); // the quick refusal first
    EXPECT_FALSE(completions[0].connected);
    EXPECT_EQ(completions[1].sender, first.get());
    EXPECT_TRUE(completions[1].connected);
}

TEST_F(CheckerTest, ACheckerDestroyedWhileCheckingHearsNothing)
{
    test::HttpFixture slow("127.0.0.7");
    slow.serve("/ip2city.asp", Response::with(200, pageWithMarkerAt(0), 200));
    for (int i = 0; i < 20; ++i) {
        auto c = checker(slow.hostPort());
        ASSERT_TRUE(c->Start());
        if (i % 2)
            std::this_thread::sleep_for(std::chrono::milliseconds(i * 12)); // sometimes after the answer
    }
    waitFor(1, 500ms);
    EXPECT_TRUE(completions.empty());
    // The handler may free its own checker.
    auto owned = checker(slow.hostPort());
    TKeloInetChecker* raw = owned.get();
    raw->OnComplete = [&](TKeloInetChecker* s, bool ok) {
        owned.reset();
        completions.push_back({s, ok, {}});
    };
    ASSERT_TRUE(raw->Start());
    waitFor(1);
    EXPECT_EQ(completions.size(), 1u);
    EXPECT_EQ(owned, nullptr);
}

TEST_F(CheckerTest, SynchronousModeAnswersAtOnceWithoutCompletion)
{
    test::HttpFixture proxy("127.0.0.8");
    proxy.serve("/ip2city.asp", pageWithMarkerAt(0));
    auto c = checker(proxy.hostPort());
    c->AsynRequest = false;
    EXPECT_TRUE(c->Start());
    c->Proxy = "127.0.0.8:9";
    EXPECT_FALSE(c->Start());
    waitFor(0, 100ms);
    EXPECT_TRUE(completions.empty());
}

TEST_F(CheckerTest, ThroughTinyproxyTheCheckIsValidAndTimedLikeCurl)
{
    if (!test::Tinyproxy::installed())
        GTEST_SKIP() << "tinyproxy is not installed";
    test::TempDir dir("tinyproxy");
    test::HttpFixture site("127.0.0.1");
    site.serve("/ip2city.asp", Response::with(200, pageWithMarkerAt(0), 40));
    test::Tinyproxy proxy(dir.path());
    ASSERT_TRUE(proxy.accepting());

    // Checks and plain curl fetches of the same page through the same proxy, in turns, so that a busy
    // moment of the machine falls on one sample of either kind and the medians compare like with like.
    using Ms = std::chrono::duration<double, std::milli>;
    std::vector<Ms> checks;
    std::vector<Ms> curls;
    constexpr int kPairs = 7;
    for (int i = 0; i < kPairs; ++i) {
        FetchEngine::Request request;
        request.url = site.root() + "/ip2city.asp";
        request.proxy = HostPort::parse(proxy.hostPort());
        auto before = std::chrono::steady_clock::now();
        auto direct = FetchEngine::fetchNow(request);
        curls.push_back(std::chrono::steady_clock::now() - before);
        EXPECT_TRUE(TKeloInetChecker::verdict(direct));

        auto c = checker(proxy.hostPort());
        c->Url = site.root() + "/ip2city.asp";
        completions.clear();
        auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(c->Start());
        waitFor(1);
        ASSERT_EQ(completions.size(), 1u);
        EXPECT_TRUE(completions[0].connected);
        checks.push_back(completions[0].at - start);
    }
    const Ms check = test::median(checks);
    const Ms curl = test::median(curls);
    // The page's own delay is part of what either measures; how close the two are is bench_check's figure.
    EXPECT_GE(check, 40ms);
    EXPECT_GE(curl, 40ms);
    EXPECT_EQ(site.count("/ip2city.asp"), 2u * kPairs);
}

// One proxy through a pool, as the guard and the relay's health checks judge it: a verdict only from a
// judge that answers the program and lets proxies through; silent and refusing judges give way in order.
TEST_F(CheckerTest, OneProxyThroughAPoolIsJudgedOnlyByAJudgeThatAnswersAndLetsProxiesThrough)
{
    enum class J { Dead, Alive, Refusing429, BlockPage };
    using V = ProxyCheck::Verdict;
    struct Case {
        std::vector<J> pool;
        bool proxyAlive;
        V verdict;
        bool refused;
    };
    test::HttpFixture alive("127.0.0.2"), refusing("127.0.0.4");
    alive.serve("/alive", "ALIVE");
    // Answers the program itself (127.0.0.1); through the proxy (from 127.0.0.5) a 429, or a block page
    // with its own Server header.
    Response r = Response::with(200, "ALIVE");
    r.headers = "Server: judgekit/2\r\n";
    r.byPeer = [](const std::string& peer) {
        return peer == "127.0.0.1" ? std::pair<int, std::string>{0, {}}
                                   : std::pair<int, std::string>{429, "slow down"};
    };
    refusing.serve("/429", r);
    r.byPeer = [](const std::string& peer) {
        return peer == "127.0.0.1" ? std::pair<int, std::string>{0, {}}
                                   : std::pair<int, std::string>{403, "<h1>blocked</h1>"};
    };
    refusing.serve("/block", r);
    test::FakeProxy proxy(test::FakeProxy::Kind::Http, "127.0.0.5");
    auto judge = [&](J j) {
        const std::string url = j == J::Dead          ? "http://127.0.0.9:9/alive"
                                : j == J::Alive       ? alive.root() + "/alive"
                                : j == J::Refusing429 ? refusing.root() + "/429"
                                                      : refusing.root() + "/block";
        return Judge{Judge::Rule::Marker, url, "ALIVE", 120};
    };
    for (const Case& c : {Case{{J::Dead, J::Alive}, true, V::Passed, false},
                          Case{{J::Dead, J::Alive}, false, V::Failed, false},
                          Case{{J::Refusing429, J::Alive}, true, V::Passed, true},
                          Case{{J::Refusing429}, true, V::Unjudged, true},
                          Case{{J::BlockPage, J::Dead}, true, V::Unjudged, true},
                          Case{{J::Dead}, false, V::Unjudged, false}}) {
        std::vector<Judge> pool;
        for (J j : c.pool)
            pool.push_back(judge(j));
        SCOPED_TRACE(pool.front().url + (c.proxyAlive ? " live proxy" : " dead proxy"));
        ProxyEntry entry;
        entry.endpoint = HostPort::parse(c.proxyAlive ? proxy.hostPort() : "127.0.0.3:9");
        std::optional<ProxyCheck::Result> result;
        ProxyCheck check(engine, dispatcher, pool, entry, 0,
                         [&](const ProxyCheck::Result& r) { result = r; });
        check.start();
        const auto until = std::chrono::steady_clock::now() + 5s;
        while (!result && std::chrono::steady_clock::now() < until)
            dispatcher.waitMessages(20ms);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->verdict, c.verdict);
        if (c.verdict == V::Unjudged) {
            EXPECT_EQ(result->refused, c.refused);
        }
    }
}

} // namespace
} // namespace vorin
