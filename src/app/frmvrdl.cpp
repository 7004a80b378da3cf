// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "app/frmvrdl.h"

#include "platform/download.h"
#include "platform/texts.h"
#include "system/systemproxy.h"
#include "table/gridview.h"

namespace vorin {

Tfrmvrdl::Tfrmvrdl(View& view, Dispatcher& dispatcher, Clock& clock, Endpoints endpoints,
                   std::optional<TempPaths> paths)
    : view_(view)
    , dispatcher_(dispatcher)
    , clock_(clock)
    , endpoints_(std::move(endpoints))
    , grid_(gridview::kColumns, 2)
    , harvestEnv_{dispatcher,
                  endpoints_,
                  paths ? *paths : TempPaths::forProcess(),
                  [this](const Entry& e) { addrecord(e); },
                  {}}
{
    // The program's own fetches go through the system proxy as it stands at start-up. The view is not
    // touched here: it may still be under construction.
    download::setProcessProxy(systemproxy::read());
}

Tfrmvrdl::~Tfrmvrdl()
{
    coordinator_.reset(); // ends the hand-over and joins the workers first
    checkers.clear();     // cancels outstanding checks while their engine still runs
}

void Tfrmvrdl::applyproxyearly()
{
    setprocessproxy(systemproxy::read());
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
    setprocessproxy(proxy); // the pane's first page goes through the system proxy too
    midshowinfo(proxy.empty() ? texts().proxyStopped : texts().currentProxy + proxy);
    view_.navigate(endpoints_.root("softsite") + "/daili5");
    downoption = readdownoption();
    refeshmemu();
    view_.setEntryVisible(MenuEntry::Mn03, false);
    view_.setMenuButtonVisible(false);
    startpagestep();
}

void Tfrmvrdl::startcoordinator()
{
    if (coordinator_)
        return;
    coordinator_ = std::make_unique<tdaili>(
        harvestEnv_, [this] { listtable(); }, busy);
    coordinator_->onshowinfo = [this](const std::string& text) { showinfo(text); };
}

void Tfrmvrdl::btndownproxyExecute()
{
    autocheck = true;
    table_.open();
    actdownExecute();
}

void Tfrmvrdl::actdownExecute()
{
    cleartable();
    cleargrid();
    table_.open();
    if (!coordinator_)
        return; // the window was never shown
    tdaili& c = *coordinator_;
    auto pause = [this] { clock_.sleep(300); };
    if (view_.isChecked(MenuEntry::Mn01)) {
        c.downcnp();
        pause();
        c.downproxycn();
        pause();
        c.downhaozs();
        pause();
    }
    if (view_.isChecked(MenuEntry::Mn02)) {
        c.downproxynet();
        pause();
        c.downros();
        pause();
        c.downproxylists();
        pause();
        c.downantipalivo();
        pause();
    }
    if (view_.isChecked(MenuEntry::Mn03))
        c.downurl();
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

void Tfrmvrdl::addrecord(const Entry& entry)
{
    table_.append();
    table_.setText(Field::Ip, entry.ip);
    table_.setText(Field::Port, entry.port);
    if (entry.location)
        table_.setText(Field::Location, *entry.location);
    if (entry.protocol)
        table_.setText(Field::Protocol, *entry.protocol);
    table_.post();
}

} // namespace vorin
