// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "app/frmvrdl.h"
#include "platform/registry.h"
#include "support/fakeproxy.h"
#include "support/fakes.h"
#include "support/httpfixture.h"
#include "system/systemproxy.h"
#include "table/gridview.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace vorin {
namespace {

using test::g;

constexpr const char* kOptionKey = "SOFTWARE\\VORINSOFT\\vorindaili";

// The hand-over; a test may hold back what the network thread hands over while a handler processes
// messages, so that nothing completes behind its back.
class HoldingDispatcher final : public Dispatcher {
public:
    void processMessages() override
    {
        if (onProcess)
            onProcess(); // what the window's timers would do meanwhile
        if (!hold)
            Dispatcher::processMessages();
    }
    bool hold = false;
    std::function<void()> onProcess;
};

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override { makePartnerAStartPage(); }
    // With the partner page as start page the start-up asks nothing and shows mn03 and btn_menu.
    void makePartnerAStartPage()
    {
        registry::Key::open(registry::Hive::CurrentUser, "Software\\Microsoft\\Internet Explorer\\Main")
            .writeString("Start Page", test::loopbackEndpoints().root("partnerA"));
    }

    registry::Key optionKey() { return registry::Key::open(registry::Hive::CurrentUser, kOptionKey); }
    std::optional<std::string> storedOption() { return optionKey().readString("downoption"); }

    void addRow(const std::string& ip, const std::string& port = "80")
    {
        auto& t = form.table();
        t.append();
        t.setText(Field::Ip, ip);
        t.setText(Field::Port, port);
        t.post();
    }

    test::TempDir dir_{"controller-test"};
    test::ScopedEnv registryEnv_{"VORIN_REGISTRY_DIR", dir_.path().string()};
    test::FakeView view;
    test::FakeClock clock;
    HoldingDispatcher dispatcher;
    // The built-in test page answers directly, so that runs find their judge.
    test::HttpFixture judgeSite_;
    Endpoints endpoints_ = [this] {
        judgeSite_.serve("/ip2city.asp", test::HttpFixture::Response::with(200, g("您的IP地址")));
        Endpoints e = test::loopbackEndpoints();
        e.set("iplookup", judgeSite_.root());
        return e;
    }();
    Tfrmvrdl form{view, dispatcher, clock, endpoints_};
};

TEST_F(ControllerTest, StartUpShowsTitleProxyHomePageAndHidesTheExtras)
{
    form.frmshowExecute();
    EXPECT_EQ(view.title, g("Vorin智能代理 V5.0"));
    ASSERT_EQ(view.infos.size(), 1u);
    EXPECT_EQ(view.infos[0], g("当前代理为：停用"));
    ASSERT_EQ(view.urls.size(), 1u);
    EXPECT_EQ(view.urls[0], "http://127.0.0.1:9/daili5");
    EXPECT_EQ(view.roundCalls, 1);
    EXPECT_TRUE(view.visible[2]); // the start page is the partner page
    EXPECT_TRUE(view.menuButtonVisible);
    EXPECT_TRUE(view.questions.empty());
    EXPECT_EQ(form.grid().cell(gridview::ColIp, 0), g(" IP地址"));
    EXPECT_FALSE(form.table().isOpen());
    // The window is shown once; a second show runs nothing.
    form.frmshowExecute();
    EXPECT_EQ(view.roundCalls, 1);
}

TEST_F(ControllerTest, StartUpShowsAnEnabledSystemProxy)
{
    auto key = registry::Key::open(registry::Hive::CurrentUser, systemproxy::kInternetSettingsKey);
    key.writeString("ProxyServer", "1.2.3.4:8080");
    key.writeDword("ProxyEnable", 1);
    form.frmshowExecute();
    EXPECT_EQ(view.infos.back(), g("当前代理为：") + "1.2.3.4:8080");

    // Disabled, or enabled by a value of the wrong type, reads as off.
    key.writeDword("ProxyEnable", 0);
    EXPECT_EQ(form.getproxy(), "");
    key.writeString("ProxyEnable", "1");
    EXPECT_EQ(form.getproxy(), "");
}

