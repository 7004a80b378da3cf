// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The local relay with real clients (curl) over fake upstreams of each kind, on loopback.
#include "relay/relay.h"
#include "relay/wire.h"
#include "support/fakeproxy.h"
#include "support/fakes.h"
#include "support/httpfixture.h"

#include <arpa/inet.h>
#include <cstdio>
#include <gtest/gtest.h>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace vorin::relay {
namespace {

using test::FakeProxy;
using test::HttpFixture;

TEST(RelayWire, ReadsProxyRequestsAndLetsNothingElseThrough)
{
    struct Case {
        const char* head;
        bool ok;
        const char* host;
        int port;
        const char* target; // sent on (origin form), or the CONNECT
    };
    const Case cases[] = {
        {"GET http://127.0.0.1:8080/a?b HTTP/1.1\r\nHost: 127.0.0.1:8080\r\n\r\n", true, "127.0.0.1", 8080,
         "/a?b"},
        {"GET http://example.test HTTP/1.0\n\n", true, "example.test", 80, "/"},
        {"CONNECT example.test:443 HTTP/1.1\r\n\r\n", true, "example.test", 443, ""},
        {"CONNECT [::1]:443 HTTP/1.1\r\n\r\n", true, "::1", 443, ""},
        {"GET /origin-form HTTP/1.1\r\n\r\n", false, "", 0, ""},
        {"GET https://example.test/ HTTP/1.1\r\n\r\n", false, "", 0, ""},
        {"GET file:///etc/passwd HTTP/1.1\r\n\r\n", false, "", 0, ""},
        {"GET http://user:pw@example.test/ HTTP/1.1\r\n\r\n", false, "", 0, ""},
        {"CONNECT example.test:0 HTTP/1.1\r\n\r\n", false, "", 0, ""},
        {"CONNECT exa mple:80 HTTP/1.1\r\n\r\n", false, "", 0, ""},
        {"GET http://a_b/ HTTP/1.1\r\n\r\n", false, "", 0, ""},
        {"GET http://example.test/ HTTP/2\r\n\r\n", false, "", 0, ""},
        {"GET http://example.test/ HTTP/1.1\r\n folded\r\n\r\n", false, "", 0, ""},
        // A body whose end two parties could read differently is refused.
        {"POST http://a.test/ HTTP/1.1\r\nContent-Length: 3\r\nTransfer-Encoding: chunked\r\n\r\n", false, "",
         0, ""},
        {"POST http://a.test/ HTTP/1.1\r\nContent-Length: 3\r\nContent-Length: 4\r\n\r\n", false, "", 0, ""},
        {"POST http://a.test/ HTTP/1.1\r\nContent-Length: 3\r\nContent-Length: 3\r\n\r\n", true, "a.test", 80,
         "/"},
    };
    for (const Case& c : cases) {
        const auto r = wire::parseRequest(c.head);
        ASSERT_EQ(r.has_value(), c.ok) << c.head;
        if (!r)
            continue;
        EXPECT_EQ(r->host, c.host);
        EXPECT_EQ(r->port, c.port);
        EXPECT_EQ(r->target, c.target);
    }
    // The proxy's own headers and the connection's never go on; the upstream's credentials are its own.
    const auto r = wire::parseRequest(
        "POST http://127.0.0.1/x HTTP/1.1\r\nHost: 127.0.0.1\r\nProxy-Authorization: "
        "Basic c2VjcmV0\r\nProxy-Connection: keep-alive\r\nConnection: keep-alive, X-Hop\r\n"
        "X-Hop: 1\r\nContent-Length: 3\r\nCookie: a=b\r\n\r\n");
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->body);
    EXPECT_FALSE(wire::retryable(*r));
    EXPECT_EQ(wire::forwardHead(*r, true, "u:p"),
              "POST http://127.0.0.1:80/x HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 3\r\nCookie: a=b\r\n"
              "Proxy-Authorization: Basic dTpw\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(wire::forwardHead(*r, false, "u:p"), "POST /x HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: "
                                                   "3\r\nCookie: a=b\r\nConnection: close\r\n\r\n");
    // The Host sent on is the absolute URL's, whatever the client's header said.
    const auto spoofed =
        wire::parseRequest("GET http://a.test:8080/ HTTP/1.1\r\nHost: intranet.test\r\n\r\n");
    ASSERT_TRUE(spoofed);
    EXPECT_EQ(wire::forwardHead(*spoofed, false, ""),
              "GET / HTTP/1.1\r\nHost: a.test:8080\r\nConnection: close\r\n\r\n");
}

