// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The proxy table's hot paths at harvest sizes: appends with a sort in force, the harvest clean-up and a
// full grid redraw. Targets on the 2-core build machine: each under 0.5 s at the sizes named below, and
// appends O(log n) each (compare the per-row time of the two sizes). The JSON export is measured beside the
// text export of the same table, its baseline.
#include "files/jsonexport.h"
#include "files/proxyfiles.h"
#include "table/gridview.h"
#include "table/proxytable.h"

#include <benchmark/benchmark.h>
#include <random>

namespace vorin {
namespace {

std::shared_ptr<const Collator> collator()
{
    static auto c = std::make_shared<const Collator>("en_US");
    return c;
}

std::string randomAddress(std::mt19937& rng)
{
    std::uniform_int_distribution<int> octet(1, 254);
    return std::to_string(octet(rng)) + "." + std::to_string(octet(rng)) + "." + std::to_string(octet(rng)) +
           "." + std::to_string(octet(rng));
}

void appendRow(ProxyTable& t, const std::string& ip)
{
    t.append();
    t.setText(Field::Ip, ip);
    t.setText(Field::Port, "8080");
    t.post();
}

// n appends with the address sort in force: every row goes to its place in the order.
void BM_AppendSortedOnAddress(benchmark::State& state)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    std::mt19937 rng(1);
    std::vector<std::string> ips(n);
    for (auto& ip : ips)
        ip = randomAddress(rng);
    for (auto _ : state) {
        ProxyTable t(collator());
        t.sortOn(Field::Ip);
        for (const auto& ip : ips)
            appendRow(t, ip);
        benchmark::DoNotOptimize(t.rowCount());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}
BENCHMARK(BM_AppendSortedOnAddress)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

// Appends after a sort on the speed: unset rows land between the unset and the validated ones.
void BM_AppendSortedOnSpeed(benchmark::State& state)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        ProxyTable t(collator());
        t.sortOn(Field::Speed);
        for (std::size_t i = 0; i < n; ++i) {
            t.append();
            t.setText(Field::Ip, "10.0.0.1");
            if (i % 2) {
                t.setBoolean(Field::Valid, true);
                t.setInteger(Field::Speed, static_cast<std::int32_t>(i % 5000));
            }
            t.post();
        }
        benchmark::DoNotOptimize(t.rowCount());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}
BENCHMARK(BM_AppendSortedOnSpeed)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

// The clean-up of 100,000 harvested rows, half of them repeating an address.
void BM_HarvestCleanup(benchmark::State& state)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    std::mt19937 rng(2);
    std::vector<std::string> ips(n / 2);
    for (auto& ip : ips)
        ip = randomAddress(rng);
    for (auto _ : state) {
        state.PauseTiming();
        ProxyTable t(collator());
        for (std::size_t i = 0; i < n; ++i)
            appendRow(t, ips[i % ips.size()]);
        state.ResumeTiming();
        gridview::harvestCleanup(t);
        benchmark::DoNotOptimize(t.rowCount());
    }
}
BENCHMARK(BM_HarvestCleanup)->Arg(100'000)->Unit(benchmark::kMillisecond);

// A full redraw of the grid from the table.
void BM_ShowInGrid(benchmark::State& state)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    std::mt19937 rng(3);
    ProxyTable t(collator());
    for (std::size_t i = 0; i < n; ++i)
        appendRow(t, randomAddress(rng));
    ProxyGrid grid(t);
    gridview::initGrid(grid);
    for (auto _ : state) {
        gridview::clearGridBody(grid);
        benchmark::DoNotOptimize(gridview::fillGrid(t, grid));
    }
}
BENCHMARK(BM_ShowInGrid)->Arg(10'000)->Unit(benchmark::kMillisecond);

// The export of n validated rows: argument 1 the JSON for scripts, 0 the window's text file.
void BM_Export(benchmark::State& state)
{
    std::mt19937 rng(4);
    ProxyTable t(collator());
    t.open();
    for (int i = 0; i < 100'000; ++i) {
        t.append();
        t.setText(Field::Ip, randomAddress(rng));
        t.setText(Field::Port, "8080");
        t.setBoolean(Field::Valid, true);
        t.setInteger(Field::Speed, i % 5000);
        t.post();
    }
    const bool json = state.range(0) == 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(json ? proxyfiles::jsonBytes(t)
                                      : proxyfiles::exportBytes(t, proxyfiles::Text, "2026-12-09 12:00:00"));
    }
}
BENCHMARK(BM_Export)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace vorin
