// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The validation run among the window's other handlers: downloads, imports and the list tools while it is
// under way, the marks it leaves, and what a check refuses to fetch.
#include "platform/texts.h"
#include "support/fakeproxy.h"
#include "support/rig.h"
#include "support/tinyproxy.h"
#include "support/tlsjudge.h"
#include "table/gridview.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vorin {
namespace {

using namespace std::chrono_literals;
using gridview::ColMark;
using gridview::ColSpeed;
using test::ControllerRig;

bool said(const std::vector<std::string>& statuses, const std::string& text)
{
    return std::find(statuses.begin(), statuses.end(), text) != statuses.end();
}

TEST(Runs, ADownloadOrAnImportEndsTheRunUnderWayQuietly)
{
    enum class Action {
        DownloadOnly,
        DownloadAndValidate,
        Import,
    };
    for (Action action : {Action::DownloadOnly, Action::DownloadAndValidate, Action::Import}) {
        SCOPED_TRACE(static_cast<int>(action));
        ControllerRig rig;
        auto& slow = rig.proxy(11, ControllerRig::valid(400));
        rig.addRow(slow.hostPort());
        rig.addRow(slow.hostPort());
        rig.form->checkpause = 0; // both checks out at once
        rig.form->btncheckproxyExecute();
        ASSERT_FALSE(rig.form->checkdone());
        rig.view.statuses.clear();
        rig.view.checked = {false, false, false}; // the download starts no source; the test hands rows over
        switch (action) {
        case Action::DownloadOnly:
            rig.form->actdownExecute();
            break;
        case Action::DownloadAndValidate:
            rig.form->btndownproxyExecute();
            break;
        case Action::Import:
            rig.form->importbytes("127.0.0.12:9\r\n127.0.0.13:9\r\n");
            break;
        }
        if (action != Action::Import) {
            rig.form->addrecord({"127.0.0.12", "9", {}, {}, {}});
            rig.form->addrecord({"127.0.0.13", "9", {}, {}, {}});
        }
        // The time the old run's answers would take to arrive (400 ms): they must change nothing.
        EXPECT_FALSE(rig.pumpUntil([] { return false; }, 700ms));
        EXPECT_EQ(rig.addresses(), (std::vector<std::string>{"127.0.0.12", "127.0.0.13"}));
        rig.form->showingrid();
        EXPECT_EQ(rig.cell(ColMark, 1), "");
        EXPECT_EQ(rig.cell(ColMark, 2), "");
        EXPECT_FALSE(said(rig.view.statuses, texts().checkEnded));
        EXPECT_FALSE(rig.form->busy);
        EXPECT_EQ(rig.form->autocheck, action == Action::DownloadAndValidate);
        // The listing of the new harvest validates it when its button asked for that.
        if (action != Action::Import) {
            rig.form->listtable();
            EXPECT_EQ(said(rig.view.statuses, texts().checkStarting), action == Action::DownloadAndValidate);
        }
    }
}

TEST(Runs, ImportedRowsShowNoMarksOfAnEarlierRun)
{
    ControllerRig rig;
    rig.addRow(rig.proxy(21, ControllerRig::valid()).hostPort());
    ASSERT_TRUE(rig.runToEnd());
    ASSERT_EQ(rig.cell(ColMark, 1), test::g("√"));
    rig.form->importbytes("127.0.0.22:80\r\n127.0.0.23:80\r\n");
    rig.form->showingrid();
    for (int row : {1, 2}) {
        EXPECT_EQ(rig.cell(ColMark, row), "") << row;
        EXPECT_EQ(rig.cell(ColSpeed, row), "") << row;
    }
}

TEST(Runs, MarksStayWithTheirProxiesThroughASortAndADeleteDuringARun)
{
    ControllerRig rig;
    auto& slow = rig.proxy(31, ControllerRig::valid(600));
    auto& fast = rig.proxy(33, ControllerRig::valid());
    const std::string refused = "127.0.0.32:9";
    for (const auto& [hostPort, location] :
         {std::pair{slow.hostPort(), "c"}, std::pair{refused, "b"}, std::pair{fast.hostPort(), "a"}}) {
        rig.addRow(hostPort);
        rig.form->table().edit();
        rig.form->table().setText(Field::Location, location);
        rig.form->table().post();
    }
    rig.form->showingrid();
    rig.form->checkpause = 0;
    rig.form->btncheckproxyExecute();
    ASSERT_TRUE(rig.pumpUntil([&] { return rig.form->run()->progress().completed == 2; }));

    rig.form->mnsortExecute(1); // by location: fast, refused, slow
    EXPECT_EQ(rig.cell(gridview::ColIp, 1), "127.0.0.33");
    EXPECT_EQ(rig.cell(ColMark, 1), test::g("√"));
    EXPECT_EQ(rig.cell(ColMark, 2), test::g("⊙"));
    EXPECT_EQ(rig.cell(ColMark, 3), ""); // still out

    rig.form->grid().setSelectedRow(1);
    rig.form->mndellistExecute(); // the fast one goes: refused, slow
    rig.form->grid().setSelectedRow(1);
    rig.form->btnsetproxyExecute();
    EXPECT_EQ(rig.view.messages, std::vector<std::string>{texts().invalidProxy});
    rig.form->grid().setSelectedRow(2);
    rig.form->btnsetproxyExecute(); // not checked yet, so accepted
    EXPECT_EQ(rig.form->getproxy(), slow.hostPort());

    ASSERT_TRUE(rig.pumpUntil([&] { return rig.form->checkdone(); }));
    EXPECT_EQ(rig.addresses(), std::vector<std::string>{"127.0.0.31"});
    EXPECT_EQ(rig.cell(ColMark, 1), test::g("√"));
}

TEST(Runs, ARowDeletedBetweenItsProtocolsCountsOffOnlyTheChecksNeverStarted)
{
    ControllerRig rig;
    // The slow row is deleted once its http check has reached the proxy, while its https check waits for
    // a place (one check in flight at a time).
    auto deleting = ControllerRig::valid(300);
    deleting.echo = [&rig, page = deleting.body](const std::string&) {
        rig.dispatcher.post([&rig] {
            rig.form->grid().setSelectedRow(1);
            rig.form->mndellistExecute();
        });
        return page;
    };
    auto& slow = rig.proxy(35, deleting);
    auto& fast = rig.proxy(36, ControllerRig::valid());
    rig.addRow(slow.hostPort());
    rig.addRow(fast.hostPort());
    rig.form->showingrid();
    rig.form->checkpause = 0;
    rig.form->checkparallel = 1;
    rig.form->checkprotocols = bit(Protocol::Http) | bit(Protocol::Https);
    rig.form->btncheckproxyExecute();
    // The check still out counts itself off when it completes; the one never started is dropped, so the
    // run ends once the fast row's two checks (the fixture opens no tunnel) are done.
    ASSERT_TRUE(rig.pumpUntil([&] { return rig.form->checkdone(); }));
    ASSERT_EQ(rig.addresses(), std::vector<std::string>{"127.0.0.36"});
    EXPECT_EQ(rig.form->table().at(1)->facts().passed, bit(Protocol::Http));
    EXPECT_EQ(rig.form->run()->progress().completed, 3);
}

// Proxies in a process of their own (their descriptors are not the run's): count of them on 127.0.0.61 and
// on, each answering every request with the test page; the ports they listen on, in order.
class ProxiesElsewhere {
public:
    explicit ProxiesElsewhere(int count)
    {
        const std::string script =
            "import asyncio,sys\n"
            "page=b'HTTP/1.0 200 OK\\r\\n\\r\\n'+'\u60a8\u7684IP\u5730\u5740 127.0.0.1'.encode('gbk')\n"
            "async def serve(r,w):\n"
            " try:\n  await r.readuntil(b'\\r\\n\\r\\n'); w.write(page); await w.drain()\n"
            " except Exception: pass\n"
            " w.close()\n"
            "async def main():\n"
            " s=[await asyncio.start_server(serve,'127.0.0.%d'%(61+i),0,backlog=512) for i in range(" +
            std::to_string(count) +
            ")]\n"
            " print(' '.join(str(x.sockets[0].getsockname()[1]) for x in s),flush=True)\n"
            " await asyncio.get_running_loop().run_in_executor(None,sys.stdin.read)\n"
            "asyncio.run(main())\n";
        int in[2], out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], 0);
            ::dup2(out[1], 1);
            ::close(in[1]); // or the script's input would never end
            ::close(out[0]);
            ::execlp("python3", "python3", "-c", script.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        stdin_ = in[1];
        FILE* ports = ::fdopen(out[0], "r");
        for (int i = 0, port = 0; i < count && std::fscanf(ports, "%d", &port) == 1; ++i)
            ports_.push_back(port);
        std::fclose(ports);
    }
    ~ProxiesElsewhere()
    {
        ::close(stdin_); // the script ends when its input does
        ::waitpid(pid_, nullptr, 0);
    }
    const std::vector<int>& ports() const { return ports_; }

private:
    pid_t pid_ = -1;
    int stdin_ = -1;
    std::vector<int> ports_;
};

