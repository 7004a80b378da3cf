// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The list tool that fills every missing location.
#include "app/frmvrdl.h"
#include "geo/iplookup.h"
#include "geo/offline.h"
#include "platform/gbk.h"
#include "platform/texts.h"
#include "platform/trim.h"

namespace vorin {

std::string Tfrmvrdl::getcitybyip(const std::string& address)
{
    return iplookup::lookup(endpoints_.root("iplookup"), address,
                            harvestEnv_.paths.dir(TempPaths::Dir::Executable));
}

void Tfrmvrdl::mngetcityExecute()
{
    table_.open();
    // The walk keeps its own position and goes back to it after every status text, which may have run
    // completions that moved the cursor. A row whose location is set here may move too (when the table
    // is sorted on the location), so the position only advances past rows that have one.
    std::size_t pos = 1;
    while (pos <= table_.rowCount()) {
        table_.first();
        table_.moveBy(pos - 1);
        if (!trim(table_.text(Field::Location)).empty()) {
            ++pos;
            continue;
        }
        const std::string address = table_.text(Field::Ip);
        std::string location(trim(getcitybyip(address)));
        if (location.empty())
            location = texts().unknownLocation;
        table_.edit();
        table_.setText(Field::Location, location);
        table_.post();
        showinfo(texts().lookingUp + address);
        clock_.sleep(10);
    }
    showingrid();
}

bool Tfrmvrdl::mnofflinecityExecute(std::string* why)
{
    std::string problem;
    auto locator = OfflineLocator::open(geoipfile, problem);
    if (!locator) {
        showinfo(texts().offlineProblem + gbk::fromUtf8(problem));
        if (why)
            *why = problem;
        return false;
    }
    table_.open();
    // The rows are named by bookmark: a location written here moves its row when the table is sorted on
    // the location. Nothing here processes messages, so no completion moves anything meanwhile.
    std::vector<ProxyTable::Bookmark> rows;
    for (bool more = table_.first(); more; more = table_.next())
        rows.push_back(*table_.bookmark());
    for (ProxyTable::Bookmark row : rows) {
        if (!table_.gotoBookmark(row))
            continue;
        const ProxyRecord& r = table_.current();
        // Where an echo judge saw the request come from is where the proxy's users appear to be.
        std::string address = r.facts().exitIp;
        if (address.empty())
            address = trim(r.text(Field::Ip));
        const Place place = locator->locate(address);
        const bool located = !trim(r.text(Field::Location)).empty();
        table_.edit();
        table_.setCountry(place.country);
        if (!located) {
            const std::string text = place.text();
            table_.setText(Field::Location, text.empty() ? texts().unknownLocation : gbk::fromUtf8(text));
        }
        table_.post();
    }
    showingrid();
    showinfo(texts().offlineDone + std::to_string(rows.size()) + texts().offlineDoneEnd);
    return true;
}

} // namespace vorin