TEST(RelayPool, BenchesWithAGrowingBackOffAndRotatesAsChosen)
{
    auto entry = [](const char* host) { return ProxyEntry{HostPort{host, "80"}, "", ""}; };
    UpstreamPool fastest(Rotate::Fastest);
    fastest.set({entry("127.0.0.1"), entry("127.0.0.2"), entry("127.0.0.3")});
    EXPECT_EQ(fastest.choose("h", {}), 0u);
    std::vector<std::chrono::seconds> backOffs;
    for (int i = 0; i < 7; ++i) {
        backOffs.push_back(fastest.failed(0).backOff);
        EXPECT_FALSE(fastest.failed(0).now); // failing again while benched is no new failure
        EXPECT_EQ(fastest.choose("h", {}), 1u);
        fastest.revive(entry("127.0.0.1"));
    }
    using std::chrono::seconds;
    EXPECT_EQ(backOffs, (std::vector<seconds>{seconds(30), seconds(60), seconds(120), seconds(240),
                                              seconds(480), seconds(600), seconds(600)}));
    fastest.worked(0, "h");
    EXPECT_EQ(fastest.failed(0).backOff, seconds(30)); // it worked in between: the back-off starts again
    EXPECT_EQ(fastest.choose("h", {1}), 2u);
    fastest.failed(1);
    fastest.failed(2);
    EXPECT_EQ(fastest.choose("h", {}), std::nullopt);
    // A new list is one found working: nothing of it stays benched (its owner forgets its benches with it).
    fastest.set({entry("127.0.0.2"), entry("127.0.0.3")});
    EXPECT_EQ(fastest.choose("h", {}), 0u);
    // A quiet one (a request gave up waiting for it) is passed over while another is left, and counts as
    // healthy again once it has worked.
    fastest.quiet(0);
    EXPECT_EQ(fastest.healthy(), 1u);
    EXPECT_EQ(fastest.choose("h", {}), 1u);
    EXPECT_EQ(fastest.choose("h", {1}), 0u);
    fastest.worked(0, "h");
    EXPECT_EQ(fastest.healthy(), 2u);

    UpstreamPool each(Rotate::Connection);
    each.set({entry("127.0.0.1"), entry("127.0.0.2")});
    EXPECT_EQ(each.choose("h", {}), 0u);
    EXPECT_EQ(each.choose("h", {}), 1u);
    EXPECT_EQ(each.choose("h", {}), 0u);

    UpstreamPool host(Rotate::Host);
    host.set({entry("127.0.0.1"), entry("127.0.0.2")});
    host.worked(1, "bank.test");
    EXPECT_EQ(host.choose("bank.test", {}), 1u);
    EXPECT_EQ(host.choose("other.test", {}), 0u);
    host.failed(1);
    EXPECT_EQ(host.choose("bank.test", {}), 0u);
}

struct Curl {
    int status = -1;
    std::string out;
};

// curl through the relay as a browser uses a proxy: args are curl's own (-x, -p, --socks5-hostname).
Curl curl(const std::string& args)
{
    Curl r;
    FILE* p =
        ::popen(("curl -sS --max-time 10 -o - -w '\\n%{http_code}' " + args + " 2>/dev/null").c_str(), "r");
    if (!p)
        return r;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
        r.out.append(buf, n);
    r.status = ::pclose(p);
    return r;
}

class RelayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        site.serve("/page", "through the relay\n");
        relay = std::make_unique<Relay>(Options{0, Rotate::Fastest, 1024, 64 * 1024, std::chrono::seconds(30),
                                                std::chrono::seconds(3), 3},
                                        [this](const Event& e) {
                                            std::lock_guard lock(mutex);
                                            events.push_back(e);
                                        });
        ASSERT_TRUE(relay->start());
    }
    std::string proxy() const { return "127.0.0.1:" + std::to_string(relay->port()); }
    std::vector<Event::Kind> kinds()
    {
        std::lock_guard lock(mutex);
        std::vector<Event::Kind> out;
        for (const Event& e : events)
            out.push_back(e.kind);
        return out;
    }
    void settle(std::size_t upstreams)
    {
        for (int i = 0; i < 100 && relay->counts().upstreams != upstreams; ++i)
            ::usleep(10000);
    }

    HttpFixture site{"127.0.96.1"};
    std::mutex mutex;
    std::vector<Event> events; // the relay's thread adds to it until the relay goes, first
    std::unique_ptr<Relay> relay;
};

// Each kind of upstream behind a dead one: a plain request and a CONNECT tunnel from curl reach the site,
// the dead one is benched once, and SOCKS5 clients get the same.
TEST_F(RelayTest, EveryKindOfUpstreamCarriesPlainRequestsAndTunnelsAfterADeadOne)
{
    FakeProxy http(FakeProxy::Kind::Http, "127.0.96.2");
    FakeProxy socks4(FakeProxy::Kind::Socks4, "127.0.96.3");
    FakeProxy socks5(
        FakeProxy::Options{FakeProxy::Kind::Socks5, "127.0.96.4", {}, true, true, {}, "alice:s3:cr@t", {}});
    struct Case {
        const char* name;
        ProxyEntry up;
    };
    const Case cases[] = {
        {"http", {HostPort::parse(http.hostPort()), "", ""}},
        {"connect", {HostPort::parse(http.hostPort()), "https", ""}},
        {"socks4", {HostPort::parse(socks4.hostPort()), "socks4", ""}},
        {"socks5", {HostPort::parse(socks5.hostPort()), "socks5", "alice:s3:cr@t"}},
    };
    const std::string page = site.root() + "/page";
    int dead = 9;
    for (const Case& c : cases) {
        {
            std::lock_guard lock(mutex);
            events.clear();
        }
        // Nothing listens at the first (a new one each time: a benched upstream stays benched).
        relay->setUpstreams({ProxyEntry{HostPort{"127.0.96.9", std::to_string(dead++)}, "", ""}, c.up});
        settle(2);
        EXPECT_EQ(curl("-x " + proxy() + " " + page).out, "through the relay\n\n200") << c.name;
        EXPECT_EQ(curl("-p -x " + proxy() + " " + page).out, "through the relay\n\n200") << c.name;
        EXPECT_EQ(curl("--socks5-hostname " + proxy() + " " + page).out, "through the relay\n\n200")
            << c.name;
        const auto k = kinds();
        EXPECT_EQ(std::count(k.begin(), k.end(), Event::Kind::Benched), 1) << c.name;
        EXPECT_EQ(std::count(k.begin(), k.end(), Event::Kind::Failover), 1) << c.name;
        EXPECT_EQ(relay->counts().healthy, 1u);
    }
}

