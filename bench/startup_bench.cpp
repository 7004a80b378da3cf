// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// Time from start to a window on screen: the program's main window against a bare Qt widget window built
// here (bench/barewindow.cpp), both measured the same way in the same run: the process is started and the
// X server is asked every millisecond for a mapped top-level window of that process (_NET_WM_PID). The
// median of seven starts of each and their ratio (target: at most 1.5). A third figure is the bare window
// that first asks for the shared OpenGL context the browser engine needs before the application object
// exists (Qt::AA_ShareOpenGLContexts), which the program must do too. Needs an X display, e.g.
//     xvfb-run -s "-screen 0 1280x900x24" ./build/bench/bench_startup
// Every site of the program is on a closed loopback port, and the start page is already the program's, so
// no question is asked at start.
#include "platform/registry.h"
#include "support/fakes.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

namespace vorin {
namespace {

using namespace std::chrono;

// Whether the X server has a mapped top-level window of process pid.
bool mappedWindowOf(xcb_connection_t* x, xcb_window_t root, xcb_atom_t pidAtom, pid_t pid)
{
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(x, xcb_query_tree(x, root), nullptr);
    if (!tree)
        return false;
    bool found = false;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) {
        auto* attributes =
            xcb_get_window_attributes_reply(x, xcb_get_window_attributes(x, children[i]), nullptr);
        const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attributes);
        if (!viewable)
            continue;
        auto* property = xcb_get_property_reply(
            x, xcb_get_property(x, 0, children[i], pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        if (property && xcb_get_property_value_length(property) == 4)
            found = *static_cast<const std::uint32_t*>(xcb_get_property_value(property)) ==
                    static_cast<std::uint32_t>(pid);
        std::free(property);
    }
    std::free(tree);
    return found;
}

// Milliseconds from starting program to its window on screen; negative when it never came (20 s). One
// connection to the X server serves every measurement (the server resets when its last client leaves).
double timeToWindow(xcb_connection_t* x, const char* program, const char* argument = nullptr)
{
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    auto* atom = xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, 11, "_NET_WM_PID"), nullptr);
    const xcb_atom_t pidAtom = atom ? atom->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(atom);
    const auto start = steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::freopen("/dev/null", "w", stderr);
        ::execl(program, program, argument, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    double took = -1;
    while (steady_clock::now() - start < seconds(20)) {
        if (mappedWindowOf(x, root, pidAtom, pid)) {
            took = duration<double, std::milli>(steady_clock::now() - start).count();
            break;
        }
        std::this_thread::sleep_for(milliseconds(1));
    }
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    return took;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

void BM_WindowOnScreen(benchmark::State& state)
{
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("no X display (run under xvfb-run)");
        return;
    }
    test::TempDir dir("startup-bench");
    test::ScopedEnv sites("VORIN_ENDPOINTS",
                          test::writeEndpointsAt(dir.path(), "http://127.0.0.1:9").string());
    test::ScopedEnv store("VORIN_REGISTRY_DIR", (dir.path() / "registry").string());
    test::ScopedEnv desktop("VORIN_DESKTOP_PROXY", "0");
    (void)registry::Key::open(registry::Hive::CurrentUser, "Software\\Microsoft\\Internet Explorer\\Main")
        .writeString("Start Page", "http://127.0.0.1:9");
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        state.SkipWithError("cannot reach the X display");
        xcb_disconnect(x);
        return;
    }
    std::vector<double> bare, sharedGl, program;
    for (auto _ : state) {
        for (int i = 0; i < 7; ++i) {
            bare.push_back(timeToWindow(x, VORIN_BARE_WINDOW));
            sharedGl.push_back(timeToWindow(x, VORIN_BARE_WINDOW, "--shared-gl"));
            program.push_back(timeToWindow(x, VORIN_WINDOW_PROGRAM));
        }
    }
    xcb_disconnect(x);
    state.counters["bare_qt_window_ms"] = median(bare);
    state.counters["bare_window_shared_gl_ms"] = median(sharedGl);
    state.counters["vorindaili_ms"] = median(program);
    state.counters["ratio"] = median(program) / median(bare);
}
BENCHMARK(BM_WindowOnScreen)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace vorin
