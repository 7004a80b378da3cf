// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "app/frmvrdl.h"

#include "platform/download.h"
#include "platform/gbk.h"
#include "platform/texts.h"
#include "system/systemproxy.h"

namespace vorin {

Tfrmvrdl::Tfrmvrdl(View& view, Dispatcher& dispatcher, Clock& clock, Endpoints endpoints,
                   std::optional<TempPaths> paths)
    : view_(view)
    , dispatcher_(dispatcher)
    , clock_(clock)
    , endpoints_(std::move(endpoints))
    , grid_(table_)
    , harvestEnv_{dispatcher,
                  endpoints_,
                  paths ? *paths : TempPaths::forProcess(),
                  [this](const Entry& e) { addrecord(e); },
                  {}}
    , guard_(engine_, dispatcher, clock, table_,
             {[] { return systemproxy::current(); }, [this](const ProxyEntry& proxy) { startproxy(proxy); },
              [this] { stopproxy(); },
              [this](const std::string& text) {
                  showinfo(text);
                  if (onguard)
                      onguard(text);
              },
              [this] { return judgepool(true); }})
    , relay_(
          engine_, dispatcher, clock,
          {[this](const std::string& text) {
               showinfo(text);
               if (onrelay)
                   onrelay(text);
           },
           [this](const ProxyEntry& upstream) { midshowinfo(texts().relayUsing + upstream.endpoint.text()); },
           [this] { return judgepool(true); }})
{
    judge = Judge::builtin(endpoints_);
    // The program's own fetches go through the system proxy as it stands at start-up. The view is not
    // touched here: it may still be under construction.
    download::setProcessProxy(systemproxy::current().value_or(ProxyEntry{}));
}

Tfrmvrdl::~Tfrmvrdl()
{
    relay_.stop();        // joins the relay's thread before anything it reports to goes
    coordinator_.reset(); // ends the hand-over and joins the workers first
    run_.reset();         // cancels outstanding checks while their engine still runs
}

void Tfrmvrdl::applyproxyearly()
{
    setprocessproxy(systemproxy::current());
}

void Tfrmvrdl::frmshowExecute()
{
    if (shown_)
        return;
    shown_ = true;
    init();
    frmroundExecute();
    startcoordinator();
    view_.setTitleText(texts().title);
    std::string proxy = getproxy();
    setprocessproxy(systemproxy::current()); // the pane's first page goes through the system proxy too
    midshowinfo(proxy.empty() ? texts().proxyStopped : texts().currentProxy + proxy);
    view_.navigate(endpoints_.root("softsite") + "/daili5");
    downoption = readdownoption();
    refeshmemu();
    readjudge();
    relayleftover();
    view_.setEntryVisible(MenuEntry::Mn03, false);
    view_.setMenuButtonVisible(false);
    startpagestep();
    // The stored Internet Settings are the truth; a desktop changed behind the program's back is said.
    if (auto desktop = systemproxy::desktopDiffers())
        showinfo(texts().desktopDiffers + (desktop->empty() ? texts().desktopNoProxy : *desktop));
    // A configuration file that could not be used is said last, so that it stays on the status line; the
    // program goes on with its built-in sites.
    if (!endpoints_.loadError().empty())
        showinfo(texts().endpointsError + gbk::fromUtf8(endpoints_.loadError()));
}

void Tfrmvrdl::btnsoftsetExecute()
{
    view_.popupAtCursor(Popup::Popsvr);
}

void Tfrmvrdl::btnshowmenuExecute()
{
    view_.popupAtCursor(Popup::Popset);
}

void Tfrmvrdl::FormClose()
{
    if (relay_.running())
        stopproxy();     // the desktop gets its settings back before the relay it points at goes
    (void)writeoption(); // a settings store that cannot be written must not keep the window open
}

void Tfrmvrdl::frmcloseExecute()
{
    view_.closeWindow();
}

void Tfrmvrdl::frmminsizeExecute()
{
    view_.minimize();
}

void Tfrmvrdl::frmroundExecute()
{
    view_.applyRoundOutline();
}

void Tfrmvrdl::showinfo(const std::string& text)
{
    view_.setStatusText(text);
    dispatcher_.processMessages();
}

void Tfrmvrdl::midshowinfo(const std::string& text)
{
    view_.setInfoText(text);
    dispatcher_.processMessages();
}

} // namespace vorin
