// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "config/endpoints.h"
#include "harvest/entry.h"
#include "platform/dispatcher.h"
#include "platform/lines.h"
#include "platform/temppaths.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vorin {

// What every worker shares with the program: the main-thread hand-over, the site roots, the folders for
// pages, the append that runs on the main thread, and the flag that aborts downloads when the program
// ends. Owned by the coordinator's owner; outlives every worker.
struct HarvestEnv {
    Dispatcher& dispatcher;
    const Endpoints& endpoints;
    TempPaths paths;
    std::function<void(const Entry&)> addRecord; // main thread only
    std::atomic<bool> cancel{false};
    std::atomic<int> failedPages{0}; // pages that could not be downloaded, over every source
};

// The common shape of a list source: fetch the source's pages one after another into temporary files,
// cut entries out of each, hand every entry to the main thread and wait until it is appended, delete the
// file. The thread that runs Execute belongs to the coordinator; a worker never touches the table itself.
class SourceWorker {
public:
    struct Page {
        std::string url;
        TempPaths::Dir dir;
        std::string fileName; // e.g. "3.cnp"; made unique per worker by the paths
    };

    explicit SourceWorker(HarvestEnv& env);
    virtual ~SourceWorker() = default;
    SourceWorker(const SourceWorker&) = delete;
    SourceWorker& operator=(const SourceWorker&) = delete;

    // The class name, for tests and diagnostics.
    virtual const char* name() const = 0;

    // The page loop; runs on the worker's thread. A failed download skips its page.
    virtual void Execute();

    // The source's scan over the lines of one page. Pure: tests call it directly.
    virtual void parse(const Lines& lines, const EntrySink& add) = 0;

    // The pages this worker fetches, in order, with their URLs and file names.
    virtual std::vector<Page> pages() = 0;

    // What each source told apart by tallyName gave: its rows, or that it could not be downloaded. Written
    // by the worker's thread; read on the main thread once the worker's end has been handed over.
    struct Tally {
        std::string name;
        int rows = 0;
        bool failed = false;
    };
    const std::vector<Tally>& tallies() const { return tallies_; }

protected:
    const std::string& root(const char* key) const { return env_.endpoints.root(key); }
    using Cut = std::function<void(const Lines&)>;
    // Downloads page into its file and cuts it with the source's parse (or cut); false when the download
    // failed.
    bool fetchAndCut(const Page& page);
    bool fetchAndCut(const Page& page, const Cut& cut);
    // Loads file, runs cut over its lines and deletes it, however the cut ends. Nothing when there is no
    // file.
    static void cutFile(const std::filesystem::path& file, const Cut& cut);
    // Hands one entry to the main thread and waits until it is appended.
    void append(Entry entry);
    // The name a page is tallied under; empty (the default) for none.
    virtual std::string tallyName(const Page&) const { return {}; }

    HarvestEnv& env_;

private:
    Cut parseAndAppend();

    std::string tag_;
    std::vector<Tally> tallies_;
    bool tallying_ = false; // the page under way has a tally (the last one)
};

} // namespace vorin