TEST(Runs, AFastRunShortOfDescriptorsRetriesWhatTheMachineCouldNotCheckAndGivesThePacedVerdicts)
{
#if defined(__SANITIZE_ADDRESS__)
    // UndefinedBehaviorSanitizer probes memory through a pipe of its own; with every descriptor taken it
    // reports a sound object as a bad one. The plain and ThreadSanitizer builds run this test.
    GTEST_SKIP() << "the sanitizers need descriptors this test takes away";
#endif
    ProxiesElsewhere proxies(4);
    ASSERT_EQ(proxies.ports().size(), 4u);
    ControllerRig rig;
    // 150 rows: two of three through a working proxy, every third at a port where nothing listens.
    for (int i = 0; i < 150; ++i) {
        const std::string row = i % 3 == 2
                                    ? "127.0.0.7" + std::to_string(i % 4) + ":1"
                                    : "127.0.0.6" + std::to_string(1 + i % 4) + ":" +
                                          std::to_string(proxies.ports()[static_cast<std::size_t>(i % 4)]);
        rig.addRow(row);
    }
    // A descriptor limit of 256, of which all but 12 are taken by something else: the run starts with
    // more checks than the machine can hold.
    rlimit limit{256, 256};
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
    std::vector<int> taken;
    for (int fd; (fd = ::open("/dev/null", O_RDONLY)) >= 0;)
        taken.push_back(fd);
    for (int i = 0; i < 12 && !taken.empty(); ++i) {
        ::close(taken.back());
        taken.pop_back();
    }
    rig.form->setfastchecks(100);
    const bool ended = rig.runToEnd(20s);
    for (int fd : taken)
        ::close(fd);
    ASSERT_TRUE(ended);
    EXPECT_GT(rig.form->run()->progress().retried, 0);
    EXPECT_LT(rig.form->run()->limit(), 100);
    const std::vector<std::string> kept = rig.addresses();
    EXPECT_EQ(kept.size(), 100u) << "every row of a working proxy stays, and only those";
    for (const std::string& a : kept)
        EXPECT_EQ(a.rfind("127.0.0.6", 0), 0u) << a;
}

