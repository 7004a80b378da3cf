// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The start-page offer: the partner page as the browser start page, and the parts of the window that are
// shown only while it is.
#include "app/frmvrdl.h"
#include "harvest/tdaili.h"
#include "platform/texts.h"

namespace vorin {

void Tfrmvrdl::startpagestep()
{
    tdaili& c = *coordinator_;
    const std::string pageA = endpoints_.root("partnerA");
    const std::string pageB = endpoints_.root("partnerB");
    partnerpage = pageA;
    const std::string current = c.getstartpage();
    if (current != pageA && current != pageB) {
        std::string name = endpoints_.root("partnerAname");
        const std::string& domainB = endpoints_.root("partnerBdomain");
        if (!domainB.empty() && current.find(domainB) != std::string::npos) {
            name = endpoints_.root("partnerBname");
            partnerpage = pageB;
        }
        if (view_.askYesNo(texts().startPageAsk + name + texts().startPageAskEnd))
            c.setstartpage(partnerpage);
    }
    const bool ours = c.getstartpage() == partnerpage;
    view_.setEntryVisible(MenuEntry::Mn03, ours);
    if (!ours)
        view_.setChecked(MenuEntry::Mn03, false);
    view_.setMenuButtonVisible(ours);
    showinfo(texts().startPageStatus + partnerpage + texts().startPageStatusEnd);
}

} // namespace vorin
