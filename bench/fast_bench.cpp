// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// Fast validation at scale against the mixed loopback fake proxies of bench/fakeproxies.py (valid, slow,
// refused, hanging, reset, wrong status, no marker; a process of their own, so their CPU time is not
// counted). Each benchmark measures its floor in the same run: the longest single check of the mix, which
// is the limit a hanging proxy runs into (15 s), or a slow proxy's delay if that is longer.
//   BM_WindowFastRun: 10,000 rows through the window's controller with 2,048 checks in flight, the
//     progress shown four times a second as the window does (target: wall <= 1.1 x floor);
//   BM_CliFastRun: vorindaili-cli validate --concurrency 2048 on 20,000 proxies (target: wall
//     <= 1.05 x floor, CPU <= 1 ms a check); the fake proxies' process holds a listening socket per proxy
//     and one per connection, so a machine's descriptor limit of 20,000 allows no more in flight here;
//   BM_PacedSampleAgrees: the first 200 proxies of the mix at the window's own pace (one start every
//     120 ms); its verdicts must be those of the fast runs.
// Every run's verdicts are compared with what each fake proxy does. Beside the floor, floor_at_limit_s is
// the best any run could do with that many checks in flight in row order (a hanging proxy holds its place
// for 15 s): with 2,000 hanging proxies among 20,000, 2,048 places are not enough to reach 15 s.
#include "app/frmvrdl.h"
#include "check/KeloInetChecker.h"
#include "support/fakes.h"