// The upstreams die one after another while a client keeps asking: each death costs at most the one plain
// request under way, the next upstream carries the rest, and once the last is gone the client gets the
// relay's 502, never the site directly.
TEST_F(RelayTest, KeepsWorkingAsTheUpstreamsDieOneAfterAnotherUntilNoneIsLeft)
{
    std::vector<std::unique_ptr<FakeProxy>> ups;
    std::vector<ProxyEntry> entries;
    for (const char* from : {"127.0.96.5", "127.0.96.6", "127.0.96.7"}) {
        ups.push_back(std::make_unique<FakeProxy>(FakeProxy::Kind::Http, from));
        entries.push_back({HostPort::parse(ups.back()->hostPort()), "", ""});
    }
    relay->setUpstreams(entries);
    settle(3);
    const std::string page = site.root() + "/page";
    int failed = 0;
    for (std::size_t killed = 0; killed < ups.size(); ++killed) {
        for (int i = 0; i < 4; ++i) {
            failed += curl("-x " + proxy() + " " + page).out != "through the relay\n\n200";
            failed += curl("-p -x " + proxy() + " " + page).out != "through the relay\n\n200";
        }
        ups[killed].reset();
    }
    EXPECT_LE(failed, 3);
    const std::size_t seen = site.requests().size();
    const Curl none = curl("-x " + proxy() + " " + page);
    EXPECT_EQ(none.out.substr(none.out.size() - 3), "502");
    EXPECT_EQ(site.requests().size(), seen); // no direct visit
}

// With every upstream dead the client gets the relay's own 502 and the site never sees a visitor: there
// is no direct connection. Garbage, a head over the limit and a request to the relay itself are refused.
TEST_F(RelayTest, NeverConnectsDirectlyAndRefusesWhatIsNoProxyRequest)
{
    relay->setUpstreams({ProxyEntry{HostPort{"127.0.96.9", "9"}, "", ""}});
    settle(1);
    const std::string page = site.root() + "/page";
    Curl none = curl("-x " + proxy() + " " + page);
    EXPECT_NE(none.out.find("没有可用的上游代理"), std::string::npos) << none.out;
    EXPECT_EQ(none.out.substr(none.out.size() - 3), "502");
    EXPECT_EQ(curl("-p -x " + proxy() + " " + page).out.substr(0, 1), "\n"); // the tunnel was refused
    EXPECT_TRUE(site.requests().empty());
    const auto k = kinds();
    EXPECT_NE(std::find(k.begin(), k.end(), Event::Kind::NoneLeft), k.end());

    struct Case {
        std::string sent;
        const char* answer;
    };
    const Case cases[] = {
        {"\x16\x03\x01 garbage\r\n\r\n", "HTTP/1.1 400"},
        {"GET /page HTTP/1.1\r\nHost: x\r\n\r\n", "HTTP/1.1 400"},
        {"GET " + site.root() + "/page HTTP/1.1\r\nX: " + std::string(70000, 'a') + "\r\n\r\n",
         "HTTP/1.1 431"},
        {"GET http://" + proxy() + "/ HTTP/1.1\r\n\r\n", "HTTP/1.1 403"},
        {"CONNECT localhost:" + std::to_string(relay->port()) + " HTTP/1.1\r\n\r\n", "HTTP/1.1 403"},
    };
    for (const Case& c : cases) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(relay->port());
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        (void)::send(fd, c.sent.data(), c.sent.size(), MSG_NOSIGNAL);
        std::string got;
        char buf[512];
        for (ssize_t n; (n = ::recv(fd, buf, sizeof buf, 0)) > 0;)
            got.append(buf, static_cast<std::size_t>(n));
        ::close(fd);
        EXPECT_EQ(got.substr(0, 12), c.answer) << c.sent.substr(0, 40);
    }

    // A head that never ends, a byte at a time well within the idle limit, is given up at its own limit.
    Options slowHead{0, Rotate::Fastest, 1024, 64 * 1024, std::chrono::seconds(30), std::chrono::seconds(3),
                     3};
    slowHead.headLimit = std::chrono::milliseconds(800);
    Relay strict(slowHead, nullptr);
    ASSERT_TRUE(strict.start());
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(strict.port());
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    const auto start = std::chrono::steady_clock::now();
    bool closed = false;
    for (int i = 0; i < 40 && !closed; ++i) {
        closed = ::send(fd, i == 0 ? "G" : "a", 1, MSG_NOSIGNAL) != 1;
        char b;
        closed = closed || ::recv(fd, &b, 1, MSG_DONTWAIT) == 0;
        ::usleep(100000);
    }
    ::close(fd);
    EXPECT_TRUE(closed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
}

