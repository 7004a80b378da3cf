// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "app/localrelay.h"
#include "app/proxyguard.h"
#include "app/view.h"
#include "check/validationrun.h"
#include "config/endpoints.h"
#include "config/judge.h"
#include "config/sources.h"
#include "harvest/sourceworker.h"
#include "harvest/tdaili.h"
#include "platform/clock.h"
#include "platform/dispatcher.h"
#include "platform/process.h"
#include "table/proxygrid.h"
#include "table/proxytable.h"

#include <memory>
#include <optional>
#include <string>

namespace vorin {

// The main window's controller: the handlers of its buttons and menu entries, the start-up sequence, the
// two status texts, the run flags, the proxy table and the grid it shows. It reaches the widgets only
// through View, so the same logic serves the window, a headless front end and the tests. It holds at most one
// validation run at a time. Every method runs on the main thread; the status texts process pending
// messages, so handlers may run inside one another.
class Tfrmvrdl : private ValidationRun::Host {
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
    // Download and validate (BTN_DOWNLIST), and download only (its right click): either ends a validation
    // run under way quietly, since the new list takes the table.
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
    void showinfo(const std::string& text) override;
    void midshowinfo(const std::string& text);

    // Table and grid.
    void init();
    void cleartable();
    void deleterecord(int first, int count);
    void sorttable(const std::string& fieldName) override;
    void mnsortExecute(int tag);
    void mndellistExecute();
    void showingrid() override;
    void cleargrid();
    void listtable();

    // Validation run: the check button starts one unless busy; the start loop and the completion handler
    // belong to the run under way; the stop button ends it at its next completion.
    void btncheckproxyExecute();
    void vailproxy();
    void mycomplete(TKeloInetChecker* sender, bool connected);
    void btnstopcheckExecute();
    // The current (or last) run; nothing before the first.
    const ValidationRun* run() const { return run_.get(); }
    // Whether no run is under way.
    bool checkdone() const { return !run_ || run_->checkdone(); }

    // Source options.
    std::string readdownoption();
    void refeshmemu();
    void mn01Click(MenuEntry clicked);
    IoResult writeoption();

    // System proxy.
    std::string getproxy(); // host:port (a SOCKS proxy: socks5://host:port), or "" when it is off
    // Makes proxy the system proxy, in its protocol and with its credentials.
    void startproxy(const ProxyEntry& proxy);
    void startproxy(const std::string& hostPort); // an HTTP proxy
    // With userelay, 设为代理 starts the local relay in front of the table's valid proxies (first, the chosen
    // row, before them) and makes the relay the system proxy; 停用代理 and closing the window stop it after
    // the desktop has its settings back.
    // Where the system proxy cannot carry a proxy itself (systemproxy::needsRelay), the relay carries that
    // proxy alone.
    void startrelayproxy(const ProxyEntry& first);
    // Makes the running relay the system proxy, marked so that a later start finds it if it ends unseen.
    void pointatrelay();
    bool userelay = false;
    int relayport = 8899;
    // With userelay the relay's upstreams refill themselves: when fewer than relayfloor work, the ticked
    // groups and the user's sources are harvested and validated (as 下载并验证 does, in the table), paced
    // as LocalRelay::refillDue says; the relay then carries the table's valid rows, fastest first, and the
    // upstreams that still work.
    int relayfloor = 5;
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
    // The pane could not load url: it shows its own page instead; for a web check's page, the address and
    // country an echo judge of the pool sees through the system proxy.
    void panefailed(const std::string& url);

    // Proxy list files: the save button (the filter entry chosen last is kept), import from the list tools.
    // An import ends a validation run under way quietly; importfile returns false when the file could not
    // be read (the message box has said why).
    void btnsaveproxyExecute();
    void savetofile(const std::filesystem::path& path, int format);
    void mnimportExecute();
    // The editor of the user's sources file, from the list tools.
    void mneditsourcesExecute();
    // The judge: read from the settings store when the window is shown, chosen in the judge dialog of the
    // list tools (and stored at once).
    void readjudge();
    void mnjudgeExecute();
    // The editor of the user's judges list, from the list tools.
    void mneditjudgesExecute();
    // The judges of the next check: the judges list (judgesfile) when judgeauto is set, said in the status
    // line unless quiet when it has problems; otherwise the one judge chosen.
    std::vector<Judge> judgepool(bool quiet = false);
    bool importfile(const std::filesystem::path& path);
    // The same for a list already read (a pipe). A list that takes longer than a turn of the window (50 ms)
    // is read in turns: between them the window is kept alive (the status line counts the rows read), the
    // check button and a second import do nothing until it ends, and a harvest started meanwhile ends it.
    void importbytes(std::string_view bytes);
    bool importing() const { return importing_; }
    int saveFilterIndex = 1;

    // Location lookup.
    std::string getcitybyip(const std::string& address);
    void mngetcityExecute();
    // The offline location, from the list tools: every row's country (and city, with geoipfile) from the
    // local databases, of its exit address where an echo judge saw one; rows without a location get it.
    // Returns false (having said why, and put the reason in UTF-8 into why when given) when no database
    // can be opened.
    bool mnofflinecityExecute(std::string* why = nullptr);

