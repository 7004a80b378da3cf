// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The window on a real QApplication (offscreen): layout, the grid adapter, menus and the start-up texts.
#include "platform/gbk.h"
#include "platform/registry.h"
#include "table/gridview.h"
#include "ui/gridmodel.h"
#include "ui/mainform.h"
#include "ui/qtdispatcher.h"
#include "ui/qtext.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>
#include <QToolButton>
#include <QWebEngineView>
#include <gtest/gtest.h>
#include <thread>

namespace vorin {
namespace {

class ClockStub final : public Clock {
public:
    std::uint32_t tickCount() override { return 0; }
    void sleep(std::uint32_t) override {}
};

Endpoints testEndpoints()
{
    Endpoints e = Endpoints::defaults();
    for (const auto& key : e.keys())
        e.set(key, "http://127.0.0.1:9");
    return e;
}

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override { qputenv("VORIN_REGISTRY_DIR", registryDir.path().toUtf8()); }

    QTemporaryDir registryDir;
    QtDispatcher dispatcher;
    ClockStub clock;
};

TEST_F(MainFormTest, LaysOutTheControlsAtTheirPlaces)
{
    MainForm form(dispatcher, clock, testEndpoints());
    EXPECT_EQ(form.size(), QSize(690, 505));
    EXPECT_EQ(form.pos(), QPoint(200, 100));
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    struct Place {
        const char* name;
        QRect rect;
    };
    const Place places[] = {
        {"pan_top", {0, 0, 690, 41}},        {"vrpngbtn2", {618, 0, 27, 18}},
        {"vrpngbtn1", {644, 0, 46, 18}},     {"imagepanle4", {0, 41, 690, 42}},
        {"sgrid", {0, 83, 690, 237}},        {"imagepanle3", {0, 320, 690, 155}},
        {"eweb", {0, 0, 690, 155}},          {"Pan_bot", {0, 475, 690, 30}},
        {"BTN_DOWNLIST", {16, 6, 32, 30}},   {"BTN_CHECK", {70, 6, 32, 30}},
        {"BTN_STOP", {116, 6, 35, 29}},      {"BTN_STARTPROXY", {173, 6, 29, 29}},
        {"BTN_STOPPROXY", {232, 7, 29, 29}}, {"BTN_SETUP", {283, 6, 44, 30}},
        {"BTN_SAVE", {349, 6, 29, 29}},      {"BTN_VAIL", {400, 6, 35, 29}},
        {"BTN_ABOUT", {458, 6, 35, 29}},     {"btn_menu", {654, 26, 24, 10}},
    };
    for (const Place& p : places) {
        QWidget* w = form.control(p.name);
        ASSERT_NE(w, nullptr) << p.name;
        EXPECT_EQ(w->geometry(), p.rect) << p.name;
    }
    EXPECT_EQ(form.control("BTN_DOWNLIST")->toolTip(), QStringLiteral("下载并验证（右击仅下载列表）"));
    EXPECT_EQ(form.control("BTN_STOPPROXY")->toolTip(), QStringLiteral("停止代理（禁用代理）"));
    EXPECT_EQ(form.control("Lbinfo")->pos(), QPoint(406, 8));
}

TEST_F(MainFormTest, StartUpRunsWhenShownAndCloseStoresTheOption)
{
    MainForm form(dispatcher, clock, testEndpoints());
    form.show();
    auto* info = qobject_cast<QLabel*>(form.control("Lbinfo"));
    EXPECT_EQ(info->text(), QStringLiteral("当前代理为：停用"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Vorin智能代理 V5.0"));
    EXPECT_FALSE(form.control("btn_menu")->isVisible());
    EXPECT_FALSE(form.sourceAction(MenuEntry::Mn03)->isVisible());
    EXPECT_TRUE(form.sourceAction(MenuEntry::Mn01)->isChecked());
    EXPECT_EQ(form.browser()->url(), QUrl(QStringLiteral("http://127.0.0.1:9/daili5")));

    // A click on a menu entry reverses its mark exactly once.
    form.sourceAction(MenuEntry::Mn02)->trigger();
    EXPECT_TRUE(form.sourceAction(MenuEntry::Mn02)->isChecked());
    EXPECT_EQ(form.controller().downoption, "110");
    form.close();
    auto stored = registry::Key::open(registry::Hive::CurrentUser, "SOFTWARE\\VORINSOFT\\vorindaili");
    EXPECT_EQ(stored.readString("downoption"), "110");
}

TEST_F(MainFormTest, GridModelFollowsTheGrid)
{
    StringGrid grid(gridview::kColumns, 2);
    gridview::initGrid(grid);
    GridModel model(grid);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.columnCount(), 8);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral(" IP地址"));

    ProxyTable table(std::make_shared<const Collator>("en_US"));
    for (int i = 0; i < 3000; ++i) {
        table.append();
        table.setText(Field::Ip, "10.0.0." + std::to_string(i));
        table.setText(Field::Location, gbk::fromUtf8("北京"));
        table.post();
    }
    gridview::fillGrid(table, grid);
    EXPECT_EQ(resets.count(), 1); // thousands of rows, one reset
    EXPECT_EQ(model.rowCount(), 3000);
    EXPECT_EQ(model.index(0, 4).data().toString(), QStringLiteral("北京"));

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    grid.setCell(gridview::ColMark, 5, gbk::fromUtf8("⊙"));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 4);
    EXPECT_EQ(model.index(4, 5).data().toString(), QStringLiteral("⊙"));
}

TEST_F(MainFormTest, WorkerHandOverRunsOnTheEventLoop)
{
    int ranOnMain = 0;
    std::thread worker([&] {
        dispatcher.synchronize([&] {
            if (QThread::currentThread() == qApp->thread())
                ++ranOnMain;
        });
    });
    QElapsedTimer timer;
    timer.start();
    while (ranOnMain == 0 && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    worker.join();
    EXPECT_EQ(ranOnMain, 1);
}

} // namespace
} // namespace vorin

int main(int argc, char** argv)
{
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --no-sandbox --disable-background-networking "
                                          "--disable-component-update --no-first-run");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