// Each attempt at an upstream has its own limit: a silent upstream first costs one limit, and the next
// carries the request, for a tunnel, a plain request whose answer never comes, and a SOCKS5 handshake.
TEST_F(RelayTest, ASilentUpstreamCostsOneAttemptsLimitAndTheNextCarriesTheRequest)
{
    using namespace std::chrono;
    Relay quick(Options{0, Rotate::Fastest, 1024, 64 * 1024, seconds(30), milliseconds(500), 3}, nullptr);
    ASSERT_TRUE(quick.start());
    FakeProxy good(FakeProxy::Kind::Http, "127.0.96.2");
    HttpFixture silent("127.0.96.6");
    silent.serve("/page", HttpFixture::Response::stalled());
    silent.serve("127.0.96.1:" + std::to_string(site.port()), HttpFixture::Response::stalled());
    const std::string via = "-x 127.0.0.1:" + std::to_string(quick.port()) + " ";
    struct Case {
        const char* name;
        ProxyEntry up;
        std::string curlArgs;
        milliseconds within; // the attempt's limit (the answer's for a plain request) and a second
    };
    const std::string page = site.root() + "/page";
    const Case cases[] = {
        {"tunnel", {HostPort::parse(silent.hostPort()), "https", ""}, "-p " + via + page, milliseconds(1500)},
        {"plain", {HostPort::parse(silent.hostPort()), "", ""}, via + page, milliseconds(2500)},
        {"socks5", {HostPort::parse(silent.hostPort()), "socks5", ""}, via + page, milliseconds(1500)},
    };
    for (const Case& c : cases) {
        quick.setUpstreams({c.up, ProxyEntry{HostPort::parse(good.hostPort()), "", ""}});
        for (int i = 0; i < 100 && quick.counts().upstreams != 2; ++i)
            ::usleep(10000);
        const auto start = steady_clock::now();
        EXPECT_EQ(curl(c.curlArgs).out, "through the relay\n\n200") << c.name;
        EXPECT_LT(steady_clock::now() - start, c.within) << c.name;
    }
}

