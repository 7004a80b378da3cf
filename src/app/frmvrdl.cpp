// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "app/frmvrdl.h"

#include "platform/texts.h"
#include "system/systemproxy.h"
#include "table/gridview.h"

namespace vorin {

Tfrmvrdl::Tfrmvrdl(View& view, Dispatcher& dispatcher, Clock& clock, Endpoints endpoints)
    : view_(view)
    , dispatcher_(dispatcher)
    , clock_(clock)
    , endpoints_(std::move(endpoints))
    , grid_(gridview::kColumns, 2) {}

void Tfrmvrdl::frmshowExecute() {
    if (shown_)
        return;
    shown_ = true;
    init();
    frmroundExecute();
    // TODO(harvest): create the coordinator here once the harvest workers exist; it starts the list-page
    // discovery in the background and reports its source starts through showinfo.
    view_.setTitleText(texts().title);
    std::string proxy = getproxy();
    midshowinfo(proxy.empty() ? texts().proxyStopped : texts().currentProxy + proxy);
    view_.navigate(endpoints_.root("softsite") + "/daili5");
    downoption = readdownoption();
    refeshmemu();
    view_.setEntryVisible(MenuEntry::Mn03, false);
    view_.setMenuButtonVisible(false);
    // TODO(start page): the start-page offer decides here whether mn03 and btn_menu are shown.
}

void Tfrmvrdl::btndownproxyExecute() {
    autocheck = true;
    table_.open();
    actdownExecute();
}

void Tfrmvrdl::actdownExecute() {
    cleartable();
    cleargrid();
    table_.open();
    // TODO(harvest): start the checked source groups through the coordinator, 300 ms apart.
}

void Tfrmvrdl::btnsoftsetExecute() {
    view_.popupAtCursor(Popup::Popsvr);
}

void Tfrmvrdl::btnshowmenuExecute() {
    view_.popupAtCursor(Popup::Popset);
}

void Tfrmvrdl::FormClose() {
    (void)writeoption(); // a settings store that cannot be written must not keep the window open
}

void Tfrmvrdl::frmcloseExecute() {
    view_.closeWindow();
}

void Tfrmvrdl::frmminsizeExecute() {
    view_.minimize();
}

void Tfrmvrdl::frmroundExecute() {
    view_.applyRoundOutline();
}

void Tfrmvrdl::showinfo(const std::string& text) {
    view_.setStatusText(text);
    dispatcher_.processMessages();
}

void Tfrmvrdl::midshowinfo(const std::string& text) {
    view_.setInfoText(text);
    dispatcher_.processMessages();
}

std::string Tfrmvrdl::getproxy() {
    return systemproxy::read();
}

} // namespace vorin
