// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The window on a real QApplication (offscreen): layout, the grid adapter, menus and the start-up texts.
#include "platform/gbk.h"
#include "platform/registry.h"
#include "platform/texts.h"
#include "qtloop/qtdispatcher.h"
#include "support/fakeproxy.h"
#include "support/fakes.h"
#include "support/httpfixture.h"
#include "system/systemproxy.h"
#include "table/gridview.h"
#include "ui/gridmodel.h"
#include "ui/mainform.h"
#include "ui/qtext.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QNetworkProxy>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineSettings>
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
    return test::loopbackEndpoints();
}

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("VORIN_REGISTRY_DIR", registryDir.path().toUtf8());
        // The partner page as start page: start-up asks no question.
        registry::Key::open(registry::Hive::CurrentUser, "Software\\Microsoft\\Internet Explorer\\Main")
            .writeString("Start Page", testEndpoints().root("partnerA"));
    }

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
    EXPECT_EQ(form.control("eweb"), nullptr) << "the browser engine starts after the window is on screen";
    form.browser(); // made when asked for
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
    EXPECT_TRUE(form.control("btn_menu")->isVisible());
    EXPECT_TRUE(form.sourceAction(MenuEntry::Mn03)->isVisible());
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
    ProxyTable table(std::make_shared<const Collator>("en_US"));
    ProxyGrid grid(table);
    gridview::initGrid(grid);
    GridModel model(grid);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.columnCount(), 8);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral(" IP地址"));

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

    // A verdict written into the table shows once the grid is told; the model copies no cells.
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    table.first();
    table.moveBy(4);
    table.setMark(*table.bookmark(), CheckMark::Failed);
    grid.rowsChanged();
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 0);
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