TEST_F(ControllerTest, SourceOptionsFromTheStore)
{
    struct Case {
        std::optional<std::string> stored;
        const char* marks;
        const char* storedAtClose;
    };
    const Case cases[] = {
        {std::nullopt, "100", "100"},       {std::string(""), "100", "100"},
        {std::string("010"), "010", "010"}, {std::string("1"), "100", "1"},
        {std::string("1x1"), "101", "1x1"}, {std::string("0000"), "100", "0000"},
        {std::string("000"), "000", "000"},
    };
    for (const Case& c : cases) {
        test::FakeView v;
        Tfrmvrdl f(v, dispatcher, clock, test::loopbackEndpoints());
        std::filesystem::remove(registry::hiveFile(registry::Hive::CurrentUser));
        makePartnerAStartPage();
        if (c.stored)
            optionKey().writeString("downoption", *c.stored);
        f.frmshowExecute();
        EXPECT_EQ(v.marks(), c.marks) << c.marks;
        f.FormClose();
        EXPECT_EQ(storedOption(), c.storedAtClose);
    }
}

TEST_F(ControllerTest, AStoredNumberCountsAsMissing)
{
    optionKey().writeDword("downoption", 11);
    EXPECT_EQ(form.readdownoption(), "100");
}

TEST_F(ControllerTest, ClickingAnEntryTogglesItAndRebuildsTheOption)
{
    form.frmshowExecute();
    form.mn01Click(MenuEntry::Mn02);
    EXPECT_EQ(form.downoption, "110");
    EXPECT_EQ(storedOption(), std::nullopt); // stored only at close
    form.mn01Click(MenuEntry::Mn02);
    EXPECT_EQ(form.downoption, "100");
    form.mn01Click(MenuEntry::Mn01);
    EXPECT_EQ(form.downoption, "000");
    form.FormClose();
    EXPECT_EQ(storedOption(), "000");
}

TEST_F(ControllerTest, ADamagedStoreStartsWithDefaultsAndIsKeptAside)
{
    const std::string damaged = test::bytes("\x00\x01garbage\xFF");
    {
        std::ofstream out(registry::hiveFile(registry::Hive::CurrentUser), std::ios::binary);
        out << damaged;
    }
    form.frmshowExecute();
    EXPECT_EQ(view.marks(), "100");
    form.FormClose();
    EXPECT_EQ(storedOption(), "100");
    std::ifstream in(registry::hiveFile(registry::Hive::CurrentUser).string() + ".damaged", std::ios::binary);
    std::ostringstream kept;
    kept << in.rdbuf();
    EXPECT_EQ(kept.str(), damaged);
}

TEST_F(ControllerTest, AnUnwritableStoreDoesNotStopTheClose)
{
    std::ofstream(dir_.path() / "file") << "x";
    setenv("VORIN_REGISTRY_DIR", (dir_.path() / "file" / "sub").c_str(), 1);
    form.frmshowExecute();
    EXPECT_EQ(view.marks(), "100");
    EXPECT_NO_THROW(form.FormClose());
    EXPECT_FALSE(form.writeoption().ok);
    // A choice in the settings dialog holds for the session, and the status line says it was not stored.
    view.judgeAnswer = View::JudgeChoice{};
    form.mnjudgeExecute();
    EXPECT_EQ(view.statuses.back().rfind(g("设置未能保存："), 0), 0u);
}

TEST_F(ControllerTest, StatusTextsProcessPendingMessages)
{
    int ran = 0;
    dispatcher.post([&] { ++ran; });
    form.showinfo("a");
    EXPECT_EQ(ran, 1);
    dispatcher.post([&] { ++ran; });
    form.midshowinfo("b");
    EXPECT_EQ(ran, 2);
    EXPECT_EQ(view.statuses, std::vector<std::string>{"a"});
    EXPECT_EQ(view.infos, std::vector<std::string>{"b"});
}

TEST_F(ControllerTest, DownloadEmptiesTableAndGridButKeepsTheRowCount)
{
    form.frmshowExecute();
    addRow("1.1.1.1");
    addRow("2.2.2.2");
    form.showingrid();
    form.busy = true; // a click during a run is not refused
    form.btndownproxyExecute();
    EXPECT_TRUE(form.autocheck);
    EXPECT_TRUE(form.table().isEmpty());
    EXPECT_EQ(form.grid().rowCount(), 3);
    EXPECT_EQ(form.grid().cell(gridview::ColIp, 1), "");
}

TEST_F(ControllerTest, ButtonsOpenTheirMenusAndDriveTheWindow)
{
    form.btnsoftsetExecute();
    form.btnshowmenuExecute();
    EXPECT_EQ(view.popups, (std::vector<Popup>{Popup::Popsvr, Popup::Popset}));
    form.frmminsizeExecute();
    form.frmcloseExecute();
    EXPECT_EQ(view.minimizeCalls, 1);
    EXPECT_EQ(view.closeCalls, 1);
}

