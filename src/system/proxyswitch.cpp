// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// Making the selected proxy the system proxy, and switching the system proxy off.
#include "app/frmvrdl.h"
#include "platform/download.h"
#include "platform/texts.h"
#include "system/systemproxy.h"
#include "table/gridview.h"
#include "table/trim.h"

namespace vorin {

std::string Tfrmvrdl::getproxy()
{
    return systemproxy::read();
}

void Tfrmvrdl::setprocessproxy(const std::string& hostPort)
{
    download::setProcessProxy(hostPort);
    view_.setApplicationProxy(hostPort);
}

void Tfrmvrdl::startproxy(const std::string& hostPort)
{
    systemproxy::enable(hostPort);
    clock_.sleep(100);
    setprocessproxy(hostPort);
    clock_.sleep(100);
    // The desktop's programs read their settings when these change; there is nothing more to refresh.
    clock_.sleep(100);
    midshowinfo(texts().currentProxy + hostPort);
}

void Tfrmvrdl::stopproxy()
{
    systemproxy::disable();
    clock_.sleep(100);
    setprocessproxy({});
    clock_.sleep(100);
    midshowinfo(texts().proxyDisabled);
}

void Tfrmvrdl::btnsetproxyExecute()
{
    const int r = grid_.selectedRow();
    if (r < 1)
        return;
    const std::string& ip = grid_.cell(gridview::ColIp, r);
    std::string_view port = trim(grid_.cell(gridview::ColPort, r));
    if (ip.empty() || port.empty())
        return;
    if (grid_.cell(gridview::ColMark, r) == texts().markFailed) {
        view_.messageBox(texts().invalidProxy);
        return;
    }
    startproxy(std::string(trim(ip)) + ":" + std::string(port));
}

void Tfrmvrdl::btnstopproxyExecute()
{
    stopproxy();
}

} // namespace vorin
