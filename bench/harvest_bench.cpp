// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// Cutting throughput of every source's scan on large synthetic pages (target: at least 100 MB/s for the
// line scanners and the address pattern) and the rate of entries handed to the main thread (target: at
// least 20,000 per second).
#include "harvest/antipalivo.h"
#include "harvest/feeds.h"
#include "harvest/htmltables.h"
#include "harvest/patterns.h"

#include <benchmark/benchmark.h>
#include <thread>

namespace vorin {
namespace {

constexpr std::size_t kPageBytes = 16u << 20;

std::string ip(std::size_t i)
{
    return "10." + std::to_string(i / 65536 % 256) + "." + std::to_string(i / 256 % 256) + "." +
           std::to_string(i % 256);
}

// Grows a page of head, then row(i) for i = 0, 1, ... up to kPageBytes, then tail.
template <typename Row> std::string page(const std::string& head, Row row, const std::string& tail)
{
    std::string s = head;
    for (std::size_t i = 0; s.size() < kPageBytes; ++i)
        s += row(i);
    return s + tail;
}

struct Env {
    Dispatcher dispatcher;
    Endpoints endpoints = Endpoints::defaults();
    HarvestEnv env{dispatcher, endpoints, TempPaths("/tmp", "/tmp"), [](const Entry&) {}, {}};
};

template <typename Source> void runCut(benchmark::State& state, const std::string& text)
{
    Env e;
    Source source(e.env);
    std::size_t entries = 0;
    for (auto _ : state) {
        Lines lines(text); // loading the lines is part of every cut
        source.parse(lines, [&](Entry entry) {
            ++entries;
            benchmark::DoNotOptimize(entry);
        });
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["entries"] = static_cast<double>(entries) / static_cast<double>(state.iterations());
}

void BM_CutCnproxy(benchmark::State& state)
{
    static const std::string text = page(
        "<html><table>\r\n<tr><td width=\"140\">IP:Port</td><td width=\"40\">Type</td><td "
        "width=\"90\">Speed</td>"
        "<td width=\"160\"> Country/Area</td></tr>\r\n",
        [](std::size_t i) {
            return "<tr><td>" + ip(i) +
                   "<SCRIPT type=text/javascript>document.write(\":\"+r+d+r+d)</SCRIPT></td><td>HTTP</td>"
                   "<td>0.52</td><td>China</td></tr>\r\n";
        },
        "</table>\r\n</html>\r\n");
    runCut<tdowncnp>(state, text);
}
BENCHMARK(BM_CutCnproxy)->Unit(benchmark::kMillisecond);

void BM_CutProxycn(benchmark::State& state)
{
    static const std::string text = page(
        "<table>\r\n",
        [](std::size_t i) {
            return "<TR align=\"center\" bgcolor=\"#fbfbfb\" onDblClick=\"clip('" + ip(i) +
                   ":8080');alert('ok')\"><TD>" + ip(i) +
                   "</TD><TD>8080</TD></TR>\r\n<tr><td>filler</td></tr>\r\n";
        },
        "</table>\r\n\r\n\r\n");
    runCut<Tproxycn>(state, text);
}
BENCHMARK(BM_CutProxycn)->Unit(benchmark::kMillisecond);

void BM_CutProxynet(benchmark::State& state)
{
    static const std::string text = page(
        "<div class=\"content\"><table id=\"proxy-list\" "
        "width=\"100%\">\n<tr>\n<tr>\n<tr>\n<tr>\n<tr>\n<tr>\n<tr>\n"
        "<tr>\n",
        [](std::size_t i) {
            return "<td>" + ip(i) +
                   "</td>\n<td>8080</td>\n<td>anonymous</td>\n<td>spain</td>\n<td>x</td>\n</tr>\n<tr>\n";
        },
        "</table>\n</div>\n</div>\n</div>\n</div>\n</div>\n</div>\n</div>\n</div>\n");
    runCut<Tproxynet>(state, text);
}
BENCHMARK(BM_CutProxynet)->Unit(benchmark::kMillisecond);

void BM_CutRosinstrument(benchmark::State& state)
{
    static const std::string text = page(
        "<rss><channel>\n<title>list</title>\n<image>\n<title>logo</title>\n</image>\n",
        [](std::size_t i) {
            return "<item><title>" + ip(i) + ":3128</title><link>http://example/</link></item>\n";
        },
        "</channel>\n</rss>\n");
    runCut<tdownros>(state, text);
}
BENCHMARK(BM_CutRosinstrument)->Unit(benchmark::kMillisecond);

void BM_CutProxylists(benchmark::State& state)
{
    static const std::string text = page(
        "", [](std::size_t i) { return ip(i) + ":8080\r\n"; }, "");
    runCut<Tproxylists>(state, text);
}
BENCHMARK(BM_CutProxylists)->Unit(benchmark::kMillisecond);

void BM_CutAntipalivo(benchmark::State& state)
{
    std::string tail;
    for (int i = 0; i < 211; ++i)
        tail += "<p>filler</p>\n";
    static const std::string text = page(
        "<table>\n<td align=\"center\" colspan=\"5\">HTTP</td></tr>\n<tr><th>head</th></tr>\n",
        [](std::size_t i) {
            return "<tr><td class=\"ip\">" + ip(i) +
                   "</td><td><script>decode(\"57,49,57,49\");</script></td><td>anonymous</td></tr>\n";
        },
        "</table>\n" + tail);
    runCut<Tantipalivo>(state, text);
}
BENCHMARK(BM_CutAntipalivo)->Unit(benchmark::kMillisecond);

// The address pattern alone over running text where addresses are rare.
void BM_AddressScan(benchmark::State& state)
{
    std::string text;
    while (text.size() < kPageBytes)
        text += "version 1.2.3 released on 2026.12.08, build 42; see table 7.1 and 3.14 ";
    text += "1.2.3.4";
    for (auto _ : state)
        benchmark::DoNotOptimize(patterns::findAddress(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_AddressScan)->Unit(benchmark::kMillisecond);

// The address:port pattern over a 50 MB article page: every match, left to right, as the discovered-page
// source takes them, with an address:port in roughly every tenth line.
void BM_AddressWithPortScan(benchmark::State& state)
{
    std::string text;
    for (std::size_t i = 0; text.size() < (50u << 20); ++i) {
        text += "<p>Free proxy list updated 2026.12.08 10:30, checked by 3 servers in 1.5 s. </p>\r\n";
        if (i % 10 == 0)
            text += "<td>" + ip(i) + ":8080</td> 10.0.0.1:80:90\r\n";
    }
    std::size_t matches = 0;
    for (auto _ : state) {
        matches = 0;
        std::size_t from = 0;
        while (auto m = patterns::findAddressWithPort(text, from)) {
            ++matches;
            from = m->pos + m->len;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["matches"] = static_cast<double>(matches);
}
BENCHMARK(BM_AddressWithPortScan)->Unit(benchmark::kMillisecond);

// One worker thread handing entries to a main thread that drains the queue, one blocking call per entry.
void BM_HandOverEntries(benchmark::State& state)
{
    const int n = 20000;
    for (auto _ : state) {
        Dispatcher dispatcher;
        std::atomic<bool> done{false};
        int received = 0;
        std::thread worker([&] {
            for (int i = 0; i < n; ++i)
                dispatcher.synchronize([&] { ++received; });
            done = true;
        });
        while (!done.load())
            dispatcher.drain();
        worker.join();
        benchmark::DoNotOptimize(received);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * n);
}
BENCHMARK(BM_HandOverEntries)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace vorin
