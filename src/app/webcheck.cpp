// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The web check: the two pages that show the address a visitor is seen from, loaded in turn and each
// fetched anew; and the home button.
#include "app/frmvrdl.h"
#include "geo/offline.h"
#include "platform/gbk.h"
#include "platform/texts.h"
#include "system/systemproxy.h"

#include <algorithm>

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

void Tfrmvrdl::panefailed(const std::string& url)
{
    const std::string pageA = endpoints_.root("mainsite") + "/yourip.php";
    const std::string pageB = endpoints_.root("softsite") + "/daili5/yourip.php";
    if (url.rfind(pageA, 0) != 0 && url.rfind(pageB, 0) != 0) {
        view_.showOwnPage(View::OwnPage::Home, {texts().pageHomeReason, {}, {}, {}});
        return;
    }
    // The address is asked of the pool's echo judges in turn, through the system proxy as the pane uses it.
    webcheckJudges_.clear();
    for (Judge& j : judgepool(true)) {
        if (j.rule == Judge::Rule::Echo)
            webcheckJudges_.push_back(std::move(j));
    }
    std::reverse(webcheckJudges_.begin(), webcheckJudges_.end()); // taken from the back
    view_.showOwnPage(View::OwnPage::WebCheck, {{}, "……", "……", texts().pageAsking});
    askwebcheck();
}

void Tfrmvrdl::askwebcheck()
{
    const Texts& t = texts();
    if (webcheckJudges_.empty()) {
        view_.showOwnPage(View::OwnPage::WebCheck, {{}, t.pageUnknown, t.pageUnknown, t.pageNoJudge});
        return;
    }
    const Judge judge = std::move(webcheckJudges_.back());
    webcheckJudges_.pop_back();
    const std::string proxy = getproxy();
    auto ask = std::make_unique<TKeloInetChecker>(engine_, dispatcher_);
    // Through the system proxy in its own protocol, with its credentials.
    if (const auto system = systemproxy::current()) {
        ask->AccessType = TAccessType::atProxy;
        ask->Proxy = system->endpoint.text();
        ask->Kind = kindOf(*system);
        ask->Credentials = system->credentials;
    } else {
        ask->AccessType = TAccessType::atDirectConnect;
    }
    ask->setJudge(judge);
    ask->UserAgent = "Internet Explorer 7.0";
    ask->OnComplete = [this, judge, proxy](TKeloInetChecker* sender, bool answered) {
        const std::string exit = sender->facts().exitIp;
        webcheckDone_ = std::move(webcheckAsk_); // goes with the next ask, not inside its own completion
        if (!answered || exit.empty()) {
            askwebcheck();
            return;
        }
        std::string why;
        const auto locator = OfflineLocator::open(geoipfile, why);
        const Place place = locator ? locator->locate(exit) : Place{};
        const std::string& country = place.countryName.empty() ? place.country : place.countryName;
        const Texts& t = texts();
        view_.showOwnPage(View::OwnPage::WebCheck,
                          {{},
                           exit,
                           country.empty() ? t.pageUnknown : gbk::fromUtf8(country),
                           t.pageSeenBy + gbk::fromUtf8(judge.url) +
                               (proxy.empty() ? t.pageDirect : t.pageThrough + proxy) + t.pageSeen});
    };
    webcheckAsk_ = std::move(ask);
    if (!webcheckAsk_->Start())
        askwebcheck();
}

void Tfrmvrdl::btngohomeExecute()
{
    const std::string& home = endpoints_.root("homepage");
    view_.openExternal(home);
    view_.showAbout(texts().title, texts().officialSite + home);
}

} // namespace vorin