TEST_F(ControllerTest, ListingCleansUpShowsTheCountAndWaitsBeforeValidating)
{
    form.frmshowExecute();
    view.statuses.clear();
    // An empty harvest lists nothing; it says the download is over.
    form.busy = true;
    form.listtable();
    EXPECT_TRUE(form.busy);
    EXPECT_EQ(view.statuses, std::vector<std::string>{g("下载结束，没有得到代理")});
    view.statuses.clear();

    // Loopback addresses on a closed port: the validation that follows fails them all at once.
    addRow("127.0.0.2", "9");
    addRow("127.0.0.1", "9");
    addRow("127.0.0.1", "8080");
    form.listtable();
    EXPECT_FALSE(form.busy);
    EXPECT_EQ(view.statuses.back(), g("共有2个代理"));
    EXPECT_EQ(form.grid().rowCount(), 3);
    EXPECT_EQ(form.grid().cell(gridview::ColPort, 1), "9");
    EXPECT_TRUE(clock.sleeps.empty()); // without autocheck no validation follows

    form.autocheck = true;
    form.busy = true;
    // The refusals come back at once; held, they cannot end the run before the checks below.
    dispatcher.hold = true;
    form.listtable();
    dispatcher.hold = false;
    ASSERT_GE(clock.sleeps.size(), 3u);
    EXPECT_EQ(clock.sleeps[0], 1200u);
    EXPECT_EQ(clock.sleeps[1], 120u); // the validation run's pauses between starts
    EXPECT_TRUE(form.busy);
    EXPECT_EQ(std::count(view.statuses.begin(), view.statuses.end(), g("正在验证，请稍候...")), 1);
}

// A long listing lets the window run: an import waits for its end, and a harvest started meanwhile takes
// the table (the listing then shows nothing of its own).
TEST_F(ControllerTest, ALongListingLetsTheWindowRunAndGivesWayToAHarvest)
{
    form.frmshowExecute();
    const std::string path = (dir_.path() / "one.txt").string();
    std::ofstream(path, std::ios::binary) << "127.0.0.1:80\r\n";
    view.openAnswer = path;
    for (bool harvestMeanwhile : {false, true}) {
        for (int i = 0; i < 200000; ++i)
            addRow("127.0." + std::to_string(i / 256 % 256) + "." + std::to_string(i % 256),
                   std::to_string(i));
        view.statuses.clear();
        form.busy = true;
        bool ranMeanwhile = false;
        dispatcher.post([&] {
            ranMeanwhile = true;
            if (harvestMeanwhile)
                form.actdownExecute();
            else
                form.mnimportExecute();
        });
        form.listtable();
        EXPECT_TRUE(ranMeanwhile);
        EXPECT_EQ(view.statuses.front(), g("正在整理代理列表……"));
        EXPECT_EQ(form.table().rowCount(), harvestMeanwhile ? 0u : 65536u);
        EXPECT_EQ(std::count(view.statuses.begin(), view.statuses.end(), g("共有65536个代理")),
                  harvestMeanwhile ? 0 : 1);
    }
}