TEST(Runs, DownloadOnlyNeverValidatesAfterAnEarlierDownloadAndValidate)
{
    ControllerRig rig;
    rig.view.checked = {false, false, false};
    rig.form->btndownproxyExecute(); // finds nothing, so its listing never comes
    rig.form->actdownExecute();      // the right click
    rig.form->addrecord({"127.0.0.41", "9", {}, {}, {}});
    rig.form->listtable();
    EXPECT_FALSE(rig.form->autocheck);
    EXPECT_EQ(rig.form->run(), nullptr);
    EXPECT_FALSE(said(rig.view.statuses, texts().checkStarting));
}

TEST(Runs, TextThatNamesNoProxyIsJudgedInvalidWithoutAFetch)
{
    // What a plain-text source makes of "http://host:port" and "socks5://host:port" lines: the scheme in
    // the address, the rest in the port. Read as a proxy URL either would steer the check.
    ControllerRig rig;
    auto& site = rig.proxy(51, ControllerRig::valid());
    const std::string rest = "//" + site.hostPort();
    for (const char* scheme : {"http", "socks5", "https"}) {
        rig.form->table().append();
        rig.form->table().setText(Field::Ip, scheme);
        rig.form->table().setText(Field::Port, rest);
        rig.form->table().post();
    }
    ASSERT_TRUE(rig.runToEnd());
    EXPECT_EQ(rig.form->run()->progress().completed, 3);
    EXPECT_TRUE(rig.form->table().isEmpty());
    EXPECT_TRUE(site.requests().empty());
}

// The query of a request target ("vorin=..."), as a judge sees it.
std::string queryOf(const std::string& target)
{
    const auto q = target.find('?');
    return q == std::string::npos ? std::string() : target.substr(q + 1);
}

TEST(Runs, AnEchoJudgePassesOnlyProxiesThatEchoTheirFreshToken)
{
    ControllerRig rig;
    using Response = test::HttpFixture::Response;
    auto echoing = [](bool httpbin) {
        Response r;
        r.echo = [httpbin](const std::string& target) {
            const std::string query = queryOf(target);
            const std::string token = query.substr(query.find('=') + 1);
            return httpbin
                       ? R"({"args": {"vorin": ")" + token + R"("}, "headers": {}, "origin": "127.0.0.1"})"
                       : "REMOTE_ADDR = 127.0.0.1\nQUERY_STRING = " + query + "\n";
        };
        return r;
    };
    const struct {
        Response answer;
        bool valid;
    } proxies[] = {
        {echoing(false), true},
        {echoing(true), true},
        // A copy of an earlier answer, and a page that looks right without echoing anything.
        {Response::with(200, "REMOTE_ADDR = 127.0.0.1\nQUERY_STRING = vorin=0123456789abcdef\n"), false},
        {Response::with(200, test::g("您的IP地址")), false},
        {[&] {
             Response r = echoing(false);
             r.status = 403;
             return r;
         }(),
         false},
    };
    std::vector<test::HttpFixture*> fakes;
    for (std::size_t i = 0; i < std::size(proxies); ++i) {
        fakes.push_back(&rig.proxy(61 + static_cast<int>(i), {}));
        fakes.back()->serve("/azenv.php", proxies[i].answer);
        rig.addRow(fakes.back()->hostPort());
    }
    // The judge itself echoes as a judge should: it answers the run's direct ask.
    rig.judgeSite->serve("/azenv.php", echoing(false));
    const std::string judgeUrl = rig.judgeSite->root() + "/azenv.php";
    rig.form->judge = {Judge::Rule::Echo, judgeUrl, {}, 120};
    rig.form->judgeauto = false;
    rig.form->checkpause = 0;
    ASSERT_TRUE(rig.runToEnd());
    std::vector<std::string> kept = rig.addresses();
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, (std::vector<std::string>{"127.0.0.61", "127.0.0.62"}));
    // Every check sent a token of its own.
    std::set<std::string> tokens;
    for (auto* fake : fakes) {
        ASSERT_EQ(fake->requests().size(), 1u);
        EXPECT_EQ(fake->requests()[0].rfind(judgeUrl + "?vorin=", 0), 0u);
        tokens.insert(queryOf(fake->requests()[0]));
    }
    EXPECT_EQ(tokens.size(), fakes.size());
}

