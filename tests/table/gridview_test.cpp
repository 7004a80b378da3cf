// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "support/fakes.h"
#include "table/gridview.h"

#include <gtest/gtest.h>

namespace vorin {
namespace {

using namespace gridview;

struct CountingObserver : ProxyGrid::Observer {
    void gridReset() override { ++resets; }
    void gridRowsChanged(int, int) override { ++rowChanges; }
    int resets = 0;
    int rowChanges = 0;
};

class GridViewTest : public ::testing::Test {
protected:
    void add(const std::string& ip, const std::string& loc = {}, std::optional<int> speed = {})
    {
        table.append();
        table.setText(Field::Ip, ip);
        table.setText(Field::Port, "8080");
        if (!loc.empty())
            table.setText(Field::Location, loc);
        if (speed) {
            table.setBoolean(Field::Valid, true);
            table.setInteger(Field::Speed, *speed);
        }
        table.post();
    }

    ProxyTable table{std::make_shared<const Collator>("en_US")};
    ProxyGrid grid{table};
};

TEST_F(GridViewTest, TitlesAndWidths)
{
    initGrid(grid);
    EXPECT_EQ(grid.cell(ColNumber, 0), test::g("序号"));
    EXPECT_EQ(grid.cell(ColIp, 0), test::g(" IP地址"));
    EXPECT_EQ(grid.cell(ColPort, 0), test::g(" 端口"));
    EXPECT_EQ(grid.cell(ColSpeed, 0), test::g("速度(ms)"));
    EXPECT_EQ(grid.cell(7, 0), "");
    EXPECT_EQ(grid.colWidth(ColNumber), 40);
    EXPECT_EQ(grid.colWidth(ColLocation), 220);
    EXPECT_EQ(grid.colWidth(7), 64);
    EXPECT_EQ(grid.rowCount(), 2); // titles and one blank body row before the first harvest
}

TEST_F(GridViewTest, ShowsEveryRowNumberedInTableOrder)
{
    initGrid(grid);
    add("3.3.3.3", test::g("北京"));
    add("1.1.1.1", {}, 350);
    add("2.2.2.2");
    EXPECT_EQ(fillGrid(table, grid), 3u);
    ASSERT_EQ(grid.rowCount(), 4);
    EXPECT_EQ(grid.cell(ColNumber, 1), "1");
    EXPECT_EQ(grid.cell(ColNumber, 3), "3");
    EXPECT_EQ(grid.cell(ColIp, 1), "3.3.3.3");
    EXPECT_EQ(grid.cell(ColLocation, 1), test::g("北京"));
    EXPECT_EQ(grid.cell(ColMark, 2), test::g("√"));
    EXPECT_EQ(grid.cell(ColSpeed, 2), "350");
    EXPECT_EQ(grid.cell(ColMark, 3), "");
    EXPECT_EQ(countText(3), test::g("共有3个代理"));

    table.sortOn(Field::Ip);
    fillGrid(table, grid);
    EXPECT_EQ(grid.cell(ColIp, 1), "1.1.1.1");
    EXPECT_EQ(grid.cell(ColSpeed, 1), "350");
}

TEST_F(GridViewTest, EmptyTableLeavesOnlyTheTitleRow)
{
    initGrid(grid);
    EXPECT_EQ(fillGrid(table, grid), 0u);
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.selectedRow(), 0);
    EXPECT_EQ(countText(0), test::g("共有0个代理"));
}

TEST_F(GridViewTest, MarksStayWithTheirRowsWhenRowsMoveAndAValidRowShowsValidWhenListedAgain)
{
    initGrid(grid);
    add("3.3.3.3");
    add("1.1.1.1", {}, 350); // valid from an earlier run
    add("2.2.2.2");
    fillGrid(table, grid);
    table.first();
    const auto failed = *table.bookmark();
    table.next();
    const auto earlierValid = *table.bookmark();
    table.setMark(failed, CheckMark::Failed);
    table.setMark(earlierValid, CheckMark::Failed); // failed now, valid before
    EXPECT_EQ(grid.cell(ColMark, 2), test::g("⊙"));
    EXPECT_EQ(grid.cell(ColSpeed, 2), "99999");
    table.sortOn(Field::Ip); // 1.1.1.1, 2.2.2.2, 3.3.3.3
    fillGrid(table, grid);
    EXPECT_EQ(grid.cell(ColIp, 3), "3.3.3.3");
    EXPECT_EQ(grid.cell(ColMark, 3), test::g("⊙"));
    EXPECT_EQ(grid.cell(ColSpeed, 3), "99999");
    EXPECT_EQ(grid.cell(ColMark, 2), "");
    EXPECT_EQ(grid.cell(ColMark, 1), test::g("√"));
    EXPECT_EQ(grid.cell(ColSpeed, 1), "350");
}

TEST_F(GridViewTest, ClearingBlanksRowsButKeepsTheirNumberAndTitles)
{
    initGrid(grid);
    add("1.1.1.1");
    add("2.2.2.2");
    fillGrid(table, grid);
    clearGridBody(grid);
    EXPECT_EQ(grid.rowCount(), 3);
    for (int c = 0; c < kColumns; ++c)
        EXPECT_EQ(grid.cell(c, 2), "");
    EXPECT_EQ(grid.cell(ColIp, 0), test::g(" IP地址"));
}

TEST_F(GridViewTest, ARedrawIsOneNotification)
{
    initGrid(grid);
    for (int i = 0; i < 500; ++i)
        add(std::to_string(i));
    CountingObserver observer;
    grid.setObserver(&observer);
    fillGrid(table, grid);
    clearGridBody(grid);
    EXPECT_EQ(observer.resets, 2);
    EXPECT_EQ(observer.rowChanges, 0);
    grid.rowsChanged();
    EXPECT_EQ(observer.rowChanges, 1);
    grid.setObserver(nullptr);
}

TEST_F(GridViewTest, ReadsNothingOutsideAndKeepsTheSelectionInside)
{
    add("1.1.1.1");
    EXPECT_EQ(grid.cell(9, 1), "");
    EXPECT_EQ(grid.cell(-1, -1), "");
    grid.setRowCount(10);
    EXPECT_EQ(grid.cell(ColIp, 1), "1.1.1.1");
    EXPECT_EQ(grid.cell(ColIp, 5), ""); // a shown row the table no longer has
    grid.setSelectedRow(8);
    grid.setRowCount(4);
    EXPECT_EQ(grid.selectedRow(), 3);
    grid.setRowCount(0);
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.selectedRow(), 0);
}

} // namespace
} // namespace vorin
