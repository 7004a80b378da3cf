// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "app/frmvrdl.h"
#include "cli/cliview.h"
#include "cli/options.h"

#include <chrono>
#include <optional>

namespace vorin::cli {

// One run of the command-line program: the window's controller, driven through its own handlers as the
// window's buttons would drive it, with the results written in the chosen format. Main thread; the event
// loop is the dispatcher's.
class CliRunner {
public:
    CliRunner(Options options, Dispatcher& dispatcher, Clock& clock, Reporter& reporter, Endpoints endpoints,
              std::optional<TempPaths> paths = std::nullopt);

    // Runs the command and returns the exit status.
    int run();
    // Redraws the progress line; the event loop calls it a few times a second.
    void tick();
    // A request to stop (Ctrl-C): a validation run ends as with the stop button and its valid rows are
    // written; a harvest is abandoned and nothing is written.
    void interrupt();

    Tfrmvrdl& form() { return form_; }

private:
    enum class Phase {
        Starting,
        Discovery,
        Harvest,
        Validate,
        Locate,
        Done,
    };

    bool harvest();
    // false when no judge answered: nothing was checked and nothing is written.
    bool validate();
    // The judges the options name (--judge, --judges, or the store's judges list).
    void usejudges();
    bool load();
    // The location step: the lookup site's, or with --offline the local databases'; false when those
    // cannot be opened (said on standard error).
    bool locate();
    int write();
    // guard: until Ctrl-C (130) or until no valid proxy is left (1).
    int guard();
    // relay: until Ctrl-C (130) or until no upstream is left (1).
    int relay();
    // The table's rows as upstreams, in its order.
    std::vector<ProxyEntry> upstreamsOfTable();
    // Harvests the sources and validates the table: what works now stays in it.
    bool refill();
    // Waits in the event loop until done() holds or the run is interrupted; false when interrupted.
    bool waitUntil(const std::function<bool()>& done);
    double elapsedSeconds() const;

    Options options_;
    Dispatcher& dispatcher_;
    Reporter& reporter_;
    CliView view_;
    Tfrmvrdl form_;
    Phase phase_ = Phase::Starting;
    bool interrupted_ = false;
    bool judgesLost_ = false; // every judge fell silent during the run
    std::chrono::steady_clock::time_point phaseStart_ = std::chrono::steady_clock::now();
};

// Whether a result file can be created at path: its folder exists and may be written, and path is not a
// folder. On failure, why holds the reason (UTF-8).
bool outputWritable(const std::string& path, std::string& why);

} // namespace vorin::cli
