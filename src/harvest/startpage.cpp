// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The browser start page, kept by the coordinator for the start-page offer: the current user's Internet
// Explorer settings in the registry store, and the machine's where they may be written.
#include "harvest/tdaili.h"
#include "platform/registry.h"

namespace vorin {
namespace {

constexpr const char* kUserMain = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr const char* kMachineMain = "SOFTWARE\\Microsoft\\Internet Explorer\\MAIN";

void writeStartPage(registry::Hive hive, const char* key, const std::string& url)
{
    auto k = registry::Key::open(hive, key);
    // A store that cannot be written (the machine's, for an ordinary user) is skipped without a word.
    for (const char* value : {"Start Page", "First Home Page", "Default_Page_URL"}) {
        if (!k.writeString(value, url))
            return;
    }
}

} // namespace

std::string tdaili::getstartpage()
{
    return registry::Key::open(registry::Hive::CurrentUser, kUserMain).readString("Start Page").value_or("");
}

void tdaili::setstartpage(const std::string& url)
{
    writeStartPage(registry::Hive::CurrentUser, kUserMain, url);
    writeStartPage(registry::Hive::LocalMachine, kMachineMain, url);
}

} // namespace vorin
