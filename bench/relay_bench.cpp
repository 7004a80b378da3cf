// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The local relay against the same upstream used directly, on loopback: the throughput of a 100 MB CONNECT
// transfer (target: at least 0.9 of direct), the added latency of small plain requests at the median
// (target: at most 1 ms), a run of requests whose upstream dies in the middle (target: at most one failed
// plain request and no failed CONNECT), a silent upstream before a good one (target: a tunnel within the
// attempt limit + 1 s, a plain answer within the answer limit + 1 s), and 1,000 tunnels open at once
// (memory per tunnel). bench/churn.py has the relay through minutes of dying proxies.
#include "relay/relay.h"
#include "support/fakeproxy.h"
#include "support/httpfixture.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <benchmark/benchmark.h>
#include <fstream>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace vorin {
namespace {

using namespace std::chrono;

int connectTo(const std::string& ip, int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    ::inet_pton(AF_INET, ip.c_str(), &a.sin_addr);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

// Sends text and reads up to the end of the answer's head; the bytes after it stay in rest.
bool ask(int fd, const std::string& text, std::string& head, std::string& rest)
{
    if (::send(fd, text.data(), text.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(text.size()))
        return false;
    std::string got;
    char buf[4096];
    while (got.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            return false;
        got.append(buf, static_cast<std::size_t>(n));
    }
    const std::size_t end = got.find("\r\n\r\n") + 4;
    head = got.substr(0, end);
    rest = got.substr(end);
    return true;
}

// A site that sends size bytes to each connection and closes it.
class Source {
public:
    explicit Source(std::size_t size) : size_(size)
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        ::inet_pton(AF_INET, "127.0.99.1", &a.sin_addr);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(fd_, 64);
        socklen_t len = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] {
            std::vector<char> block(1 << 16, 'x');
            for (int c; (c = ::accept(fd_, nullptr, nullptr)) >= 0;) {
                for (std::size_t sent = 0; sent < size_;) {
                    const ssize_t n =
                        ::send(c, block.data(), std::min(block.size(), size_ - sent), MSG_NOSIGNAL);
                    if (n <= 0)
                        break;
                    sent += static_cast<std::size_t>(n);
                }
                ::close(c);
            }
        });
    }
    ~Source()
    {
        ::shutdown(fd_, SHUT_RDWR);
        ::close(fd_);
        thread_.join();
    }
    int port() const { return port_; }

private:
    std::size_t size_;
    int fd_ = -1;
    int port_ = 0;
    std::thread thread_;
};

std::unique_ptr<relay::Relay> startRelay(const std::vector<ProxyEntry>& upstreams)
{
    auto r = std::make_unique<relay::Relay>(
        relay::Options{0, relay::Rotate::Fastest, 4096, 64 * 1024, seconds(60), seconds(3), 3}, nullptr);
    r->start();
    r->setUpstreams(upstreams);
    for (int i = 0; i < 100 && r->counts().upstreams != upstreams.size(); ++i)
        std::this_thread::sleep_for(milliseconds(5));
    return r;
}

// Seconds to take size bytes through a CONNECT tunnel asked of the proxy at port.
double tunnelSeconds(int proxyPort, int sourcePort, std::size_t size)
{
    const auto start = steady_clock::now();
    const int fd = connectTo("127.0.0.1", proxyPort);
    std::string head, rest;
    if (fd < 0 ||
        !ask(fd, "CONNECT 127.0.99.1:" + std::to_string(sourcePort) + " HTTP/1.1\r\n\r\n", head, rest))
        return -1;
    std::size_t got = rest.size();
    std::vector<char> buf(1 << 16);
    for (ssize_t n; (n = ::recv(fd, buf.data(), buf.size(), 0)) > 0;)
        got += static_cast<std::size_t>(n);
    ::close(fd);
    return got == size ? duration<double>(steady_clock::now() - start).count() : -1;
}

