// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The soak: the window's controller driven for a few minutes against misbehaving loopback peers (see
// fixtures.py): repeated harvests from sites that drop, stall, send garbage and oversized pages, and
// validation runs over thousands of rows against fake proxies that refuse, hang, reset or answer slowly,
// with the download button pressed again during both and the stop button at random moments. Afterwards
// it checks that nothing is left running or behind, that memory came back, and that every valid proxy
// that was checked to the end is in the table. Exits non-zero on any failed check; a sanitizer report
// ends it on the spot.
//   vorin_soak FIXTURES.PY [seconds] [rows]
#include "app/frmvrdl.h"
#include "files/proxyfiles.h"
#include "platform/download.h"
#include "support/fakes.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <set>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vorin {
namespace {

using namespace std::chrono_literals;
using Clock_ = std::chrono::steady_clock;

constexpr int kProxies = 400;
// Kinds by index, as in fixtures.py: 0-4 valid, 5 slow, 6 hang, 7 reset, 8 status 403, 9 refused.
bool validProxy(int i)
{
    return i % 10 <= 5;
}
std::string proxyAddress(int i)
{
    return "127.60." + std::to_string(i / 250) + "." + std::to_string(i % 250 + 1);
}

std::size_t residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

std::size_t peakBytes()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return static_cast<std::size_t>(u.ru_maxrss) * 1024;
}

// Real time, with the window's pauses shortened (the checks and downloads are what is being soaked),
// and a hook that acts while the controller waits, as a click would arrive during a pause.
class SoakClock final : public Clock {
public:
    std::uint32_t tickCount() override
    {
        return static_cast<std::uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock_::now().time_since_epoch()).count());
    }
    void sleep(std::uint32_t ms) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms / 8));
        if (onPause)
            onPause();
    }
    std::function<void()> onPause;
};

// The hand-over, also giving the hook its turn whenever the controller processes messages or waits.
class SoakDispatcher final : public Dispatcher {
public:
    void processMessages() override
    {
        Dispatcher::processMessages();
        if (onTurn)
            onTurn();
    }
    void waitMessages(std::chrono::milliseconds limit) override
    {
        Dispatcher::waitMessages(limit);
        if (onTurn)
            onTurn();
    }
    std::function<void()> onTurn;
};

struct Peers {
    pid_t pid = -1;
    FILE* out = nullptr;
    std::string injected;
};

