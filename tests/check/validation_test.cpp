// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The validation run through the controller, with fake proxies on distinct loopback addresses.
#include "app/frmvrdl.h"
#include "support/rig.h"
#include "table/gridview.h"

#include <gtest/gtest.h>
#include <set>

namespace vorin {
namespace {

using namespace std::chrono_literals;
using test::g;
using Response = test::HttpFixture::Response;
using gridview::ColMark;
using gridview::ColSpeed;

// The controller with its fakes, shown; every test starts with no status text.
class ValidationTest : public ::testing::Test, public test::ControllerRig {};

TEST_F(ValidationTest, KeepsOnlyTheValidProxyWithItsSpeed)
{
    addRow(proxy(21, Response::with(404, "no")).hostPort());
    addRow(proxy(22, valid()).hostPort());
    addRow("127.0.0.23:9"); // refused
    form->showingrid();
    view.statuses.clear();
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(view.statuses[0], g("正在验证，请稍候..."));
    EXPECT_EQ(view.statuses[1], g("正在验证，请稍候……"));
    EXPECT_EQ(view.statuses.back(), g(" 验证结束,共有1代理可用！"));
    EXPECT_NE(std::find(view.statuses.begin(), view.statuses.end(), g("验证结束……")), view.statuses.end());
    ASSERT_EQ(form->table().rowCount(), 1u);
    form->table().first();
    EXPECT_EQ(form->table().text(Field::Ip), "127.0.0.22");
    EXPECT_TRUE(form->table().boolean(Field::Valid));
    EXPECT_EQ(cell(ColMark, 1), g("√"));
    EXPECT_EQ(cell(ColSpeed, 1), form->table().text(Field::Speed));
    EXPECT_EQ(form->grid().rowCount(), 2);
    EXPECT_FALSE(form->busy);
    EXPECT_TRUE(form->run()->stopcheck());
    EXPECT_FALSE(form->autocheck);
    EXPECT_EQ(clock.sleeps, (std::vector<std::uint32_t>{120, 120, 120}));
}

TEST_F(ValidationTest, VerdictsReachTheirOwnRowsWhenASortMovesThem)
{
    // After an earlier run the table stays sorted on the speed; an imported list checked then has every
    // valid row move as its speed is written. Each verdict must still land on the row that was checked.
    form->table().sortOn(Field::Speed);
    std::vector<test::HttpFixture*> answering;
    for (int x : {51, 53, 55, 56}) {
        answering.push_back(
            &proxy(x, x == 56 ? Response::with(403, g("您的IP地址")) : valid(x == 53 ? 100 : 0)));
        addRow(answering.back()->hostPort());
        if (x < 55)
            addRow("127.0.0." + std::to_string(x + 1) + ":9"); // refused
    }
    form->showingrid();
    ASSERT_TRUE(runToEnd());
    std::set<std::string> kept;
    form->table().forEach([&](std::size_t, const ProxyRecord& r) {
        EXPECT_TRUE(r.valid);
        kept.insert(r.text(Field::Ip));
    });
    EXPECT_EQ(kept, (std::set<std::string>{"127.0.0.51", "127.0.0.53", "127.0.0.55"}));
    for (auto* p : answering)
        EXPECT_EQ(p->requests().size(), 1u) << "each proxy is checked once: " << p->address();
}

// A row valid in an earlier run that fails now is dead: its "验证" goes false and the purge takes it, so a
// saved list never shows it as valid.
TEST_F(ValidationTest, MarksFailuresAndDropsARowValidOnlyInAnEarlierRun)
{
    addRow("127.0.0.31:9", 77); // valid before, refused now
    addRow(proxy(32, valid(300)).hostPort());
    form->showingrid();
    form->btncheckproxyExecute();
    // The refusal arrives while the slow check is still out.
    auto until = std::chrono::steady_clock::now() + 3s;
    while (cell(ColMark, 1) != g("⊙") && std::chrono::steady_clock::now() < until)
        dispatcher.drain();
    EXPECT_EQ(cell(ColSpeed, 1), "99999");
    EXPECT_FALSE(form->checkdone());
    while (!form->checkdone() && std::chrono::steady_clock::now() < until)
        dispatcher.drain();
    ASSERT_TRUE(form->checkdone());
    ASSERT_EQ(form->table().rowCount(), 1u);
    EXPECT_EQ(cell(gridview::ColIp, 1), "127.0.0.32");
    EXPECT_EQ(cell(ColMark, 1), g("√"));
    EXPECT_EQ(view.statuses.back(), g(" 验证结束,共有1代理可用！"));
}

TEST_F(ValidationTest, ASecondClickWhileStartingDoesNothing)
{
    addRow(proxy(41, valid()).hostPort());
    addRow(proxy(42, valid()).hostPort());
    clock.onSleep = [this] { form->btncheckproxyExecute(); }; // clicks in every pause between starts
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(std::count(view.statuses.begin(), view.statuses.end(), g("正在验证，请稍候...")), 1);
    EXPECT_EQ(clock.sleeps.size(), 2u);
    EXPECT_EQ(form->table().rowCount(), 2u);
}

TEST_F(ValidationTest, StopThenOneMoreCompletionEndsTheRunAndDropsUncheckedRows)
{
    addRow(proxy(51, valid(200)).hostPort());
    addRow(proxy(52, valid()).hostPort());
    addRow(proxy(53, valid()).hostPort());
    clock.onSleep = [this] { form->btnstopcheckExecute(); }; // in the first pause
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(clock.sleeps.size(), 1u); // one check started
    ASSERT_EQ(form->table().rowCount(), 1u);
    form->table().first();
    EXPECT_EQ(form->table().text(Field::Ip), "127.0.0.51");
    EXPECT_EQ(proxies[1]->requests().size(), 0u);
}

TEST_F(ValidationTest, RunsThatNothingWouldEndEndAtOnce)
{
    // An empty table.
    form->btncheckproxyExecute();
    EXPECT_TRUE(form->checkdone());
    EXPECT_FALSE(form->busy);
    EXPECT_EQ(view.statuses.back(), g(" 验证结束,共有0代理可用！"));

    // A stop after every started check has reported.
    addRow(proxy(61, Response::with(404, "no")).hostPort());
    addRow(proxy(62, valid()).hostPort());
    view.statuses.clear();
    clock.onSleep = [this] {
        // In the first pause: wait until the first check has reported, then stop.
        auto until = std::chrono::steady_clock::now() + 3s;
        while (cell(ColMark, 1).empty() && std::chrono::steady_clock::now() < until)
            dispatcher.drain();
        form->btnstopcheckExecute();
    };
    form->btncheckproxyExecute();
    EXPECT_TRUE(form->checkdone());
    EXPECT_FALSE(form->busy);
    EXPECT_TRUE(form->table().isEmpty());  // the failed row and the unchecked one
    EXPECT_EQ(form->grid().rowCount(), 1); // shown as an empty grid
    EXPECT_EQ(view.statuses.back(), g(" 验证结束,共有0代理可用！"));
}

TEST_F(ValidationTest, CompletionsAfterTheEndChangeNothing)
{
    addRow(proxy(71, valid()).hostPort());
    ASSERT_TRUE(runToEnd());
    const std::string mark = cell(ColMark, 1);
    const int count = form->run()->checkcount();
    FetchEngine spare;
    TKeloInetChecker late(spare, dispatcher); // never started; only its Tag matters
    late.Tag = 1;
    form->mycomplete(&late, false);
    EXPECT_EQ(cell(ColMark, 1), mark);
    EXPECT_EQ(form->run()->checkcount(), count);
    EXPECT_TRUE(form->run()->stopcheck());
}

TEST_F(ValidationTest, ElapsedTimeSurvivesTheTickCounterWrapping)
{
    addRow(proxy(81, valid()).hostPort());
    clock.ticks = 0xFFFFFFF0u; // wraps during the 120 ms pause
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(cell(ColSpeed, 1), "120");
    form->table().first();
    EXPECT_EQ(form->table().text(Field::Speed), "120");
}

TEST_F(ValidationTest, AHarvestWithAutocheckValidatesAfterTheListing)
{
    addRow(proxy(91, valid()).hostPort());
    form->autocheck = true;
    form->busy = true;
    form->listtable();
    // The run started inside the listing, 1200 ms after the grid was shown.
    EXPECT_EQ(clock.sleeps.front(), 1200u);
    auto until = std::chrono::steady_clock::now() + 5s;
    while (!form->checkdone() && std::chrono::steady_clock::now() < until)
        dispatcher.drain();
    EXPECT_TRUE(form->checkdone());
    EXPECT_FALSE(form->autocheck);
    EXPECT_EQ(view.statuses.back(), g(" 验证结束,共有1代理可用！"));
}

TEST_F(ValidationTest, TheFastModeKeepsAtMostTheLimitInFlightWithoutPauses)
{
    // One fake proxy behind twelve rows: its peak of requests waiting for an answer is the number of checks
    // in flight.
    auto& shared = proxy(41, valid(150));
    for (int i = 0; i < 12; ++i)
        addRow(shared.hostPort());
    addRow(proxy(42, Response::with(403, g("您的IP地址"))).hostPort());
    addRow("127.0.0.43:9"); // refused
    form->checkpause = 0;
    form->checkparallel = 3;
    ASSERT_TRUE(runToEnd());
    EXPECT_TRUE(clock.sleeps.empty());
    EXPECT_LE(shared.peakWaiting(), 3);
    EXPECT_EQ(form->run()->progress().started, 14);
    EXPECT_EQ(form->run()->progress().completed, 14);
    EXPECT_EQ(form->run()->progress().valid, 12);
    EXPECT_EQ(form->table().rowCount(), 12u);
    EXPECT_FALSE(form->busy);
}

} // namespace
} // namespace vorin
