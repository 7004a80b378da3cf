// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// A hostile list: one page of a million entries harvested through the window's controller, from a loopback
// fixture. Reports the rows kept, the memory it took (growth of the peak resident size), the longest stretch
// in which the window could not run (target: at most 100 ms), and how long after the last entry arrived
// the final listing (clean-up, sort and grid of every row) had shown them (target: at most 2 s).
#include "app/frmvrdl.h"
#include "platform/download.h"
#include "support/fakes.h"
#include "support/httpfixture.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

namespace vorin {
namespace {

double peakMegabytes()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_maxrss) / 1024.0;
}

// The main thread's hand-over that also times the turns between the moments the window could run (each
// processMessages is one; the program's event loop runs the window there).
class TurnTimer final : public Dispatcher {
public:
    void processMessages() override
    {
        mark();
        Dispatcher::processMessages();
    }
    // A moment the window could run.
    void mark()
    {
        const auto now = std::chrono::steady_clock::now();
        longest = std::max(longest, std::chrono::duration<double, std::milli>(now - last).count());
        last = now;
        ++turns;
    }
    void restart() { last = std::chrono::steady_clock::now(); }
    double longest = 0;
    std::size_t turns = 0;
    std::chrono::steady_clock::time_point last = std::chrono::steady_clock::now();
};

// Bytes of heap in use (the allocator's count, not the resident size, so that freed pages do not blur it).
double heapBytes()
{
    return static_cast<double>(::mallinfo2().uordblks);
}

void BM_HarvestAMillionEntryPage(benchmark::State& state)
{
    const std::size_t entries = static_cast<std::size_t>(state.range(0));
    test::HttpFixture server;
    std::string page;
    page.reserve(entries * 18);
    for (std::size_t i = 0; i < entries; ++i) {
        page += "127." + std::to_string(i / 65536 % 256) + "." + std::to_string(i / 256 % 256) + "." +
                std::to_string(i % 256) + ":" + std::to_string(1000 + i / 16777216) + "\n";
    }
    server.serve("/http.txt", page);
    page = std::string();
    test::TempDir registry("million-registry"), pages("million-pages");
    test::ScopedEnv registryEnv("VORIN_REGISTRY_DIR", registry.path().string());
    download::setLimits({std::chrono::milliseconds(5000), std::chrono::milliseconds(60000), 64u << 20});

    for (auto _ : state) {
        const double before = peakMegabytes();
        test::FakeView view;
        test::FakeClock clock;
        TurnTimer dispatcher;
        Tfrmvrdl form(view, dispatcher, clock, test::endpointsAt(server.root()),
                      TempPaths(pages.path(), pages.path()));
        form.frmshowExecute();
        const double empty = heapBytes();
        view.checked = {false, true, false};
        form.actdownExecute();
        // The event loop's turns while entries arrive and while the listing (clean-up, sort, grid) runs;
        // the listing is the turn in which the last worker ended, with the moments it let the window run.
        double listing = 0;
        dispatcher.restart();
        dispatcher.longest = 0;
        while (form.coordinator()->threadcount > 0 || form.coordinator()->backgroundcount > 0) {
            const auto start = std::chrono::steady_clock::now();
            const bool harvesting = form.coordinator()->threadcount > 0;
            dispatcher.mark();
            if (dispatcher.drain() == 0)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            dispatcher.mark();
            if (harvesting && form.coordinator()->threadcount == 0)
                listing = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                              .count();
        }
        state.counters["rows"] = static_cast<double>(form.table().rowCount());
        state.counters["peak_growth_MB"] = peakMegabytes() - before;
        // The rows as the window holds them after the listing: sorted on the address, so with text keys.
        state.counters["bytes_per_row"] =
            (heapBytes() - empty) / static_cast<double>(form.table().rowCount());
        state.counters["longest_turn_ms"] = dispatcher.longest;
        state.counters["listing_ms"] = listing;
    }
}

// A million imported rows in the window's controller, on the real clock: the heap they take above the
// empty window's, per row (target: at most 200 bytes), how long the import and the listing that shows
// them took (target: shown within 2 s), and the longest stretch in which the window could not run
// (target: at most 100 ms; the listing at the end is one such stretch).
void BM_ImportAMillionRows(benchmark::State& state)
{
    const std::size_t rows = static_cast<std::size_t>(state.range(0));
    std::string list;
    list.reserve(rows * 20);
    for (std::size_t i = 0; i < rows; ++i) {
        list += "127." + std::to_string(i / 65536 % 256) + "." + std::to_string(i / 256 % 256) + "." +
                std::to_string(i % 256) + ":" + std::to_string(1000 + i / 16777216) + "\r\n";
    }
    test::TempDir registry("million-import-registry");
    test::ScopedEnv registryEnv("VORIN_REGISTRY_DIR", registry.path().string());
    for (auto _ : state) {
        test::FakeView view;
        SystemClock clock;
        TurnTimer dispatcher;
        Tfrmvrdl form(view, dispatcher, clock, test::loopbackEndpoints());
        form.frmshowExecute();
        const double empty = heapBytes();
        const auto start = std::chrono::steady_clock::now();
        dispatcher.restart();
        dispatcher.longest = 0;
        form.importbytes(list);
        const auto listing = std::chrono::steady_clock::now();
        form.showingrid(); // ends with a processMessages of its own
        const auto end = std::chrono::steady_clock::now();
        state.counters["rows"] = static_cast<double>(form.table().rowCount());
        state.counters["bytes_per_row"] = (heapBytes() - empty) / static_cast<double>(rows);
        state.counters["shown_after_s"] = std::chrono::duration<double>(end - start).count();
        state.counters["listing_ms"] = std::chrono::duration<double, std::milli>(end - listing).count();
        state.counters["longest_turn_ms"] = dispatcher.longest;
        state.counters["turns"] = static_cast<double>(dispatcher.turns);
    }
}
BENCHMARK(BM_ImportAMillionRows)->Arg(1000000)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

BENCHMARK(BM_HarvestAMillionEntryPage)->Arg(1000000)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace
} // namespace vorin