TEST(Runs, AMarkerJudgeOfTheUsersLooksWithinItsBytes)
{
    ControllerRig rig;
    // "ALIVE" ends at byte 10, at 11, or comes with a status other than 200.
    const std::pair<const char*, int> pages[] = {{"12345ALIVE", 200}, {"123456ALIVE", 200}, {"ALIVE", 500}};
    for (std::size_t i = 0; i < std::size(pages); ++i) {
        auto& fake = rig.proxy(71 + static_cast<int>(i), {});
        fake.serve("/alive", test::HttpFixture::Response::with(pages[i].second, pages[i].first));
        rig.addRow(fake.hostPort());
    }
    rig.judgeSite->serve("/alive", "12345ALIVE");
    rig.form->judge = {Judge::Rule::Marker, rig.judgeSite->root() + "/alive", "ALIVE", 10};
    rig.form->judgeauto = false;
    ASSERT_TRUE(rig.runToEnd());
    EXPECT_EQ(rig.addresses(), std::vector<std::string>{"127.0.0.71"});
}

TEST(Runs, ASiteConfigurationThatCannotBeUsedIsSaidAtStartUp)
{
    test::TempDir dir("bad-sites");
    const auto file = dir.path() / "sites.conf";
    const struct {
        const char* content; // nullptr: the file is a folder
        const char* named;
    } cases[] = {
        {"softsite=http://127.0.0.1:9\nsoftsite http://127.0.0.1:9\n", "2"},
        {"softsite=http://127.0.0.1:9\nsoftsight=http://127.0.0.1:9\n", "softsight"},
        {nullptr, "sites.conf"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(file);
        if (c.content)
            test::writeFile(file, c.content);
        else
            std::filesystem::create_directory(file);
        test::ScopedEnv sites{"VORIN_ENDPOINTS", file.string()};
        Endpoints e = Endpoints::fromEnvironment();
        EXPECT_NE(e.loadError().find(c.named), std::string::npos) << e.loadError();
        EXPECT_EQ(e.root("softsite"), Endpoints::defaults().root("softsite")); // none of the file is used

        test::FakeView view;
        test::FakeClock clock;
        Dispatcher dispatcher;
        test::TempDir registry("bad-sites-registry");
        test::ScopedEnv registryEnv{"VORIN_REGISTRY_DIR", registry.path().string()};
        // The window is built with the loopback sites, as a test must; only the error is the file's.
        Endpoints shown = test::loopbackEndpoints();
        shown.setLoadError(e.loadError());
        Tfrmvrdl form(view, dispatcher, clock, shown);
        form.frmshowExecute();
        ASSERT_FALSE(view.statuses.empty());
        EXPECT_EQ(view.statuses.back().rfind(texts().endpointsError, 0), 0u);
    }
}

// Every kind of proxy against both shapes of echo judge: what passes, in which protocols, how anonymous,
// and from which exit address. Bare entries are checked in http and https (a CONNECT tunnel); entries
// written with a scheme only in their own.
TEST(Runs, EchoJudgesTellProtocolsAnonymityAndExitOfEveryKindOfProxy)
{
    using Kind = test::FakeProxy::Kind;
    using A = Anonymity;
    struct Case {
        const char* what;
        test::FakeProxy::Options proxy;
        std::string entry;  // {} is the proxy's host:port
        ProtocolSet passed; // 0: invalid
        Anonymity anonymity;
        const char* exit;
    };
    const ProtocolSet both = bit(Protocol::Http) | bit(Protocol::Https);
    auto opts = [](Kind kind, std::string from, std::string headers = {}, bool get = true,
                   bool connect = true, std::string cached = {}, std::string credentials = {}) {
        return test::FakeProxy::Options{kind, from, headers, get, connect, cached, credentials, {}};
    };
    const Case cases[] = {
        {"transparent", opts(Kind::Http, "127.0.0.4", "X-Forwarded-For: {client}\r\n"), "{}", both,
         A::Transparent, "127.0.0.4"},
        {"anonymous", opts(Kind::Http, "127.0.0.3", "Via: 1.1 fake\r\n"), "{}", both, A::Anonymous,
         "127.0.0.3"},
        // 127.0.0.1, the program's own address, is no part of 127.0.0.150.
        {"elite", opts(Kind::Http, "127.0.0.150"), "{}", both, A::Elite, "127.0.0.150"},
        {"stored copy",
         opts(Kind::Http, "127.0.0.8", "", true, false,
              "REMOTE_ADDR = 127.0.0.8\nQUERY_STRING = vorin=0123\n"),
         "{}", 0, A::Unknown, ""},
        {"CONNECT only", opts(Kind::Http, "127.0.0.7", "", false, true), "{}", bit(Protocol::Https), A::Elite,
         "127.0.0.7"},
        {"socks4", opts(Kind::Socks4, "127.0.0.5"), "socks4://{}", bit(Protocol::Socks4), A::Elite,
         "127.0.0.5"},
        {"socks5", opts(Kind::Socks5, "127.0.0.6"), "socks5://{}", bit(Protocol::Socks5), A::Elite,
         "127.0.0.6"},
        {"socks5 named http", opts(Kind::Socks5, "127.0.0.6"), "http://{}", 0, A::Unknown, ""},
        {"http with credentials", opts(Kind::Http, "127.0.0.9", "", true, true, "", "u:p:w"),
         "http://u:p:w@{}", bit(Protocol::Http), A::Elite, "127.0.0.9"},
        {"http without", opts(Kind::Http, "127.0.0.9", "", true, true, "", "u:pw"), "{}", 0, A::Unknown, ""},
        {"https with credentials", opts(Kind::Http, "127.0.0.10", "", false, true, "", "u:pw"),
         "https://u:pw@{}", bit(Protocol::Https), A::Elite, "127.0.0.10"},
        {"socks4 with user id", opts(Kind::Socks4, "127.0.0.11", "", true, true, "", "u"), "socks4://u@{}",
         bit(Protocol::Socks4), A::Elite, "127.0.0.11"},
        {"socks5 with credentials", opts(Kind::Socks5, "127.0.0.12", "", true, true, "", "u:pw"),
         "socks5://u:pw@{}", bit(Protocol::Socks5), A::Elite, "127.0.0.12"},
        {"socks5 without", opts(Kind::Socks5, "127.0.0.12", "", true, true, "", "u:pw"), "socks5://{}", 0,
         A::Unknown, ""},
        {"socks5 wrong password", opts(Kind::Socks5, "127.0.0.12", "", true, true, "", "u:pw"),
         "socks5://u:no@{}", 0, A::Unknown, ""},
        // A URL's credentials are percent-decoded once, where the list is read, and then reach the proxy
        // exactly so: "%2540" is the password's own "%40", "%40" an '@'.
        {"socks5 password with %", opts(Kind::Socks5, "127.0.0.13", "", true, true, "", "bob:p%40ss"),
         "socks5://bob:p%2540ss@{}", bit(Protocol::Socks5), A::Elite, "127.0.0.13"},
        {"http password with @", opts(Kind::Http, "127.0.0.14", "", true, true, "", "bob:p@ss"),
         "http://bob:p%40ss@{}", bit(Protocol::Http), A::Elite, "127.0.0.14"},
    };
    for (const bool httpbin : {false, true}) {
        ControllerRig rig;
        test::HttpFixture judge;
        judge.serve("/echo", httpbin ? test::httpbinJudge() : test::azenvJudge());
        std::vector<std::unique_ptr<test::FakeProxy>> proxies;
        std::string list;
        for (const Case& c : cases) {
            proxies.push_back(std::make_unique<test::FakeProxy>(c.proxy));
            std::string entry = c.entry;
            entry.replace(entry.find("{}"), 2, proxies.back()->hostPort());
            list += entry + "\r\n";
        }
        rig.form->importbytes(list);
        rig.form->judge = {Judge::Rule::Echo, judge.root() + "/echo", {}, 120};
        rig.form->judgeauto = false;
        rig.form->checkprotocols = both;
        rig.form->checkpause = 0;
        ASSERT_TRUE(rig.runToEnd(20s));
        EXPECT_EQ(rig.form->run()->selfAddress(), "127.0.0.1");
        std::map<std::string, const ProxyRecord*> kept;
        rig.form->table().forEach([&](std::size_t, const ProxyRecord& r) { kept[r.text(Field::Port)] = &r; });
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            const Case& c = cases[i];
            const std::string port = proxies[i]->hostPort().substr(10);
            const auto found = kept.find(port);
            SCOPED_TRACE(std::string(c.what) + (httpbin ? " (httpbin)" : " (azenv)"));
            ASSERT_EQ(found != kept.end(), c.passed != 0);
            if (found == kept.end())
                continue;
            const ProxyRecord& r = *found->second;
            EXPECT_EQ(protocolNames(r.facts().passed), protocolNames(c.passed));
            EXPECT_EQ(r.facts().anonymity, c.anonymity);
            EXPECT_EQ(r.facts().exitIp, c.exit);
        }
        // The offline location places a proxy where its exit is (127.0.0.128/25 is Germany in the test
        // database, the entry address 127.0.0.1 Japan).
        rig.form->geoipfile = VORIN_TEST_CITY_DB;
        ASSERT_TRUE(rig.form->mnofflinecityExecute());
        rig.form->table().forEach([&](std::size_t, const ProxyRecord& r) {
            EXPECT_EQ(r.country(), r.facts().exitIp == "127.0.0.150" ? "DE" : "JP") << r.facts().exitIp;
        });
    }
}

