// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// Checks at scale against loopback fake proxies: 1,000 checks issued back to back (wall time, peak memory,
// error of the measured time against the injected delay), and a validation run of 200 rows against its
// floor of 200 x 120 ms plus the slowest check (target: within 3 %); and the time a check measures through a
// real tinyproxy against what curl alone measures for the same fetch (target: a few milliseconds apart).
#include "app/frmvrdl.h"
#include "check/KeloInetChecker.h"
#include "platform/gbk.h"
#include "support/fakes.h"
#include "support/httpfixture.h"
#include "support/tinyproxy.h"

#include <benchmark/benchmark.h>
#include <functional>
#include <optional>
#include <sys/resource.h>
#include <thread>

namespace vorin {
namespace {

using namespace std::chrono;
using Response = test::HttpFixture::Response;

std::vector<std::unique_ptr<test::HttpFixture>> fakeProxies(int count, int delayMs)
{
    std::vector<std::unique_ptr<test::HttpFixture>> out;
    for (int i = 0; i < count; ++i) {
        out.push_back(std::make_unique<test::HttpFixture>("127.0.0." + std::to_string(100 + i)));
        out.back()->serve("/ip2city.asp",
                          Response::with(200, gbk::fromUtf8("您的IP地址") + "127.0.0.1", delayMs));
    }
    return out;
}

// The main thread's loop, idling only 200 us so that completions are timed closely.
void drainUntil(Dispatcher& dispatcher, const std::function<bool()>& done)
{
    while (!done()) {
        if (dispatcher.drain() == 0)
            std::this_thread::sleep_for(microseconds(200));
    }
}

double peakRssMb()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_ThousandChecksBackToBack(benchmark::State& state)
{
    const int kChecks = static_cast<int>(state.range(0));
    constexpr int kDelayMs = 100;
    auto proxies = fakeProxies(10, kDelayMs);
    double meanError = 0;
    double maxError = 0;
    int valid = 0;
    for (auto _ : state) {
        Dispatcher dispatcher;
        FetchEngine engine;
        std::vector<std::unique_ptr<TKeloInetChecker>> checkers;
        std::vector<steady_clock::time_point> started(kChecks);
        std::vector<double> took(kChecks, -1);
        int done = 0;
        valid = 0;
        for (int i = 0; i < kChecks; ++i) {
            auto c = std::make_unique<TKeloInetChecker>(engine, dispatcher);
            c->AccessType = TAccessType::atProxy;
            c->Proxy = proxies[static_cast<std::size_t>(i) % proxies.size()]->hostPort();
            c->Url = "http://127.0.0.1:9/ip2city.asp";
            c->Tag = i;
            c->OnComplete = [&](TKeloInetChecker* s, bool ok) {
                took[static_cast<std::size_t>(s->Tag)] =
                    duration<double, std::milli>(steady_clock::now() -
                                                 started[static_cast<std::size_t>(s->Tag)])
                        .count();
                valid += ok;
                ++done;
            };
            started[static_cast<std::size_t>(i)] = steady_clock::now();
            c->Start();
            checkers.push_back(std::move(c));
        }
        drainUntil(dispatcher, [&] { return done == kChecks; });
        meanError = 0;
        maxError = 0;
        for (double t : took) {
            double err = t - kDelayMs;
            meanError += err / kChecks;
            maxError = std::max(maxError, err);
        }
    }
    state.counters["valid"] = valid;
    state.counters["mean_error_ms"] = meanError;
    state.counters["max_error_ms"] = maxError;
    state.counters["peak_rss_mb"] = peakRssMb();
}
BENCHMARK(BM_ThousandChecksBackToBack)
    ->Arg(1)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

void BM_ValidationRunOf200Rows(benchmark::State& state)
{
    constexpr int kRows = 200;
    constexpr int kDelayMs = 50;
    auto proxies = fakeProxies(20, kDelayMs);
    test::TempDir registry("bench-registry");
    setenv("VORIN_REGISTRY_DIR", registry.path().c_str(), 1);
    double ratio = 0;
    for (auto _ : state) {
        test::FakeView view;
        SystemClock clock;
        Dispatcher dispatcher;
        Tfrmvrdl form(view, dispatcher, clock, test::loopbackEndpoints(), TempPaths("/tmp", "/tmp"));
        for (int i = 0; i < kRows; ++i) {
            auto& proxy = *proxies[static_cast<std::size_t>(i) % proxies.size()];
            form.table().append();
            form.table().setText(Field::Ip, proxy.address());
            form.table().setText(Field::Port, std::to_string(proxy.port()));
            form.table().post();
        }
        auto start = steady_clock::now();
        form.btncheckproxyExecute();
        drainUntil(dispatcher, [&] { return form.run() && form.checkdone(); });
        double wall = duration<double, std::milli>(steady_clock::now() - start).count();
        double floor = kRows * 120.0 + kDelayMs;
        ratio = wall / floor;
        state.SetIterationTime(wall / 1000.0);
        state.counters["valid_rows"] = static_cast<double>(form.table().rowCount());
    }
    state.counters["wall_over_floor"] = ratio;
}
BENCHMARK(BM_ValidationRunOf200Rows)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

// Pairs of one plain curl fetch and one check of the same page through the same tinyproxy, in turns; the
// counters are the medians and the median of the per-pair differences (check minus curl).
void BM_CheckThroughTinyproxyAgainstCurl(benchmark::State& state)
{
    if (!test::Tinyproxy::installed()) {
        state.SkipWithError("tinyproxy is not installed");
        return;
    }
    constexpr int kDelayMs = 40;
    test::TempDir dir("bench-tinyproxy");
    test::HttpFixture site("127.0.0.1");
    site.serve("/ip2city.asp", Response::with(200, gbk::fromUtf8("您的IP地址") + "127.0.0.1", kDelayMs));
    test::Tinyproxy proxy(dir.path());
    Dispatcher dispatcher;
    FetchEngine engine;
    std::vector<double> checks;
    std::vector<double> curls;
    std::vector<double> differences;
    int valid = 0;
    for (auto _ : state) {
        FetchEngine::Request request;
        request.url = site.root() + "/ip2city.asp";
        request.proxy = HostPort::parse(proxy.hostPort());
        auto before = steady_clock::now();
        valid += TKeloInetChecker::verdict(FetchEngine::fetchNow(request));
        curls.push_back(duration<double, std::milli>(steady_clock::now() - before).count());

        TKeloInetChecker c(engine, dispatcher);
        c.AccessType = TAccessType::atProxy;
        c.Proxy = proxy.hostPort();
        c.Url = request.url;
        std::optional<steady_clock::time_point> at;
        c.OnComplete = [&](TKeloInetChecker*, bool ok) {
            at = steady_clock::now();
            valid += ok;
        };
        auto start = steady_clock::now();
        c.Start();
        drainUntil(dispatcher, [&] { return at.has_value(); });
        checks.push_back(duration<double, std::milli>(*at - start).count());
        differences.push_back(checks.back() - curls.back());
    }
    state.counters["valid_of_2n"] = valid;
    state.counters["check_ms"] = test::median(checks);
    state.counters["curl_ms"] = test::median(curls);
    state.counters["difference_ms"] = test::median(differences);
}
BENCHMARK(BM_CheckThroughTinyproxyAgainstCurl)->Unit(benchmark::kMillisecond)->Iterations(50);

} // namespace
} // namespace vorin
