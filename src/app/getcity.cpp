// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The list tool that fills every missing location.
#include "app/frmvrdl.h"
#include "geo/iplookup.h"
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

} // namespace vorin
