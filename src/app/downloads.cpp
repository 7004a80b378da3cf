// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The two download buttons, the harvest coordinator and the rows it hands over.
#include "app/frmvrdl.h"
#include "config/userfile.h"
#include "platform/gbk.h"
#include "platform/process.h"
#include "platform/texts.h"

namespace vorin {

void Tfrmvrdl::startcoordinator()
{
    if (coordinator_)
        return;
    coordinator_ = std::make_unique<tdaili>(
        harvestEnv_, [this] { listtable(); }, [this](bool b) { busy = b; });
    coordinator_->onshowinfo = [this](const std::string& text) { showinfo(text); };
}

void Tfrmvrdl::btndownproxyExecute()
{
    autocheck = true;
    table_.open();
    startdownload();
}

void Tfrmvrdl::actdownExecute()
{
    // Download only: a download-and-validate that found nothing leaves autocheck set, and this one must
    // not validate on its behalf.
    autocheck = false;
    startdownload();
}

void Tfrmvrdl::startdownload()
{
    endrunquietly();
    ++importSerial_; // an import under way stops at its next turn: the harvest takes the table
    importing_ = false;
    cleartable();
    cleargrid();
    table_.open();
    if (!coordinator_)
        return; // the window was never shown
    tdaili& c = *coordinator_;
    c.tallies.clear();
    starting_ = true;
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
    if (view_.isChecked(MenuEntry::Mn04)) {
        SourceList list;
        if (IoResult r = loadSources(sourcesfile, endpoints_, list); !r)
            showinfo(texts().sourcesProblem + gbk::fromUtf8(r.message));
        else if (!list.problems.empty())
            showinfo(texts().sourcesProblem + gbk::fromUtf8(problemsSummary(list.problems)));
        c.downsources(std::move(list.sources));
    }
    starting_ = false;
    // Every source may have ended already without a row (or none started): that is said now.
    if (c.threadcount == 0 && table_.isEmpty())
        listtable();
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
    if (entry.credentials)
        table_.setCredentials(*entry.credentials);
    if (entry.ownProtocol && entry.protocol) {
        if (auto p = protocolByName(*entry.protocol))
            table_.setEntryProtocol(bit(*p));
    }
    table_.post();
}

} // namespace vorin