// Blame where it belongs: an upstream that answers it cannot reach the target works (the client hears of
// the target, the upstream stays); one that wants credentials (407), drops a tunnel it opened, or is the
// relay itself under another spelling is the upstream's fault.
TEST_F(RelayTest, ATargetsFailureIsTheClientsAndOnlyAnUpstreamsOwnFaultsBenchIt)
{
    FakeProxy good(FakeProxy::Kind::Http, "127.0.96.2");
    FakeProxy socks5(FakeProxy::Kind::Socks5, "127.0.96.4");
    HttpFixture refusing("127.0.96.7"); // answers a CONNECT 404, a plain request 407
    refusing.serve("/page", HttpFixture::Response::with(407, "credentials"));
    HttpFixture dropping("127.0.96.6"); // answers CONNECT 200, then closes the tunnel
    dropping.serve("127.0.96.1:" + std::to_string(site.port()), HttpFixture::Response::with(200, ""));
    const std::string nowhere = "http://127.0.96.8:9/page"; // nothing listens there
    const ProxyEntry next{HostPort::parse(good.hostPort()), "", ""};
    struct Case {
        const char* name;
        ProxyEntry up;
        std::string curlArgs;
        std::string out;
        int benched;
    };
    const Case cases[] = {
        {"CONNECT answered 404",
         {HostPort::parse(refusing.hostPort()), "https", ""},
         "-p -x " + proxy() + " " + site.root() + "/page",
         "\n000",
         0},
        {"SOCKS5 cannot connect",
         {HostPort::parse(socks5.hostPort()), "socks5", ""},
         "-x " + proxy() + " " + nowhere,
         "",
         0},
        {"407 to a plain request",
         {HostPort::parse(refusing.hostPort()), "", ""},
         "-x " + proxy() + " " + site.root() + "/page",
         "through the relay\n\n200",
         1},
        {"CONNECT 200, then closed",
         {HostPort::parse(dropping.hostPort()), "https", ""},
         "-p -x " + proxy() + " " + site.root() + "/page",
         "\n000",
         1},
    };
    for (const Case& c : cases) {
        {
            std::lock_guard lock(mutex);
            events.clear();
        }
        relay->setUpstreams({c.up, next});
        settle(2);
        const Curl r = curl(c.curlArgs);
        if (!c.out.empty())
            EXPECT_EQ(r.out, c.out) << c.name;
        else
            EXPECT_EQ(r.out.substr(r.out.size() - 3), "502") << c.name << r.out;
        // A dropped tunnel is judged once both its ways have ended, which may be just after the client saw
        // it.
        auto benched = [&] {
            const auto k = kinds();
            return std::count(k.begin(), k.end(), Event::Kind::Benched);
        };
        for (int i = 0; i < 100 && benched() < c.benched; ++i)
            ::usleep(10000);
        EXPECT_EQ(benched(), c.benched) << c.name;
    }
    // The relay under other spellings of its own address is never an upstream.
    const std::string self = std::to_string(relay->port());
    relay->setUpstreams({{HostPort{"0x7f000001", self}, "", ""},
                         {HostPort{"LOCALHOST", self}, "", ""},
                         {HostPort{"[::ffff:7f00:1]", self}, "", ""},
                         {HostPort{"[0:0:0:0:0:0:0:1]", self}, "", ""},
                         {HostPort{"127.1", self}, "", ""},
                         next});
    settle(1);
    EXPECT_EQ(relay->counts().upstreams, 1u);
}

// SOCKS4 upstreams get the target's name (SOCKS4a): a name only the upstream knows is reached, and nothing
// is looked up on this machine.
TEST_F(RelayTest, Socks4UpstreamsResolveTheTargetsNameThemselves)
{
    FakeProxy::Options o{FakeProxy::Kind::Socks4, "127.0.96.3", {}, true, true, {}, {}, {}};
    o.names["site.test"] = "127.0.96.1";
    FakeProxy socks4(o);
    relay->setUpstreams({ProxyEntry{HostPort::parse(socks4.hostPort()), "socks4", ""}});
    settle(1);
    const std::string page = "http://site.test:" + std::to_string(site.port()) + "/page";
    EXPECT_EQ(curl("-x " + proxy() + " " + page).out, "through the relay\n\n200");
    EXPECT_EQ(curl("-p -x " + proxy() + " " + page).out, "through the relay\n\n200");
}

