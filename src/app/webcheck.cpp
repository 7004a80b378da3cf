// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The web check: the two pages that show the address a visitor is seen from, loaded in turn and each
// fetched anew; and the home button.
#include "app/frmvrdl.h"
#include "platform/texts.h"

namespace vorin {

void Tfrmvrdl::DeleteIECache(const std::string& urlPart)
{
    view_.purgeCache(urlPart);
}

void Tfrmvrdl::btnwebcheckExecute()
{
    const std::string pageA = endpoints_.root("mainsite") + "/yourip.php";
    const std::string pageB = endpoints_.root("softsite") + "/daili5/yourip.php";
    const bool loadB = webcheckTag == 1;
    view_.navigate(loadB ? pageB : pageA, true);
    clock_.sleep(150);
    DeleteIECache(loadB ? pageA : pageB);
    webcheckTag = loadB ? 0 : 1;
}

void Tfrmvrdl::btngohomeExecute()
{
    const std::string& home = endpoints_.root("homepage");
    view_.openExternal(home);
    view_.showAbout(texts().title, texts().officialSite + home);
}

} // namespace vorin