Peers startPeers(const std::string& script, const std::string& sites)
{
    int fds[2];
    if (::pipe(fds) != 0)
        std::exit(2);
    Peers p;
    p.pid = ::fork();
    if (p.pid == 0) {
        ::dup2(fds[1], 1);
        ::close(fds[0]);
        ::execlp("python3", "python3", script.c_str(), "--sites", sites.c_str(), "--proxies",
                 std::to_string(kProxies).c_str(), "--oversize-mb", "9", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    p.out = ::fdopen(fds[0], "r");
    char line[256] = {};
    if (!std::fgets(line, sizeof line, p.out) || std::string(line) != "ready\n") {
        std::fprintf(stderr, "soak: the fixture peers did not start\n");
        std::exit(2);
    }
    return p;
}

void stopPeers(Peers& p)
{
    ::kill(p.pid, SIGTERM);
    char line[1024] = {};
    if (std::fgets(line, sizeof line, p.out))
        p.injected = line;
    while (!p.injected.empty() && p.injected.back() == '\n')
        p.injected.pop_back();
    std::fclose(p.out);
    ::waitpid(p.pid, nullptr, 0);
}

int failures = 0;
void check(bool ok, const std::string& what)
{
    if (!ok) {
        ++failures;
        std::fprintf(stderr, "soak: FAILED: %s\n", what.c_str());
    }
}

int run(const std::string& script, int seconds, int rows)
{
    test::TempDir registry("soak-registry");
    test::TempDir pages("soak-pages");
    setenv("VORIN_REGISTRY_DIR", registry.path().c_str(), 1);
    setenv("GSETTINGS_BACKEND", "memory", 1);
    setenv("VORIN_DESKTOP_PROXY", "0", 1);

    const std::string sites = "127.62.0.1:" + std::to_string(20000 + ::getpid() % 20000);
    Peers peers = startPeers(script, sites);
    // Shorter limits keep a round short; an oversized page (9 MiB) is over this cap.
    download::setLimits({1500ms, 4000ms, 8u << 20});
    TKeloInetChecker::setOverallLimit(5000ms);

    std::mt19937 rng(static_cast<unsigned>(::getpid()));
    auto chance = [&](double p) { return std::uniform_real_distribution<double>(0, 1)(rng) < p; };

    test::FakeView view;
    SoakClock clock;
    SoakDispatcher dispatcher;
    auto form = std::make_unique<Tfrmvrdl>(view, dispatcher, clock, test::endpointsAt("http://" + sites),
                                           TempPaths(pages.path(), pages.path()));
    form->frmshowExecute();

    // Disturbances, planned per round and fired at their moment from the controller's pauses and message
    // turns, as a click arrives while the window waits.
    enum class Action { None, DownloadAgainInHarvest, DownloadAgainInValidation, Stop };
    Action planned = Action::None;
    Clock_::time_point due{};
    bool inHook = false, disturbed = false;
    int downloadsAgain = 0, stops = 0;
    auto plan = [&](Action a, std::chrono::milliseconds within) {
        planned = a;
        due = Clock_::now() +
              std::chrono::milliseconds(std::uniform_int_distribution<long>(0, within.count())(rng));
    };
    auto hook = [&] {
        if (inHook || planned == Action::None || Clock_::now() < due)
            return;
        inHook = true;
        const Action a = planned;
        planned = Action::None;
        if (a == Action::Stop) {
            ++stops;
            disturbed = true;
            form->btnstopcheckExecute();
        } else {
            ++downloadsAgain;
            disturbed = a == Action::DownloadAgainInValidation;
            if (a == Action::DownloadAgainInHarvest)
                form->actdownExecute();
            else
                form->btndownproxyExecute();
        }
        inHook = false;
    };
    clock.onPause = hook;
    dispatcher.onTurn = hook;

    // The event loop: runs what the workers and checks handed over, and lets a planned click arrive.
    auto pump = [&](const std::function<bool()>& done, std::chrono::seconds limit) {
        return test::pumpUntil(dispatcher, done, limit, hook);
    };
    auto settled = [&] {
        return form->coordinator()->threadcount == 0 && form->coordinator()->backgroundcount == 0 &&
               !form->busy && (form->checkdone() || form->run()->progress().started == 0);
    };

    const auto end = Clock_::now() + std::chrono::seconds(seconds);
    int round = 0, harvests = 0;
    long rowsChecked = 0, harvestedRows = 0;
    std::size_t startRss = 0;
    while (Clock_::now() < end || round < 2) {
        ++round;
        // A harvest of a random choice of groups.
        const int groups = std::uniform_int_distribution<int>(1, 7)(rng);
        view.checked = {(groups & 1) != 0, (groups & 2) != 0, (groups & 4) != 0};
        if (chance(0.5))
            plan(Action::DownloadAgainInHarvest, 2500ms);
        form->actdownExecute();
        ++harvests;
        check(pump([&] { return form->coordinator()->threadcount == 0; }, 120s),
              "harvest " + std::to_string(round) + " ended");
        harvestedRows += static_cast<long>(form->table().rowCount());
        planned = Action::None;
        check(!form->busy, "busy clear after harvest " + std::to_string(round));

        // A validation run over a list of the fake proxies; every other round in the fast mode.
        const bool fast = round % 2 == 1;
        const int n = fast ? rows : rows / 10;
        std::string list;
        std::vector<int> picked;
        for (int i = 0; i < n; ++i) {
            const int p = std::uniform_int_distribution<int>(0, kProxies - 1)(rng);
            picked.push_back(p);
            list += proxyAddress(p) + ":8080\r\n";
        }
        proxyfiles::importBytes(form->table(), list);
        form->showingrid();
        form->checkpause = fast ? 0 : 120;
        form->checkparallel = fast ? 256 : 0;
        disturbed = false;
        if (const double roll = std::uniform_real_distribution<double>(0, 1)(rng); roll < 0.25)
            plan(Action::Stop, fast ? 6000ms : 5000ms);
        else if (roll < 0.4)
            plan(Action::DownloadAgainInValidation, fast ? 6000ms : 5000ms);
        form->btncheckproxyExecute();
        check(pump(settled, 180s), "validation " + std::to_string(round) + " ended");
        planned = Action::None;
        check(pump(settled, 180s), "everything settled after round " + std::to_string(round));
        rowsChecked += form->run() ? form->run()->progress().completed : 0;

        // Only valid proxies remain; a run that nobody disturbed keeps every one of them.
        std::set<std::string> validAddresses;
        std::size_t expected = 0;
        for (int p : picked) {
            if (validProxy(p)) {
                ++expected;
                validAddresses.insert(proxyAddress(p));
            }
        }
        std::size_t kept = 0, wrong = 0;
        form->table().forEach([&](std::size_t, const ProxyRecord& r) {
            ++kept;
            wrong += !r.valid || !validAddresses.count(r.text(Field::Ip));
        });
        if (!disturbed) {
            check(wrong == 0, "round " + std::to_string(round) + ": only valid rows kept");
            check(kept == expected, "round " + std::to_string(round) + ": all " + std::to_string(expected) +
                                        " valid rows kept (" + std::to_string(kept) + ")");
        }
        check(test::filesIn(pages.path()) == 0, "no page file left after round " + std::to_string(round));
        form->cleartable();
        form->cleargrid();
        if (round == 1)
            startRss = residentBytes();
        std::fprintf(stderr, "soak: round %d %s %d rows%s, rss %.1f MB\n", round, fast ? "fast" : "paced", n,
                     disturbed ? " (disturbed)" : "", residentBytes() / 1048576.0);
    }
    // The form's end joins every thread.
    check(form->coordinator()->threadcount == 0, "threadcount 0");
    check(!form->busy, "busy clear");
    const std::size_t finalRss = residentBytes();
    form.reset();
    stopPeers(peers);
    check(test::filesIn(pages.path()) == 0, "no page file left at the end");
    check(finalRss <= startRss + startRss / 2 + (64u << 20), "memory back near its starting level");

    std::printf("soak: %d rounds in %d s: %d harvests (%ld rows harvested), %ld checks completed, "
                "download pressed again %d times, stop %d times\n",
                round, seconds, harvests, harvestedRows, rowsChecked, downloadsAgain, stops);
    std::printf("soak: faults injected by the sites: %s; proxies: %d%% refuse, hang, reset or answer 403\n",
                peers.injected.c_str(), 40);
    std::printf("soak: memory after round 1 %.1f MB, final %.1f MB, peak %.1f MB; leftover files: %zu\n",
                startRss / 1048576.0, finalRss / 1048576.0, peakBytes() / 1048576.0,
                test::filesIn(pages.path()));
    std::printf("soak: %s\n", failures == 0 ? "passed" : "FAILED");
    return failures == 0 ? 0 : 1;
}

} // namespace
} // namespace vorin

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: vorin_soak FIXTURES.PY [seconds] [rows]\n");
        return 2;
    }
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 120;
    const int rows = argc > 3 ? std::atoi(argv[3]) : 3000;
    return vorin::run(argv[1], seconds, rows);
}