// An interim answer (100 Continue) goes to the client as it is, and the final answer's head is still the
// one rewritten for the client (the upstream's keep-alive never reaches it).
// One request and one answer per connection, each ending where its framing says: bytes a client sent after
// its request never reach the upstream, an answer's end closes both sides even when the upstream ignores
// "Connection: close", interim answers pass and the final head is rewritten.
TEST_F(RelayTest, PassesExactlyOneFramedRequestAndOneFramedAnswer)
{
    struct Case {
        const char* name;
        std::string ask;    // what the client sends, at once
        std::string answer; // what the upstream (an HTTP proxy) answers once it has the head
        std::string body;   // what the upstream must have received after the head, no more
        std::string client; // what the client must have got after the rewritten head
    };
    const std::string get = "GET http://127.0.96.1/x HTTP/1.1\r\nHost: 127.0.96.1\r\n\r\n";
    const std::string post = "POST http://127.0.96.1/x HTTP/1.1\r\nHost: 127.0.96.1\r\n";
    const Case cases[] = {
        {"interim answer", get,
         "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nConnection: keep-alive\r\nKeep-Alive: timeout=5\r\n"
         "Content-Length: 5\r\n\r\nfinal",
         "", "final"},
        {"kept open after its length", get, "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nfinal", "", "final"},
        {"kept open after its last chunk", get,
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nfinal\r\n0\r\n\r\n", "",
         "5\r\nfinal\r\n0\r\n\r\n"},
        {"pipelined after a GET", get + post + "Content-Length: 3\r\n\r\nabc",
         "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok", "", "ok"},
        {"pipelined after a chunked body",
         post + "Transfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n" + get,
         "HTTP/1.1 204 No Content\r\n\r\n", "3\r\nabc\r\n0\r\n\r\n", ""},
        {"pipelined after a length", post + "Content-Length: 3\r\n\r\nabc" + get,
         "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok", "abc", "ok"},
    };
    for (const Case& c : cases) {
        const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        ::inet_pton(AF_INET, "127.0.96.5", &a.sin_addr);
        ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        ASSERT_EQ(::listen(listener, 4), 0);
        socklen_t size = sizeof a;
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &size);
        std::string received; // by the upstream, until the relay closed its connection
        std::thread upstream([&] {
            const int fd = ::accept(listener, nullptr, nullptr);
            const timeval wait{5, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
            char buf[1024];
            bool answered = false;
            for (ssize_t n; (n = ::recv(fd, buf, sizeof buf, 0)) > 0;) {
                received.append(buf, static_cast<std::size_t>(n));
                if (!answered && received.find("\r\n\r\n") != std::string::npos) {
                    ::usleep(100000); // the rest of what the relay sends comes too
                    answered = true;
                    (void)::send(fd, c.answer.data(), c.answer.size(), MSG_NOSIGNAL);
                }
            }
            ::close(fd); // only once the relay has closed: an upstream that ignores "Connection: close"
        });
        relay->setUpstreams({ProxyEntry{HostPort{"127.0.96.5", std::to_string(ntohs(a.sin_port))}, "", ""}});
        settle(1);
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in r{};
        r.sin_family = AF_INET;
        r.sin_port = htons(relay->port());
        r.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&r), sizeof r), 0);
        const timeval wait{4, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        const auto start = std::chrono::steady_clock::now();
        (void)::send(fd, c.ask.data(), c.ask.size(), MSG_NOSIGNAL);
        std::string got;
        char buf[1024];
        for (ssize_t n; (n = ::recv(fd, buf, sizeof buf, 0)) > 0;)
            got.append(buf, static_cast<std::size_t>(n));
        const auto took = std::chrono::steady_clock::now() - start;
        ::close(fd);
        upstream.join();
        ::close(listener);
        EXPECT_LT(took, std::chrono::seconds(3)) << c.name << ": the answer's end did not end the connection";
        const std::size_t head = got.find("\r\n\r\n", got.find("HTTP/1.1 2"));
        ASSERT_NE(head, std::string::npos) << c.name << ": " << got;
        EXPECT_EQ(got.substr(head + 4), c.client) << c.name;
        EXPECT_EQ(got.find("keep-alive"), std::string::npos) << c.name;
        EXPECT_NE(got.find("Connection: close\r\n"), std::string::npos) << c.name;
        EXPECT_EQ(received.rfind(c.ask.substr(0, c.ask.find(' ')), 0), 0u) << c.name << ": " << received;
        EXPECT_EQ(received.find(c.ask.find("POST") == 0 ? "GET" : "POST"), std::string::npos)
            << c.name << ": a pipelined request reached the upstream: " << received;
        const std::string tail = "\r\n\r\n" + c.body;
        EXPECT_TRUE(received.size() > tail.size() && received.substr(received.size() - tail.size()) == tail)
            << c.name << ": " << received;
        if (c.answer.rfind("HTTP/1.1 100", 0) == 0) {
            EXPECT_EQ(got.rfind("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\n", 0), 0u) << got;
        }
    }
}

} // namespace
} // namespace vorin::relay