// A judge of the pool for these tests: its marker page, answered while alive() holds.
struct PoolJudge {
    test::HttpFixture site;
    std::atomic<int> asked{0};
    int answers = 1 << 30; // requests it answers as a judge before it serves a page without the marker
    explicit PoolJudge(int answering = 1 << 30) : answers(answering)
    {
        test::HttpFixture::Response r;
        r.echo = [this](const std::string&) { return ++asked <= answers ? "ALIVE" : "<html>parked</html>"; };
        site.serve("/alive", r);
    }
    std::string line() const { return site.root() + "/alive marker ALIVE\n"; }
};

// Before a run the judges are asked in order: the first that answers judges every proxy and is named; with
// none, nothing is checked and the table keeps every row and mark.
TEST(Runs, TheFirstAnsweringJudgeOfThePoolIsUsedAndWithNoneTheListIsKeptWhole)
{
    struct Case {
        std::vector<bool> alive; // the pool, in order
        int used;                // the judge that judges, -1 for none
    };
    for (const Case& c : {Case{{false, false, true}, 2}, Case{{false, false, false}, -1}}) {
        ControllerRig rig;
        std::vector<std::unique_ptr<PoolJudge>> pool;
        std::string file;
        for (bool alive : c.alive) {
            pool.push_back(std::make_unique<PoolJudge>(alive ? 1 << 30 : 0));
            file += pool.back()->line();
        }
        const auto judges = rig.registry.path() / "judges.txt";
        test::writeFile(judges, file);
        test::FakeProxy proxy(test::FakeProxy::Kind::Http, "127.0.0.1");
        rig.addRow(proxy.hostPort());
        rig.addRow("127.0.0.3:9", 77); // refused now, valid in an earlier run
        rig.form->showingrid();
        rig.form->table().updateMarks([](const ProxyRecord& r, CheckMark& m) {
            if (r.text(Field::Ip) == "127.0.0.3")
                m = CheckMark::Failed;
        });
        rig.view.statuses.clear();
        ASSERT_TRUE(rig.runToEnd());
        if (c.used < 0) {
            EXPECT_EQ(rig.form->run()->outcome(), ValidationRun::Outcome::NoJudge);
            EXPECT_EQ(rig.view.statuses.back(), test::g("没有可用的验证网页，未验证：") +
                                                    pool[0]->site.hostPort() +
                                                    test::g(" 回答的不是验证网页，共 3 个都不可用"));
            EXPECT_EQ(rig.form->table().rowCount(), 2u);
            rig.form->table().forEach([](std::size_t, const ProxyRecord& r) {
                EXPECT_EQ(r.mark, r.text(Field::Ip) == "127.0.0.3" ? CheckMark::Failed : CheckMark::None);
            });
            EXPECT_FALSE(rig.form->busy);
            continue;
        }
        EXPECT_EQ(rig.form->run()->outcome(), ValidationRun::Outcome::Judged);
        EXPECT_TRUE(said(rig.view.statuses, test::g("正在验证，请稍候……（验证网页：") + pool[2]->site.root() +
                                                "/alive" + test::g("）")));
        std::vector<std::string> kept = rig.addresses();
        std::sort(kept.begin(), kept.end());
        EXPECT_EQ(kept, (std::vector<std::string>{"127.0.0.1"})); // .3, valid before, failed now
        EXPECT_GE(pool[2]->asked.load(), 2); // asked before the run, then through the proxy
    }
}