#include <benchmark/benchmark.h>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <queue>
#include <set>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vorin {
namespace {

using namespace std::chrono;
constexpr int kPort = 8080;

// What fake proxy i does, as bench/cli_vs_curl.py's behaviour(i): valid (0-7), slow 0.5-2.5 s (8-10),
// then refused, hanging, reset, wrong status, no marker.
bool validByConstruction(int i)
{
    return i % 20 < 11;
}
double slowestDelaySeconds()
{
    return 2.5;
}
// How long check i takes at best: a slow proxy's delay, a hanging one's limit, the others next to nothing.
double durationOf(int i, double limit)
{
    const int k = i % 20;
    if (k >= 8 && k < 11)
        return 0.5 + (i % 3) * 1.0;
    return k >= 14 && k < 16 ? limit : 0.0;
}
// The wall time of checks started in row order with at most inFlight out at once, were every check to take
// exactly its duration and every start to cost nothing: the floor of the mix at that limit. Hanging proxies
// hold their places for the whole limit, so with few places the later rows wait for them.
double floorAtLimit(int count, int inFlight, double limit)
{
    std::priority_queue<double, std::vector<double>, std::greater<>> ends;
    double now = 0, last = 0;
    for (int i = 0; i < count; ++i) {
        if (static_cast<int>(ends.size()) >= inFlight) {
            now = std::max(now, ends.top());
            ends.pop();
        }
        ends.push(now + durationOf(i, limit));
        last = std::max(last, now + durationOf(i, limit));
    }
    return last;
}
std::string address(int i, int base)
{
    return "127." + std::to_string(base) + "." + std::to_string(i / 250) + "." + std::to_string(i % 250 + 1);
}

// The fake proxies of bench/fakeproxies.py, from start to the end of the benchmark.
class FakeProxies {
public:
    FakeProxies(int count, int base)
    {
        int out[2];
        if (::pipe(out) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            const std::string script = std::string(VORIN_BENCH_DIR) + "/fakeproxies.py";
            const std::string n = std::to_string(count), b = std::to_string(base), p = std::to_string(kPort);
            ::execlp("python3", "python3", script.c_str(), n.c_str(), b.c_str(), p.c_str(),
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(out[1]);
        char line[16] = {};
        ready_ = ::read(out[0], line, sizeof line - 1) > 0 && std::string(line).rfind("ready", 0) == 0;
        ::close(out[0]);
    }
    ~FakeProxies()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool ready() const { return ready_; }

private:
    pid_t pid_ = -1;
    bool ready_ = false;
};

std::string listOf(int count, int base)
{
    std::string list;
    for (int i = 0; i < count; ++i)
        list += address(i, base) + ":" + std::to_string(kPort) + "\r\n";
    return list;
}

std::set<std::string> truthOf(int count, int base)
{
    std::set<std::string> valid;
    for (int i = 0; i < count; ++i) {
        if (validByConstruction(i))
            valid.insert(address(i, base));
    }
    return valid;
}

double cpuSeconds(int who)
{
    rusage u{};
    ::getrusage(who, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double floorSeconds()
{
    return std::max(duration<double>(TKeloInetChecker::overallLimit()).count(), slowestDelaySeconds());
}

// A validation run of the window's controller over count proxies of the mix; fast > 0 checks in flight.
void windowRun(benchmark::State& state, int count, int base, int fast)
{
    FakeProxies proxies(count, base);
    if (!proxies.ready()) {
        state.SkipWithError("the fake proxies did not start");
        return;
    }
    test::TempDir registry("fast-bench-registry");
    test::ScopedEnv registryEnv("VORIN_REGISTRY_DIR", registry.path().string());
    test::ScopedEnv desktop("VORIN_DESKTOP_PROXY", "0");
    const std::set<std::string> truth = truthOf(count, base);
    for (auto _ : state) {
        test::FakeView view;
        SystemClock clock;
        Dispatcher dispatcher;
        Tfrmvrdl form(view, dispatcher, clock, test::loopbackEndpoints(), TempPaths("/tmp", "/tmp"));
        form.importbytes(listOf(count, base));
        form.showingrid();
        form.setfastchecks(fast);
        const auto start = steady_clock::now();
        const double cpu = cpuSeconds(RUSAGE_SELF);
        form.btncheckproxyExecute();
        auto shown = steady_clock::now();
        while (!form.checkdone()) {
            dispatcher.waitMessages(milliseconds(20));
            if (steady_clock::now() - shown >= milliseconds(250)) {
                form.showprogress(); // as the window's timer does
                shown = steady_clock::now();
            }
        }
        const double wall = duration<double>(steady_clock::now() - start).count();
        std::set<std::string> kept;
        form.table().forEach([&](std::size_t, const ProxyRecord& r) { kept.insert(r.text(Field::Ip)); });
        state.SetIterationTime(wall);
        state.counters["rows"] = count;
        state.counters["wall_s"] = wall;
        state.counters["floor_s"] = fast > 0 ? floorSeconds() : count * 0.120 + floorSeconds();
        state.counters["wall_over_floor"] = wall / state.counters["floor_s"];
        if (fast > 0) {
            state.counters["floor_at_limit_s"] = floorAtLimit(count, fast, floorSeconds());
            state.counters["wall_over_floor_at_limit"] = wall / state.counters["floor_at_limit_s"];
        }
        state.counters["cpu_ms_per_check"] = (cpuSeconds(RUSAGE_SELF) - cpu) * 1000.0 / count;
        state.counters["verdicts_as_built"] = kept == truth;
        state.counters["retried"] = form.run()->progress().retried;
    }
}

void BM_WindowFastRun(benchmark::State& state)
{
    windowRun(state, static_cast<int>(state.range(0)), 82, static_cast<int>(state.range(1)));
}
BENCHMARK(BM_WindowFastRun)
    ->Args({10000, 2048})
    ->Args({10000, 4096})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

void BM_PacedSampleAgrees(benchmark::State& state)
{
    windowRun(state, 200, 83, 0);
}
BENCHMARK(BM_PacedSampleAgrees)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void BM_CliFastRun(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const int base = 84;
    FakeProxies proxies(count, base);
    if (!proxies.ready()) {
        state.SkipWithError("the fake proxies did not start");
        return;
    }
    test::TempDir dir("fast-bench-cli");
    {
        std::ofstream list(dir.path() / "list.txt", std::ios::binary);
        list << listOf(count, base);
    }
    const std::filesystem::path sites = test::writeEndpointsAt(dir.path(), "http://127.0.0.1:9");
    std::filesystem::create_directories(dir.path() / "registry");
    const std::set<std::string> truth = truthOf(count, base);
    for (auto _ : state) {
        const auto start = steady_clock::now();
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::setenv("VORIN_ENDPOINTS", sites.c_str(), 1);
            ::setenv("VORIN_REGISTRY_DIR", (dir.path() / "registry").c_str(), 1);
            ::setenv("VORIN_DESKTOP_PROXY", "0", 1);
            const std::string in = (dir.path() / "list.txt").string(),
                              out = (dir.path() / "out.json").string();
            const std::string concurrency = std::to_string(state.range(1));
            std::freopen("/dev/null", "w", stderr);
            ::execl(VORIN_CLI_PATH, VORIN_CLI_PATH, "validate", "--in", in.c_str(), "--concurrency",
                    concurrency.c_str(), "--format", "json", "--out", out.c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        int status = 0;
        rusage usage{};
        ::wait4(pid, &status, 0, &usage);
        const double wall = duration<double>(steady_clock::now() - start).count();
        const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        std::set<std::string> kept;
        std::ifstream out(dir.path() / "out.json");
        const auto rows = nlohmann::json::parse(out, nullptr, false);
        if (rows.is_array()) {
            for (const auto& r : rows)
                kept.insert(r.value("IP地址", std::string()));
        }
        state.SetIterationTime(wall);
        state.counters["exit_status"] = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        state.counters["rows"] = count;
        state.counters["wall_s"] = wall;
        state.counters["floor_s"] = floorSeconds();
        state.counters["wall_over_floor"] = wall / floorSeconds();
        const int inFlight = static_cast<int>(state.range(1));
        state.counters["floor_at_limit_s"] = floorAtLimit(count, inFlight, floorSeconds());
        state.counters["wall_over_floor_at_limit"] = wall / state.counters["floor_at_limit_s"];
        state.counters["cpu_ms_per_check"] = cpu * 1000.0 / count;
        state.counters["verdicts_as_built"] = kept == truth;
    }
}
BENCHMARK(BM_CliFastRun)->Args({20000, 2048})->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace
} // namespace vorin