// The proxy that stays alive: a proxy that fails twice in a row is replaced by the fastest valid row that
// has not failed (never a row the validation failed), and with none left the system proxy is stopped.
TEST_F(ControllerTest, TheGuardReplacesADeadProxyWithTheNextFastestAndStopsWhenNoneIsLeft)
{
    form.frmshowExecute();
    auto fake = [](const std::string& host) {
        auto f = std::make_unique<test::HttpFixture>(host, 8080);
        f->serve("/ip2city.asp", test::HttpFixture::Response::with(200, g("您的IP地址") + "127.0.0.1"));
        return f;
    };
    const std::string a = "127.0.93.1", b = "127.0.93.2", c = "127.0.93.3", failed = "127.0.93.4";
    auto proxyA = fake(a), proxyB = fake(b), proxyC = fake(c), proxyFailed = fake(failed);
    for (auto [ip, speed] : {std::pair{a, 10}, {b, 300}, {c, 200}, {failed, 1}}) {
        auto& t = form.table();
        t.append();
        t.setText(Field::Ip, ip);
        t.setText(Field::Port, "8080");
        t.setBoolean(Field::Valid, true);
        t.setInteger(Field::Speed, speed);
        t.post();
        if (ip == failed)
            t.setMark(*t.bookmark(), CheckMark::Failed);
    }
    form.startproxy(a + ":8080");
    form.guard().on = true;
    form.guardtick(); // watches the new proxy; its first check comes an interval later
    dispatcher.onProcess = [&] { form.guardtick(); }; // the window's timer ticks it all the time
    auto interval = [&] {
        clock.ticks += 60000;
        form.guardtick();
        EXPECT_TRUE(form.guard().checking());
        while (form.guard().checking())
            dispatcher.waitMessages(std::chrono::milliseconds(20));
        return systemproxy::read();
    };
    EXPECT_EQ(interval(), a + ":8080"); // alive
    proxyA.reset();
    EXPECT_EQ(interval(), a + ":8080"); // one failure is not enough
    EXPECT_EQ(interval(), c + ":8080");
    EXPECT_EQ(view.statuses.back(),
              g("守护代理：") + a + ":8080" + g(" 两次检查失败，已换为 ") + c + ":8080");
    proxyC.reset();
    proxyB.reset();
    interval();
    EXPECT_EQ(interval(), b + ":8080");
    interval();
    EXPECT_EQ(interval(), "");
    EXPECT_EQ(view.statuses.back(),
              g("守护代理：") + b + ":8080" + g(" 两次检查失败，无其他有效代理，已停用"));
    clock.ticks += 60000;
    form.guardtick();
    EXPECT_FALSE(form.guard().checking()); // no proxy, nothing to check
    dispatcher.onProcess = nullptr;
}

// With the relay chosen and fewer upstreams working than its floor, the timer refills them: the user's
// sources are harvested and validated in the table, and the relay then carries what passed and what still
// worked; a refill that finds nothing new makes the next wait a minute.
TEST_F(ControllerTest, TheRelaysUpstreamsRefillFromTheSourcesWhenTooFewWork)
{
    form.frmshowExecute();
    // Real proxies all: the program's own fetches (the harvest) go through the relay, and so through them.
    test::FakeProxy kept(test::FakeProxy::Kind::Http, "127.0.94.1"),
        found(test::FakeProxy::Kind::Http, "127.0.94.2");
    const ProxyEntry keptEntry{HostPort::parse(kept.hostPort()), "", ""};
    test::HttpFixture lists("127.0.94.9");
    lists.serve("/list.txt", found.hostPort() + "\n");
    test::writeFile(form.sourcesfile, lists.root() + "/list.txt\n");
    view.checked = {};
    view.checked[3] = true; // the user's sources alone
    form.userelay = true;
    form.relayport = 0;
    form.startrelayproxy(keptEntry);
    ASSERT_TRUE(form.localrelay().running());
    const auto refill = [&](const std::string& said) {
        clock.ticks += 60001;
        for (int i = 0; i < 100 && form.localrelay().healthy() < form.localrelay().upstreams(); ++i)
            dispatcher.waitMessages(std::chrono::milliseconds(20));
        form.guardtick();
        for (int i = 0; i < 1000 && view.statuses.back() != said; ++i) {
            dispatcher.waitMessages(std::chrono::milliseconds(20));
            form.guardtick();
        }
        return view.statuses.back() == said;
    };
    EXPECT_TRUE(refill(g("本地中转：补充后上游代理共 2 个")));
    EXPECT_NE(std::find(view.statuses.begin(), view.statuses.end(),
                        g("本地中转：可用的上游代理只剩 1 个，正在从来源补充……")),
              view.statuses.end());
    EXPECT_EQ(form.localrelay().upstreams(), 2u);
    EXPECT_EQ(form.localrelay().working().back(), keptEntry);
    // Nothing new: the next refill waits a minute (after one that found more, 5 s were enough).
    EXPECT_TRUE(refill(g("本地中转：补充后上游代理共 2 个")));
    const std::size_t said = view.statuses.size();
    clock.ticks += 30000;
    form.guardtick();
    EXPECT_EQ(view.statuses.size(), said);
    clock.ticks += 30001;
    form.guardtick();
    ASSERT_GT(view.statuses.size(), said);
    EXPECT_EQ(view.statuses[said], g("本地中转：可用的上游代理只剩 2 个，正在从来源补充……"));
    form.stopproxy();
}