// 停止 while the judges are still being asked, none having answered: nothing was judged, nothing goes.
TEST(Runs, AStopBeforeAnyJudgeAnsweredKeepsEveryRow)
{
    ControllerRig rig;
    test::HttpFixture silent("127.0.0.2");
    silent.serve("/alive", test::HttpFixture::Response::stalled());
    test::writeFile(rig.registry.path() / "judges.txt", silent.root() + "/alive marker ALIVE\n");
    rig.addRow("127.0.0.3:9", 77);
    rig.addRow("127.0.0.4:9");
    rig.form->showingrid();
    rig.dispatcher.post([&rig] { rig.form->btnstopcheckExecute(); });
    ASSERT_TRUE(rig.runToEnd());
    EXPECT_EQ(rig.addresses(), (std::vector<std::string>{"127.0.0.3", "127.0.0.4"}));
    EXPECT_FALSE(rig.form->busy);
}

// A judge that stops answering during a run is no verdict on the proxies: the checks it failed are made
// again with the next judge, and with none left the rows no judge could check stay, without a mark.
TEST(Runs, AJudgeThatFallsSilentMidRunGivesWayAndDeletesNothingItCouldNotJudge)
{
    for (const bool fast : {false, true}) {
        for (const bool second : {true, false}) {
            SCOPED_TRACE(std::string(fast ? "fast" : "paced") + (second ? ", two judges" : ", one judge"));
            ControllerRig rig;
            PoolJudge first(4), next;
            test::writeFile(rig.registry.path() / "judges.txt", first.line() + (second ? next.line() : ""));
            std::vector<std::unique_ptr<test::FakeProxy>> proxies;
            std::set<std::string> alive;
            for (int i = 0; i < 8; ++i) {
                proxies.push_back(
                    std::make_unique<test::FakeProxy>(test::FakeProxy::Kind::Http, "127.0.0.1"));
                rig.addRow(proxies.back()->hostPort());
                alive.insert(proxies.back()->hostPort());
                rig.addRow("127.0.1." + std::to_string(i + 1) + ":9"); // refused
            }
            rig.form->setfastchecks(fast ? 4 : 0);
            ASSERT_TRUE(rig.runToEnd(20s));
            std::set<std::string> kept;
            int unmarked = 0;
            rig.form->table().forEach([&](std::size_t, const ProxyRecord& r) {
                kept.insert(r.text(Field::Ip) + ":" + r.text(Field::Port));
                EXPECT_NE(r.mark, CheckMark::Failed);
                unmarked += r.mark == CheckMark::None;
            });
            if (second) {
                EXPECT_EQ(rig.form->run()->outcome(), ValidationRun::Outcome::Judged);
                EXPECT_EQ(kept, alive);
                EXPECT_TRUE(said(rig.view.statuses, test::g("验证网页 ") + first.site.root() + "/alive" +
                                                        test::g(" 不再回答，改用 ") + next.site.root() +
                                                        "/alive"));
                EXPECT_GT(next.asked.load(), 1);
            } else {
                EXPECT_EQ(rig.form->run()->outcome(), ValidationRun::Outcome::JudgesLost);
                // The proxies the judge passed stay valid; every other row is kept unjudged.
                EXPECT_GT(unmarked, 0);
                EXPECT_EQ(rig.view.statuses.back().rfind(test::g("验证网页都不再回答，验证中止：共有"), 0),
                          0u);
                for (const std::string& p : alive)
                    EXPECT_EQ(kept.count(p), 1u) << p;
            }
        }
    }
}

