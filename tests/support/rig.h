// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "app/frmvrdl.h"
#include "support/fakes.h"
#include "support/httpfixture.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vorin::test {

// The controller with its fakes, wired in one place: a registry folder of its own, a window that records,
// a clock that never waits, the plain hand-over, loopback sites, page folders of its own, a check limit of
// 1.5 s, and fake proxies on addresses of 127.0.0.0/8. The built-in test page answers directly on a site
// of its own (judgeSite) unless the endpoints given place it elsewhere. The window is shown at
// construction.
class ControllerRig {
public:
    explicit ControllerRig(Endpoints endpoints = loopbackEndpoints());
    ~ControllerRig();
    ControllerRig(const ControllerRig&) = delete;
    ControllerRig& operator=(const ControllerRig&) = delete;

    // A fake proxy at 127.0.0.x answering the test page with response.
    HttpFixture& proxy(int x, const HttpFixture::Response& response);
    // The test page as a working proxy passes it on, after delayMs.
    static HttpFixture::Response valid(int delayMs = 0);
    // Appends a row host:port (split at the first colon), valid with earlierSpeed from an earlier run.
    void addRow(const std::string& hostPort, std::optional<int> earlierSpeed = std::nullopt);
    // The table's addresses in its order.
    std::vector<std::string> addresses() const;
    // Starts a run with the check button and drains the hand-over until it has ended.
    bool runToEnd(std::chrono::milliseconds limit = std::chrono::seconds(8));
    // Drains the hand-over until done() holds; false after limit.
    bool pumpUntil(const std::function<bool()>& done,
                   std::chrono::milliseconds limit = std::chrono::seconds(8));
    std::string cell(int col, int row) const { return form->grid().cell(col, row); }

    TempDir registry{"rig-registry"};
    TempDir pages{"rig-pages"};
    ScopedEnv registryEnv{"VORIN_REGISTRY_DIR", registry.path().string()};
    FakeView view;
    FakeClock clock;
    Dispatcher dispatcher;
    std::vector<std::unique_ptr<HttpFixture>> proxies;
    std::unique_ptr<HttpFixture> judgeSite;
    std::unique_ptr<Tfrmvrdl> form;
};

} // namespace vorin::test
