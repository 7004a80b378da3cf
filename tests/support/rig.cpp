// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "support/rig.h"

#include "check/KeloInetChecker.h"

namespace vorin::test {

using namespace std::chrono_literals;

ControllerRig::ControllerRig(Endpoints endpoints)
{
    TKeloInetChecker::setOverallLimit(1500ms);
    if (endpoints.root("iplookup") == loopbackEndpoints().root("iplookup")) {
        judgeSite = std::make_unique<HttpFixture>("127.0.0.1");
        judgeSite->serve("/ip2city.asp", valid());
        endpoints.set("iplookup", judgeSite->root());
    }
    form = std::make_unique<Tfrmvrdl>(view, dispatcher, clock, std::move(endpoints),
                                      TempPaths(pages.path(), pages.path()));
    form->frmshowExecute();
    view.statuses.clear();
}

ControllerRig::~ControllerRig()
{
    form.reset();
    TKeloInetChecker::setOverallLimit(15000ms);
}

HttpFixture& ControllerRig::proxy(int x, const HttpFixture::Response& response)
{
    proxies.push_back(std::make_unique<HttpFixture>("127.0.0." + std::to_string(x)));
    proxies.back()->serve("/ip2city.asp", response);
    return *proxies.back();
}

HttpFixture::Response ControllerRig::valid(int delayMs)
{
    return HttpFixture::Response::with(200, g("您的IP地址") + "127.0.0.1", delayMs);
}

void ControllerRig::addRow(const std::string& hostPort, std::optional<int> earlierSpeed)
{
    const HostPort hp = HostPort::atFirstColon(hostPort);
    auto& t = form->table();
    t.append();
    t.setText(Field::Ip, hp.host);
    t.setText(Field::Port, hp.port);
    if (earlierSpeed) {
        t.setBoolean(Field::Valid, true);
        t.setInteger(Field::Speed, *earlierSpeed);
    }
    t.post();
}

std::vector<std::string> ControllerRig::addresses() const
{
    std::vector<std::string> out;
    form->table().forEach([&](std::size_t, const ProxyRecord& r) { out.push_back(r.text(Field::Ip)); });
    return out;
}

bool ControllerRig::pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        dispatcher.waitMessages(20ms);
    }
    return true;
}

bool ControllerRig::runToEnd(std::chrono::milliseconds limit)
{
    form->btncheckproxyExecute();
    return pumpUntil([this] { return form->run() && form->checkdone(); }, limit);
}

} // namespace vorin::test