// A judge that answers the program but refuses requests through proxies (rate limits, blocked addresses)
// proves with every refusal that the proxy relays: no proxy it refused is failed. It is set aside for the
// next judge; with no judge left the rows stay unjudged and the run says the judges refuse proxies.
struct RefusingJudge {
    test::HttpFixture site{"127.0.0.2"};
    explicit RefusingJudge(int status, const std::string& body, const std::string& server)
    {
        test::HttpFixture::Response r = test::HttpFixture::Response::with(200, "ALIVE");
        if (!server.empty())
            r.headers = "Server: " + server + "\r\n";
        // The program's own asks come from 127.0.0.1, the proxies' requests from their own addresses.
        r.byPeer = [status, body](const std::string& peer) {
            return peer == "127.0.0.1" ? std::pair<int, std::string>{0, {}} : std::pair{status, body};
        };
        site.serve("/alive", r);
    }
    std::string line() const { return site.root() + "/alive marker ALIVE\n"; }
};

TEST(Runs, AJudgeRefusingProxiesIsSetAsideAndNoProxyItRefusedIsFailed)
{
    struct Case {
        const char* name;
        int status;
        const char* body;
        const char* server;
        bool second; // a judge that lets proxies through comes next in the pool
    };
    for (const Case& c : {Case{"429, then a judge that answers", 429, "slow down", "", true},
                          Case{"403 block page alone", 403, "<h1>blocked</h1>", "judgekit/2", false},
                          Case{"200 block page alone", 200, "<h1>blocked</h1>", "judgekit/2", false},
                          Case{"429 alone", 429, "slow down", "", false}}) {
        for (const bool fast : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (fast ? ", fast" : ", paced"));
            ControllerRig rig;
            RefusingJudge refusing(c.status, c.body, c.server);
            PoolJudge next;
            test::writeFile(rig.registry.path() / "judges.txt",
                            refusing.line() + (c.second ? next.line() : ""));
            std::vector<std::unique_ptr<test::FakeProxy>> proxies;
            std::set<std::string> alive;
            for (int i = 0; i < 3; ++i) {
                proxies.push_back(
                    std::make_unique<test::FakeProxy>(test::FakeProxy::Kind::Http, "127.0.0.5"));
                rig.addRow(proxies.back()->hostPort());
                alive.insert(proxies.back()->hostPort());
            }
            rig.addRow("127.0.0.3:9"); // refuses connections: dead whoever judges
            rig.form->setfastchecks(fast ? 4 : 0);
            ASSERT_TRUE(rig.runToEnd(20s));
            std::set<std::string> kept, valid;
            rig.form->table().forEach([&](std::size_t, const ProxyRecord& r) {
                const std::string key = r.text(Field::Ip) + ":" + r.text(Field::Port);
                kept.insert(key);
                if (r.mark == CheckMark::Valid)
                    valid.insert(key);
                EXPECT_NE(r.mark, CheckMark::Failed) << key;
            });
            const std::string setAside = test::g("验证网页 ") + refusing.site.root() + "/alive" +
                                         test::g(" 拒绝经代理的访问（回答状态 ") + std::to_string(c.status) +
                                         test::g("），改用 ") + next.site.root() + "/alive";
            if (c.second) {
                EXPECT_EQ(rig.form->run()->outcome(), ValidationRun::Outcome::Judged);
                EXPECT_EQ(valid, alive);
                EXPECT_EQ(kept, alive);
                EXPECT_TRUE(said(rig.view.statuses, setAside));
            } else {
                EXPECT_EQ(rig.form->run()->outcome(), ValidationRun::Outcome::JudgesLost);
                EXPECT_TRUE(valid.empty());
                for (const std::string& p : alive)
                    EXPECT_EQ(kept.count(p), 1u) << p;
                EXPECT_EQ(rig.view.statuses.back().rfind(test::g("验证网页都拒绝经代理的访问或不再回答"), 0),
                          0u)
                    << rig.view.statuses.back();
                // Which judge refused, and what it answered.
                EXPECT_TRUE(said(rig.view.statuses, setAside.substr(0, setAside.find(test::g("，改用")))));
            }
        }
    }
}