TEST_F(ControllerTest, SortAndDeleteFromTheListTools)
{
    form.frmshowExecute();
    view.statuses.clear();
    form.sorttable(fieldName(Field::Ip)); // empty: no redraw, no status
    EXPECT_TRUE(view.statuses.empty());

    addRow("3.3.3.3");
    addRow("1.1.1.1");
    addRow("2.2.2.2");
    form.table().first();
    form.table().edit();
    form.table().setText(Field::Location, g("北京"));
    form.table().post();
    form.mnsortExecute(1);
    EXPECT_EQ(form.grid().cell(gridview::ColIp, 3), "3.3.3.3"); // the one with a location last
    EXPECT_EQ(view.statuses.back(), g("共有3个代理"));
    form.mnsortExecute(7);
    EXPECT_EQ(form.table().sortField(), Field::Location);
    form.mnsortExecute(2);
    EXPECT_EQ(form.table().sortField(), Field::Speed);

    form.grid().setSelectedRow(2);
    std::string second = form.grid().cell(gridview::ColIp, 2);
    form.mndellistExecute();
    EXPECT_EQ(form.table().rowCount(), 2u);
    EXPECT_EQ(form.grid().rowCount(), 3);
    EXPECT_NE(form.grid().cell(gridview::ColIp, 1), second);
    EXPECT_NE(form.grid().cell(gridview::ColIp, 2), second);
    EXPECT_EQ(view.statuses.back(), g("共有2个代理"));

    // With only the title row selected nothing is deleted.
    form.grid().setSelectedRow(0);
    form.mndellistExecute();
    EXPECT_EQ(form.table().rowCount(), 2u);
}

// A long list is read in turns that let the window run: the check button and a second import do nothing
// meanwhile, and a harvest started meanwhile takes the table.
TEST_F(ControllerTest, ALongImportLetsTheWindowRunAndGivesWayToAHarvest)
{
    form.frmshowExecute();
    std::string list;
    for (int i = 0; i < 5000; ++i)
        list += "127.0." + std::to_string(i / 256) + "." + std::to_string(i % 256) + ":80\r\n";
    const std::string path = (dir_.path() / "long.txt").string();
    std::ofstream(path, std::ios::binary) << list;
    view.openAnswer = path;
    clock.step = 60; // a turn's time has gone at every look at the clock

    std::size_t rowsMidway = 0;
    dispatcher.post([&] {
        rowsMidway = form.table().rowCount();
        form.btncheckproxyExecute();
        form.mnimportExecute();
    });
    form.mnimportExecute();
    EXPECT_EQ(rowsMidway, 1024u);
    EXPECT_EQ(form.run(), nullptr);
    EXPECT_EQ(form.table().rowCount(), 5000u); // not read twice over
    EXPECT_NE(std::find(view.statuses.begin(), view.statuses.end(), g("正在导入代理：已读入 4096 个")),
              view.statuses.end());
    EXPECT_EQ(view.statuses.back(), g("共有5000个代理"));
    EXPECT_FALSE(form.importing());

    dispatcher.post([&] { form.actdownExecute(); });
    view.statuses.clear();
    form.mnimportExecute();
    EXPECT_FALSE(form.importing());
    EXPECT_EQ(form.table().rowCount(), 0u);
    EXPECT_EQ(std::count(view.statuses.begin(), view.statuses.end(), g("共有5000个代理")), 0);
    EXPECT_EQ(std::count(view.statuses.begin(), view.statuses.end(), g("共有1024个代理")), 0);
}

TEST_F(ControllerTest, TheUsersSourcesEntryIsStoredApartAndItsEditorSavesTheFile)
{
    form.frmshowExecute();
    EXPECT_TRUE(view.checked[3]); // ticked in a fresh store: the built-in sites are gone
    form.mn01Click(MenuEntry::Mn04);
    EXPECT_EQ(form.downoption, "100"); // the option string keeps its three characters
    form.FormClose();
    EXPECT_EQ(storedOption(), "100");
    EXPECT_EQ(optionKey().readDword("customsources"), 0u);

    // The editor opens the file (made from the default on first use) and saves what the user wrote.
    const std::filesystem::path file = form.sourcesfile;
    EXPECT_EQ(std::filesystem::path(file).filename(), "sources.txt");
    view.editAnswer = "http://127.0.0.1:9/a.txt socks5\nnot a url\n";
    form.mneditsourcesExecute();
    ASSERT_EQ(view.edited.size(), 1u);
    EXPECT_EQ(view.edited[0],
              g("自定义来源") + "|" + test::loopbackEndpoints().localized(defaultSourcesText()));
    EXPECT_EQ(test::readFile(file), *view.editAnswer);
    EXPECT_EQ(view.statuses.back().rfind(g("自定义来源文件有误："), 0), 0u); // the second line is said
    view.editAnswer = "http://127.0.0.1:9/a.txt socks5\n";
    form.mneditsourcesExecute();
    EXPECT_EQ(view.statuses.back(), g("自定义来源已保存，共有来源 1 个"));

    test::FakeView again;
    Tfrmvrdl next(again, dispatcher, clock, test::loopbackEndpoints());
    next.frmshowExecute();
    EXPECT_FALSE(again.checked[3]);
}