void BM_TunnelThroughput(benchmark::State& state)
{
    constexpr std::size_t kSize = 100u << 20;
    Source source(kSize);
    test::FakeProxy upstream(test::FakeProxy::Kind::Http, "");
    const HostPort up = HostPort::parse(upstream.hostPort());
    auto relay = startRelay({ProxyEntry{up, "https", ""}});
    double direct = 0, relayed = 0;
    for (auto _ : state) {
        direct = tunnelSeconds(up.portNumber(), source.port(), kSize);
        relayed = tunnelSeconds(relay->port(), source.port(), kSize);
    }
    state.counters["direct_MBps"] = direct > 0 ? 100 / direct : 0;
    state.counters["relay_MBps"] = relayed > 0 ? 100 / relayed : 0;
    state.counters["ratio"] = direct > 0 && relayed > 0 ? direct / relayed : 0;
}
BENCHMARK(BM_TunnelThroughput)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Milliseconds for one small plain request through the proxy at port.
double requestMs(int proxyPort, const std::string& url)
{
    const auto start = steady_clock::now();
    const int fd = connectTo("127.0.0.1", proxyPort);
    std::string head, rest;
    const bool ok = fd >= 0 && ask(fd, "GET " + url + " HTTP/1.1\r\nHost: x\r\n\r\n", head, rest) &&
                    head.rfind("HTTP/1.1 200", 0) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok ? duration<double, std::milli>(steady_clock::now() - start).count() : -1;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void BM_SmallRequestLatency(benchmark::State& state)
{
    test::HttpFixture site("127.0.99.2");
    site.serve("/small", "ok\n");
    test::FakeProxy upstream(test::FakeProxy::Kind::Http, "");
    const HostPort up = HostPort::parse(upstream.hostPort());
    auto relay = startRelay({ProxyEntry{up, "", ""}});
    const std::string url = site.root() + "/small";
    std::vector<double> direct, relayed;
    for (auto _ : state) {
        direct.push_back(requestMs(up.portNumber(), url));
        relayed.push_back(requestMs(relay->port(), url));
    }
    state.counters["direct_median_ms"] = median(direct);
    state.counters["relay_median_ms"] = median(relayed);
    state.counters["added_ms"] = median(relayed) - median(direct);
}
BENCHMARK(BM_SmallRequestLatency)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(200);

// 200 requests, half plain and half tunnels, through two upstreams; the first dies after 50.
void BM_FailoverMidRun(benchmark::State& state)
{
    test::HttpFixture site("127.0.99.3");
    site.serve("/small", "ok\n");
    Source source(1000);
    int failedPlain = 0, failedTunnels = 0;
    for (auto _ : state) {
        auto first = std::make_unique<test::FakeProxy>(test::FakeProxy::Kind::Http, "");
        test::FakeProxy second(test::FakeProxy::Kind::Http, "");
        auto relay = startRelay({ProxyEntry{HostPort::parse(first->hostPort()), "", ""},
                                 ProxyEntry{HostPort::parse(second.hostPort()), "", ""}});
        failedPlain = failedTunnels = 0;
        for (int i = 0; i < 200; ++i) {
            if (i == 50)
                first.reset();
            if (i % 2 == 0)
                failedPlain += requestMs(relay->port(), site.root() + "/small") < 0;
            else
                failedTunnels += tunnelSeconds(relay->port(), source.port(), 1000) < 0;
        }
    }
    state.counters["failed_plain"] = failedPlain;
    state.counters["failed_connect"] = failedTunnels;
}
BENCHMARK(BM_FailoverMidRun)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// A silent upstream (it accepts and never answers) first, a good one second: the seconds to a tunnel and to
// a plain answer, beside the good one alone (the baseline); the attempt limit is 3 s, the answer's 9 s.
void BM_SilentUpstreamFirst(benchmark::State& state)
{
    test::HttpFixture site("127.0.99.5");
    site.serve("/small", "ok\n");
    Source source(1000);
    const int silent = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    ::inet_pton(AF_INET, "127.0.99.6", &a.sin_addr);
    ::bind(silent, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(silent, 64); // the kernel accepts; nobody reads or answers
    socklen_t len = sizeof a;
    ::getsockname(silent, reinterpret_cast<sockaddr*>(&a), &len);
    const HostPort mute{"127.0.99.6", std::to_string(ntohs(a.sin_port))};
    test::FakeProxy good(test::FakeProxy::Kind::Http, "");
    const HostPort up = HostPort::parse(good.hostPort());
    double tunnel = 0, plain = 0, baseTunnel = 0, basePlain = 0;
    for (auto _ : state) {
        auto alone = startRelay({ProxyEntry{up, "https", ""}});
        baseTunnel = tunnelSeconds(alone->port(), source.port(), 1000);
        basePlain = requestMs(alone->port(), site.root() + "/small") / 1000;
        auto relay = startRelay({ProxyEntry{mute, "https", ""}, ProxyEntry{up, "https", ""}});
        tunnel = tunnelSeconds(relay->port(), source.port(), 1000);
        relay = startRelay({ProxyEntry{mute, "", ""}, ProxyEntry{up, "", ""}});
        plain = requestMs(relay->port(), site.root() + "/small") / 1000;
    }
    ::close(silent);
    state.counters["tunnel_s"] = tunnel;
    state.counters["plain_s"] = plain;
    state.counters["alone_tunnel_s"] = baseTunnel;
    state.counters["alone_plain_s"] = basePlain;
}
BENCHMARK(BM_SilentUpstreamFirst)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

long rssKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return 0;
}

// 1,000 tunnels held open at once through one upstream; the relay's memory for each.
void BM_ThousandTunnels(benchmark::State& state)
{
    test::HttpFixture site("127.0.99.4");
    test::FakeProxy upstream(test::FakeProxy::Kind::Http, "");
    auto relay = startRelay({ProxyEntry{HostPort::parse(upstream.hostPort()), "https", ""}});
    int open = 0;
    double perTunnelKb = 0;
    for (auto _ : state) {
        std::vector<int> fds;
        const long before = rssKb();
        for (int i = 0; i < 1000; ++i) {
            const int fd = connectTo("127.0.0.1", relay->port());
            std::string head, rest;
            if (fd >= 0 && ask(fd, "CONNECT " + site.hostPort() + " HTTP/1.1\r\n\r\n", head, rest) &&
                head.rfind("HTTP/1.1 200", 0) == 0)
                fds.push_back(fd);
            else if (fd >= 0)
                ::close(fd);
        }
        open = static_cast<int>(fds.size());
        perTunnelKb = open > 0 ? static_cast<double>(rssKb() - before) / open : 0;
        for (int fd : fds)
            ::close(fd);
    }
    state.counters["tunnels_open"] = open;
    state.counters["kb_per_tunnel"] = perTunnelKb; // the relay's, with the fake upstream's threads beside it
}
BENCHMARK(BM_ThousandTunnels)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace
} // namespace vorin