// CONNECT proxies as tinyproxy and squid ship tunnel to port 443 only: checked through the pool's judge over
// TLS (certificate verified) such a proxy is valid; a pool without one can only tunnel to the judge's
// port 80.
TEST(Runs, AConnectProxyThatTunnelsTo443OnlyIsValidThroughAJudgeOverTls)
{
    if (!test::Tinyproxy::installed())
        GTEST_SKIP() << "tinyproxy is not installed";
    for (const bool tlsJudge : {true, false}) {
        SCOPED_TRACE(tlsJudge ? "with a judge over TLS" : "plain judges only");
        ControllerRig rig;
        test::TlsJudge tls(rig.registry.path(), "127.0.0.7", 443);
        if (!tls.running())
            GTEST_SKIP()
                << "no judge over TLS on 127.0.0.7:443 (python3, openssl, the right to bind port 443)";
        test::ScopedEnv trust("VORIN_CA_BUNDLE", tls.caFile());
        PoolJudge plain;
        test::writeFile(rig.registry.path() / "judges.txt",
                        plain.line() + (tlsJudge ? tls.root() + "/alive marker ALIVE\n" : ""));
        test::Tinyproxy proxy(rig.pages.path(), "ConnectPort 443\n");
        rig.form->importbytes("https://" + proxy.hostPort() + "\r\n");
        ASSERT_TRUE(rig.runToEnd(20s));
        EXPECT_EQ(rig.form->table().rowCount(), tlsJudge ? 1u : 0u);
    }
}

// Today's world: the built-in sites refuse, the default lists and a public judge answer (here on
// loopback). A fresh store's download-and-validate keeps the working proxies of the default lists, says
// what each list gave, and judges with the first judge of the pool that answers.
TEST(Runs, AFreshStoreFindsAndJudgesProxiesThroughItsDefaultSourcesAndJudges)
{
    using Kind = test::FakeProxy::Kind;
    test::HttpFixture lists, judge, http("127.0.0.5"); // http: a proxy that answers as the judge would
    judge.serve("/", test::azenvJudge());
    http.serve("/", test::azenvJudge());
    test::FakeProxy socks(Kind::Socks5, "127.0.0.1");
    lists.serve("/monosans/proxy-list/main/proxies/all.txt",
                "http://" + http.hostPort() + "\nsocks5://" + socks.hostPort() + "\n");
    lists.serve("/zloi-user/hideip.me/HEAD/socks4.txt", "127.0.0.3:9:Germany\n127.0.0.4:9:France\n");
    Endpoints sites = test::loopbackEndpoints();
    sites.set("iplookup", "http://127.0.0.2:9"); // the built-in test page is gone too
    sites.set("github", lists.root());
    sites.set("azenv", judge.root());
    ControllerRig rig(sites);
    rig.form->btndownproxyExecute();
    ASSERT_TRUE(rig.pumpUntil([&] { return rig.form->run() && rig.form->checkdone(); }, 20s));
    std::vector<std::string> kept;
    rig.form->table().forEach([&](std::size_t, const ProxyRecord& r) {
        kept.push_back(r.text(Field::Ip) + ":" + r.text(Field::Port));
    });
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, (std::vector<std::string>{socks.hostPort(), http.hostPort()}));
    const std::string counts = test::g("共有4个代理，各来源：") + "monosans/proxy-list/all.txt 2" +
                               test::g(" 个") + ", zloi-user/hideip.me/socks4.txt 2" + test::g(" 个") +
                               test::g("；无法下载：");
    EXPECT_TRUE(std::any_of(rig.view.statuses.begin(), rig.view.statuses.end(),
                            [&](const std::string& s) { return s.rfind(counts, 0) == 0; }));
    EXPECT_TRUE(said(rig.view.statuses,
                     test::g("正在验证，请稍候……（验证网页：") + judge.root() + "/" + test::g("）")));
    EXPECT_EQ(rig.view.statuses.back(), test::g(" 验证结束,共有2代理可用！"));
}

// A harvest that gives nothing says so, with the sources that failed, instead of a start text.
TEST(Runs, AHarvestWithoutRowsSaysItEndedAndWhichSourcesFailed)
{
    ControllerRig rig;
    test::writeFile(rig.registry.path() / "sources.txt", "http://127.0.0.1:9/gone.txt\n");
    rig.view.checked = {false, false, false, true};
    rig.form->btndownproxyExecute();
    ASSERT_TRUE(rig.pumpUntil([&] { return rig.form->coordinator()->threadcount == 0; }));
    EXPECT_EQ(rig.view.statuses.back(),
              test::g("下载结束，没有得到代理；无法下载：") + "127.0.0.1:9/gone.txt");
    EXPECT_FALSE(rig.form->busy);
}

} // namespace
} // namespace vorin
