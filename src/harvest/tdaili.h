// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "config/sources.h"
#include "harvest/sourceworker.h"
#include "harvest/urllist.h"

#include <functional>
#include <list>
#include <memory>
#include <string>
#include <thread>

namespace vorin {

// The harvest coordinator: one start operation per source, each starting one worker thread; the count of
// workers still running; and, when the last one ends, the listing of the harvested table. It owns the
// worker threads: a worker's end is handed to the main thread, which runs workerdone and then joins and
// frees the worker. It also owns the two URL lists the discovery fills. Main thread only, apart from the
// URL lists.
class tdaili {
public:
    // listtable and setbusy are the main window's: the listing of a finished harvest, and its busy flag,
    // set when a worker starts and cleared once the last has ended and the listing has returned. Starts the
    // list-page discovery in the background at once.
    tdaili(HarvestEnv& env, std::function<void()> listtable, std::function<void(bool)> setbusy);
    // Ends the program's harvest: aborts downloads, releases workers waiting for the main thread (by closing
    // the hand-over) and joins every thread.
    ~tdaili();
    tdaili(const tdaili&) = delete;
    tdaili& operator=(const tdaili&) = delete;

    void downcnp();
    void downproxycn();
    void downhaozs();
    void downproxynet();
    void downros();
    void downproxylists();
    void downantipalivo();
    void downurl();
    // The user's own sources (nothing when the list is empty).
    void downsources(std::vector<UserSource> sources);

    // A counted worker has ended. Main thread.
    void workerdone();

    // The browser start page of the current user ("" when there is none), and setting it for the current
    // user and, where permitted, for the machine. They touch nothing of the harvest.
    std::string getstartpage();
    void setstartpage(const std::string& url);

    int threadcount = 0;
    // Counted workers started so far, and uncounted ones (the discovery) still running.
    int startedcount = 0;
    int backgroundcount = 0;
    std::function<void(const std::string&)> onshowinfo;
    UrlList pageurls;
    UrlList haozsurls;
    // What each of the user's sources gave in the harvest under way (or the last), as their workers end.
    std::vector<SourceWorker::Tally> tallies;

    // Starts a counted worker with the given status text; the start operations and tests use it.
    void startWorker(std::unique_ptr<SourceWorker> worker, const std::string& status);
    // Starts a worker that is neither counted nor reported when it ends (the discovery).
    void startBackground(std::unique_ptr<SourceWorker> worker);

    std::size_t runningThreads() const { return running_.size(); }

private:
    struct Running {
        std::unique_ptr<SourceWorker> worker;
        std::thread thread;
    };
    void launch(std::unique_ptr<SourceWorker> worker, bool counted);
    void reap(SourceWorker* worker);
    std::string label(const char* key) const;

    HarvestEnv& env_;
    std::function<void()> listtable_;
    std::function<void(bool)> setbusy_;
    std::list<Running> running_;
};

} // namespace vorin
