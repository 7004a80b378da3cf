// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "app/endpoints.h"
#include "app/view.h"
#include "check/KeloInetChecker.h"
#include "harvest/sourceworker.h"
#include "harvest/tdaili.h"
#include "platform/clock.h"
#include "platform/dispatcher.h"
#include "table/proxytable.h"
#include "table/stringgrid.h"

#include <memory>
#include <optional>
#include <string>

namespace vorin {

// The main window's controller: the handlers of its buttons and menu entries, the start-up sequence, the
// two status texts, the run flags, the proxy table and the grid it shows. It reaches the widgets only
// through View, so the same logic serves the window, a headless front end and the tests. Every method runs
// on the main thread; the status texts process pending messages, so handlers may run inside one another.
class Tfrmvrdl {
public:
    // paths: where downloaded pages are cut; by default the program's folders.
    Tfrmvrdl(View& view, Dispatcher& dispatcher, Clock& clock, Endpoints endpoints,
             std::optional<TempPaths> paths = std::nullopt);
    ~Tfrmvrdl();
    Tfrmvrdl(const Tfrmvrdl&) = delete;
    Tfrmvrdl& operator=(const Tfrmvrdl&) = delete;

    // Start-up sequence, run once when the window is first shown.
    void frmshowExecute();
    // The part of it a front end without a window needs: the harvest coordinator, which starts the
    // list-page discovery. Does nothing when the coordinator exists.
    void startcoordinator();
    // Download and validate (BTN_DOWNLIST), and download only.
    void btndownproxyExecute();
    void actdownExecute();
    void btnsoftsetExecute();
    void btnshowmenuExecute();
    // The window's close handler: stores the source option; the close goes on whatever happens.
    void FormClose();
    void frmcloseExecute();
    void frmminsizeExecute();
    void frmroundExecute();

    // Status texts (Pan_bot and Lbinfo); both process pending messages before returning.
    void showinfo(const std::string& text);
    void midshowinfo(const std::string& text);

    // Table and grid.
    void init();
    void cleartable();
    void deleterecord(int first, int count);
    void sorttable(const std::string& fieldName);
    void mnsortExecute(int tag);
    void mndellistExecute();
    void showingrid();
    void cleargrid();
    void listtable();

    // Validation run.
    void btncheckproxyExecute();
    void vailproxy();
    void mycomplete(TKeloInetChecker* sender, bool connected);
    void btnstopcheckExecute();

    // Source options.
    std::string readdownoption();
    void refeshmemu();
    void mn01Click(MenuEntry clicked);
    IoResult writeoption();

    // System proxy.
    std::string getproxy(); // host:port, or "" when the system proxy is off
    void startproxy(const std::string& hostPort);
    void stopproxy();
    void btnsetproxyExecute();
    void btnstopproxyExecute();
    // Gives the view the system proxy before it builds its browser pane, which reads the proxy once.
    void applyproxyearly();

    // Browser pane: the web check, the home button, the cache purge.
    void btnwebcheckExecute();
    void btngohomeExecute();
    void DeleteIECache(const std::string& urlPart);
    int webcheckTag = 0; // the Tag of BTN_VAIL: 1 after page A was loaded

    // Proxy list files: the save button (the filter entry chosen last is kept), import from the list tools.
    void btnsaveproxyExecute();
    void savetofile(const std::string& path, int format);
    void mnimportExecute();
    void importfile(const std::string& path);
    int saveFilterIndex = 1;

    // Location lookup.
    std::string getcitybyip(const std::string& address);
    void mngetcityExecute();

    // The start-page offer at the end of start-up; partnerpage is the page the program calls its own.
    void startpagestep();
    std::string partnerpage;

    // Appends one harvested entry to the table; the workers reach it through the main-thread hand-over.
    void addrecord(const Entry& entry);

    // The harvest coordinator; exists from the start-up sequence on.
    tdaili* coordinator() { return coordinator_.get(); }

    ProxyTable& table() { return table_; }
    StringGrid& grid() { return grid_; }
    const Endpoints& endpoints() const { return endpoints_; }

    // Run state shared by the harvest and the validation run.
    bool busy = false;
    bool autocheck = false;
    bool stopcheck = false;
    bool checkdone = false;
    int checkcount = 0;
    std::string downoption;
    // Pacing of the validation run: the pause after each start (ms), and the most checks in flight at
    // once (0: no limit). The window keeps 120 ms and no limit; a headless front end may start checks
    // back to back and wait for a free place instead.
    int checkpause = 120;
    int checkparallel = 0;
    // Counts of the current validation run, for progress displays.
    struct CheckProgress {
        int started = 0;
        int completed = 0;
        int valid = 0;
    };
    CheckProgress checkprogress;
    // Slot i holds the checker for grid row i (slot 0 unused); grows with the table. A slot is emptied once
    // its completion has been handled.
    std::vector<std::unique_ptr<TKeloInetChecker>> checkers;

private:
    void endcheck();
    // Applies the proxy (or direct, when empty) to this program's own fetches and its browser pane.
    void setprocessproxy(const std::string& hostPort);
    void releaseCheckers();
    std::size_t outstandingChecks() const;
    std::vector<ProxyTable::Bookmark> checkrows_; // the rows of the current run, by grid row from 1

    View& view_;
    Dispatcher& dispatcher_;
    Clock& clock_;
    Endpoints endpoints_;
    ProxyTable table_;
    StringGrid grid_;
    HarvestEnv harvestEnv_;
    FetchEngine engine_;                  // the destructor frees the checkers before it
    std::unique_ptr<tdaili> coordinator_; // its end joins the workers that use the above
    bool shown_ = false;
};

} // namespace vorin