    // The start-page offer at the end of start-up; partnerpage is the page the program calls its own.
    void startpagestep();
    std::string partnerpage;

    // Appends one harvested entry to the table; the workers reach it through the main-thread hand-over.
    void addrecord(const Entry& entry);

    // The harvest coordinator; exists from the start-up sequence on.
    tdaili* coordinator() { return coordinator_.get(); }

    ProxyTable& table() { return table_; }
    ProxyGrid& grid() { return grid_; }
    const Endpoints& endpoints() const { return endpoints_; }

    // The proxy that stays alive: the window's timer ticks it; its settings come with the judge's.
    void guardtick();
    ProxyGuard& guard() { return guard_; }
    // Also told what the guard says (a front end without a status line); GBK.
    std::function<void(const std::string&)> onguard;
    // The local relay (本地中转) and what it says, likewise.
    LocalRelay& localrelay() { return relay_; }
    std::function<void(const std::string&)> onrelay;

    // Run state shared by the harvest and the validation run: busy while either is under way, autocheck
    // while a download asked for a validation after its listing.
    bool busy = false;
    bool autocheck = false;
    // Whether the listing at the end of a harvest goes in steps that let the window run (the window's
    // case); a front end with no window to keep alive lists at once, in less memory.
    bool listinsteps = true;
    std::string downoption;
    // The page and rule of the next validation run's checks when judgeauto is off: the built-in test page
    // unless the user or a front end names another. With judgeauto (the default) the judges list is the
    // pool whose first answering judge is used.
    Judge judge;
    bool judgeauto = true;
    std::filesystem::path judgesfile = judgesFile();
    // The user's sources file (sources.txt beside the settings store unless a front end names another).
    std::filesystem::path sourcesfile = sourcesFile();
    // Pacing of the next validation run: the pause after each start (ms), and the most checks in flight at
    // once (0: no limit). The window keeps 120 ms and no limit unless the settings dialog asks for checks
    // in flight (fastchecks); a headless front end may start checks back to back and wait for a free place
    // instead.
    int checkpause = 120;
    int checkparallel = 0;
    // Sets the pacing from the settings dialog's checks in flight: 0 is the pause of 120 ms, N > 0 starts
    // a check whenever fewer than N are out.
    void setfastchecks(int inFlight);
    int fastchecks() const { return checkpause == 0 ? checkparallel : 0; }
    // A fast run's progress: the rows whose verdicts came since the last call shown again, and the count of
    // checks done and rows valid in the status line. The window calls it a few times a second; it does
    // nothing in a paced run, which says what it always said.
    void showprogress();
    // The protocols a bare host:port is checked in (an entry written with a scheme is checked in its own).
    ProtocolSet checkprotocols = bit(Protocol::Http);
    // A MaxMind-format database for the offline location's cities; empty: countries only.
    std::string geoipfile;

private:
    // ValidationRun::Host
    void verdictShown() override;
    void runEnding() override;
    void runEnded() override;

    // The download shared by both buttons.
    void startdownload();
    // What the user's sources gave in the last harvest (GBK, to follow a status text): each source's rows
    // when withRows, and the sources that could not be downloaded.
    std::string harvesttallies(bool withRows) const;
    // Ends the validation run under way without a word, for a new list that takes the table.
    void endrunquietly();
    // Runs job in steps of 40 ms that let the window run (saying text once when it takes longer), or at
    // once without listinsteps; false when a harvest or an import took the table meanwhile.
    bool runinsteps(ProxyTable::SortJob& job, const std::string& text);
    // Applies the proxy (or direct, when empty) to this program's own fetches and its browser pane.
    void setprocessproxy(const std::optional<ProxyEntry>& proxy);
    // At start-up: a desktop left pointing at a relay that no longer runs gets its earlier settings back.
    void relayleftover();
    // The relay's refill (see relayfloor), from the timer.
    void relayrefill();
    bool refilling_ = false;

    View& view_;
    Dispatcher& dispatcher_;
    Clock& clock_;
    Endpoints endpoints_;
    ProxyTable table_;
    ProxyGrid grid_;
    HarvestEnv harvestEnv_;
    FetchEngine engine_;                  // outlives the run, whose checkers use it
    std::shared_ptr<ValidationRun> run_;  // kept alive by its own handlers while they run
    std::unique_ptr<tdaili> coordinator_; // its end joins the workers that use the above
    bool shown_ = false;
    ProxyGuard guard_; // its checks use the engine above
    LocalRelay relay_; // so do its health checks
    bool importing_ = false;
    bool listing_ = false;
    bool starting_ = false; // a download is starting its sources
    // The pane's web check through a judge when the check's pages cannot be loaded: the echo judges left
    // to ask, and the ask under way.
    void askwebcheck();
    std::vector<Judge> webcheckJudges_;
    std::unique_ptr<TKeloInetChecker> webcheckAsk_;
    std::unique_ptr<TKeloInetChecker> webcheckDone_;
    std::uint64_t importSerial_ = 0; // a new list for the table (an import, a harvest) counts it up
};

} // namespace vorin