TEST_F(ControllerTest, TheJudgeChosenInItsDialogIsStoredAndReadAtTheNextStart)
{
    form.frmshowExecute();
    const std::string builtinUrl = form.judge.url;
    EXPECT_EQ(form.judge.rule, Judge::Rule::Marker);
    EXPECT_TRUE(form.judgeauto); // a fresh store checks with the judges list

    struct Case {
        View::JudgeChoice chosen;
        Judge::Rule rule;
        bool usable;
    };
    const Case cases[] = {
        {{false, "http://127.0.0.1:9/azenv.php", "", 120, bit(Protocol::Http) | bit(Protocol::Socks5),
          "/tmp/c.mmdb", 500, true, 30},
         Judge::Rule::Echo,
         true},
        // The guard's interval is kept from 5 s to a day.
        {{false, "http://127.0.0.1:9/alive", "活着", 64, bit(Protocol::Https), "", 0, true, 1},
         Judge::Rule::Marker,
         true},
        // Refused: the earlier judge stays.
        {{false, "file:///etc/passwd", "", 120, bit(Protocol::Socks4), "", 7}, Judge::Rule::Marker, false},
        // Back to the built-in page; more checks in flight than any machine holds are cut.
        {{false, "", "", 120, bit(Protocol::Http), "", 1 << 30}, Judge::Rule::Marker, true},
        // Back to the judges list: the page typed meanwhile is kept for when one page is chosen again.
        {{true, "http://127.0.0.1:9/alive", "活着", 64, bit(Protocol::Http), "", 0},
         Judge::Rule::Marker,
         true},
    };
    for (const Case& c : cases) {
        const Judge before = form.judge;
        view.messages.clear();
        view.judgeAnswer = c.chosen;
        form.mnjudgeExecute();
        if (!c.usable) {
            EXPECT_EQ(view.messages.size(), 1u) << c.chosen.url;
            EXPECT_EQ(form.judge.url, before.url);
            continue;
        }
        EXPECT_TRUE(view.messages.empty()) << c.chosen.url;
        EXPECT_EQ(form.judge.rule, c.rule) << c.chosen.url;
        EXPECT_EQ(form.judge.url, c.chosen.url.empty() ? builtinUrl : c.chosen.url);
        // A window started afterwards checks against the same judge.
        test::FakeView again;
        Tfrmvrdl next(again, dispatcher, clock, endpoints_);
        next.frmshowExecute();
        EXPECT_EQ(next.judgeauto, c.chosen.pool);
        EXPECT_EQ(next.judge.url, form.judge.url);
        EXPECT_EQ(next.judge.rule, form.judge.rule);
        EXPECT_EQ(next.judge.marker, form.judge.marker);
        EXPECT_EQ(next.judge.markerBytes, form.judge.markerBytes);
        EXPECT_EQ(next.checkprotocols, c.chosen.protocols);
        EXPECT_EQ(next.geoipfile, c.chosen.geoipFile);
        // Checks in flight: 0 is the 120 ms pause, N > 0 starts back to back with at most N out.
        const int fast = std::min(c.chosen.fastChecks, 65536);
        EXPECT_EQ(next.fastchecks(), fast);
        EXPECT_EQ(next.checkpause, fast > 0 ? 0 : 120);
        EXPECT_EQ(next.checkparallel, fast);
        EXPECT_EQ(next.guard().on, c.chosen.guard);
        EXPECT_EQ(next.guard().intervalSeconds, std::max(c.chosen.guardSeconds, 5));
    }
    EXPECT_EQ(view.judgeShown.back().url, ""); // the dialog opens on the current one
}

} // namespace
} // namespace vorin