// A left click on a skinned button (it clicks on the press).
void press(QWidget* button)
{
    QTest::mousePress(button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseRelease(button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
}

TEST_F(MainFormTest, TheSkinnedWindowKeepsItsShapeAndItsButtonsWork)
{
    MainForm form(dispatcher, clock, testEndpoints());
    form.show();
    EXPECT_EQ(form.geometry(), QRect(200, 100, 690, 505));
    // Round top corners, square bottom ones.
    const QRegion shape = form.mask();
    EXPECT_FALSE(shape.contains(QPoint(0, 0)));
    EXPECT_FALSE(shape.contains(QPoint(689, 0)));
    EXPECT_TRUE(shape.contains(QPoint(0, 504)));
    EXPECT_TRUE(shape.contains(QPoint(689, 504)));
    EXPECT_TRUE(shape.contains(QPoint(345, 0)));
    // A screenshot for people to look at, beside the test program.
    form.grab().save(QCoreApplication::applicationDirPath() + QStringLiteral("/mainform.png"));

    // A right press on the download button downloads without validating.
    QWidget* down = form.control("BTN_DOWNLIST");
    QTest::mousePress(down, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseRelease(down, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_FALSE(form.controller().autocheck);
    auto* status = qobject_cast<Timagepanle*>(form.control("Pan_bot"));
    // The last source started: the user's own, ticked in a fresh store; with no network at all (the test's
    // namespace) every source may have failed already, and the harvest has ended.
    const QString caption = status->caption();
    EXPECT_TRUE(caption == QStringLiteral("正在从自定义来源下载代理列表，请稍候...") ||
                caption.startsWith(QStringLiteral("下载结束，没有得到代理")))
        << caption.toStdString();

    // The close button ends the window at the press and stores the source option.
    press(form.control("vrpngbtn1"));
    EXPECT_FALSE(form.isVisible());
    auto stored = registry::Key::open(registry::Hive::CurrentUser, "SOFTWARE\\VORINSOFT\\vorindaili");
    EXPECT_EQ(stored.readString("downoption"), "100");
}

// The pane's text once it reads expected, or what it reads after 20 s. Polled rather than counted by load
// signals, whose order around a navigation that replaces another is not fixed.
QString waitForText(QWebEngineView* view, const QString& expected)
{
    QString text;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 20000) {
        bool done = false;
        view->page()->toPlainText([&](const QString& t) {
            text = t;
            done = true;
        });
        QElapsedTimer step;
        step.start();
        while (!done && step.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (text.contains(expected))
            break;
        QTest::qWait(100);
    }
    return text;
}

TEST_F(MainFormTest, ThePaneGoesThroughTheChosenProxyAndFetchesEachCheckAnew)
{
    // The pane never sends loopback hosts through a proxy, so the two sites get names under .test that only
    // the test proxy answers.
    test::HttpFixture proxy;
    proxy.serve("/daili5", "home through proxy-one");
    proxy.serve("/yourip.php", "page A seen through proxy-one");
    proxy.serve("/daili5/yourip.php", "page B seen through proxy-one");
    Endpoints endpoints = testEndpoints();
    endpoints.set("mainsite", "http://mainsite.vorin.test:81");
    endpoints.set("softsite", "http://softsite.vorin.test:82");
    auto settings = registry::Key::open(registry::Hive::CurrentUser, systemproxy::kInternetSettingsKey);
    settings.writeString("ProxyServer", proxy.hostPort());
    settings.writeDword("ProxyEnable", 1);

    MainForm form(dispatcher, clock, endpoints);
    form.show(); // the first page goes through the system proxy
    EXPECT_EQ(waitForText(form.browser(), QStringLiteral("home through proxy-one")),
              QStringLiteral("home through proxy-one"));
    EXPECT_EQ(proxy.count("http://softsite.vorin.test:82/daili5"), 1u);

    QWidget* webCheck = form.control("BTN_VAIL");
    press(webCheck);
    EXPECT_EQ(waitForText(form.browser(), QStringLiteral("page A seen through proxy-one")),
              QStringLiteral("page A seen through proxy-one"));
    press(webCheck);
    EXPECT_EQ(waitForText(form.browser(), QStringLiteral("page B seen through proxy-one")),
              QStringLiteral("page B seen through proxy-one"));
    press(webCheck);
    EXPECT_EQ(waitForText(form.browser(), QStringLiteral("page A seen through proxy-one")),
              QStringLiteral("page A seen through proxy-one"));
    EXPECT_EQ(proxy.count("http://mainsite.vorin.test:81/yourip.php"), 2u); // fetched anew
    form.close();
}

TEST_F(MainFormTest, AProxySetAtRunTimeCarriesTheNextCheck)
{
    test::HttpFixture proxy("127.0.0.2");
    proxy.serve("/yourip.php", "page A seen through proxy-two");
    Endpoints endpoints = testEndpoints();
    endpoints.set("mainsite", "http://mainsite.vorin.test:81");
    MainForm form(dispatcher, clock, endpoints);
    QSignalSpy loads(form.browser(), &QWebEngineView::loadFinished);
    form.show(); // direct: the home page on the closed loopback port fails
    loads.wait(20000);

    form.controller().importbytes(proxy.hostPort() + "\r\n");
    form.controller().showingrid();
    form.controller().grid().setSelectedRow(1);
    // The page on show stays until the next one is asked for; the pane has no scroll bars.
    QWebEnginePage* shown = form.browser()->page();
    const QUrl shownUrl = form.browser()->url();
    EXPECT_FALSE(shown->settings()->testAttribute(QWebEngineSettings::ShowScrollBars));
    press(form.control("BTN_STARTPROXY"));
    EXPECT_EQ(QNetworkProxy::applicationProxy().hostName(), QStringLiteral("127.0.0.2"));
    EXPECT_EQ(form.browser()->page(), shown);
    EXPECT_EQ(form.browser()->url(), shownUrl);
    press(form.control("BTN_VAIL"));
    EXPECT_EQ(waitForText(form.browser(), QStringLiteral("page A seen through proxy-two")),
              QStringLiteral("page A seen through proxy-two"));
    press(form.control("BTN_STOPPROXY"));
    EXPECT_EQ(QNetworkProxy::applicationProxy().type(), QNetworkProxy::NoProxy);
    EXPECT_EQ(waitForText(form.browser(), QStringLiteral("page A seen through proxy-two")),
              QStringLiteral("page A seen through proxy-two"));
    EXPECT_FALSE(form.browser()->page()->settings()->testAttribute(QWebEngineSettings::ShowScrollBars));
    form.close();
}

// With the local relay chosen, 设为代理 points the pane at the relay, and the pages come through the row
// behind it; 停用代理 stops the relay.
TEST_F(MainFormTest, ThePaneBrowsesThroughTheLocalRelay)
{
    test::HttpFixture proxy("127.0.0.3");
    proxy.serve("/yourip.php", "page A seen through the relay");
    Endpoints endpoints = testEndpoints();
    endpoints.set("mainsite", "http://mainsite.vorin.test:81");
    MainForm form(dispatcher, clock, endpoints);
    QSignalSpy loads(form.browser(), &QWebEngineView::loadFinished);
    form.show();
    loads.wait(20000);
    form.controller().userelay = true;
    form.controller().relayport = 0; // a free port
    form.controller().importbytes(proxy.hostPort() + "\r\n");
    form.controller().showingrid();
    form.controller().grid().setSelectedRow(1);
    press(form.control("BTN_STARTPROXY"));
    ASSERT_TRUE(form.controller().localrelay().running());
    EXPECT_EQ(QNetworkProxy::applicationProxy().hostName(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(QNetworkProxy::applicationProxy().port(), form.controller().localrelay().port());
    press(form.control("BTN_VAIL"));
    EXPECT_EQ(waitForText(form.browser(), QStringLiteral("page A seen through the relay")),
              QStringLiteral("page A seen through the relay"));
    EXPECT_EQ(proxy.count("http://mainsite.vorin.test:81/yourip.php"), 1u);
    press(form.control("BTN_STOPPROXY"));
    EXPECT_FALSE(form.controller().localrelay().running());
    form.close();
}

TEST_F(MainFormTest, TheSaveDialogNamesItsEntriesAsTheFilterDoes)
{
    MainForm form(dispatcher, clock, testEndpoints());
    QStringList entries;
    int preselected = -1;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &form, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* types = dialog ? dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")) : nullptr;
        if (!types)
            return;
        entries.clear();
        for (int i = 0; i < types->count(); ++i)
            entries << types->itemText(i);
        preselected = types->currentIndex();
        dialog->reject();
    });
    poll.start(20);
    EXPECT_FALSE(form.saveDialog(texts().saveFilter, 2).has_value());
    EXPECT_EQ(entries,
              (QStringList{QStringLiteral("*.txt"), QStringLiteral("*.html"), QStringLiteral("XML文件")}));
    EXPECT_EQ(preselected, 1);
}

TEST_F(MainFormTest, ThePaneShowsItsOwnPagesInChineseAndQtSpeaksChinese)
{
    // The web check's address comes from an echo judge of the pool, here the only one.
    test::HttpFixture judge;
    judge.serve("/echo", test::azenvJudge());
    test::writeFile(std::filesystem::path(registryDir.path().toStdString()) / "judges.txt",
                    judge.root() + "/echo\n");
    MainForm form(dispatcher, clock, testEndpoints()); // every site on the closed loopback port
    form.show();
    EXPECT_TRUE(
        waitForText(form.browser(), QStringLiteral("无法打开主页")).contains(QStringLiteral("无法打开主页")));
    press(form.control("BTN_VAIL"));
    const QString seen = waitForText(form.browser(), QStringLiteral("看到的。"));
    EXPECT_TRUE(seen.contains(QStringLiteral("外界看到的访问地址：127.0.0.1"))) << seen.toStdString();
    EXPECT_TRUE(
        seen.contains(QString::fromStdString(judge.root()) + QStringLiteral("/echo 在不使用代理时看到的。")))
        << seen.toStdString();

    // A question's buttons in Chinese.
    QString yes;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &form, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            yes = box->button(QMessageBox::Yes)->text();
            box->reject();
        }
    });
    poll.start(20);
    form.askYesNo(test::g("继续？"));
    EXPECT_TRUE(yes.startsWith(QStringLiteral("是"))) << yes.toStdString();
    form.close();
}

} // namespace
} // namespace vorin

int main(int argc, char** argv)
{
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --no-sandbox --disable-background-networking "
                                          "--disable-component-update --no-first-run");
    qputenv("GSETTINGS_BACKEND", "memory");
    qputenv("VORIN_DESKTOP_PROXY", "0");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    vorin::speakChinese(app);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
