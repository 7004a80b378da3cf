// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The Windows services: the registry itself, the system proxy in Internet Settings as the internet library
// reads it, file names in GBK, the locale's order.
#include "app/frmvrdl.h"
#include "platform/atomicfile.h"
#include "platform/dispatcher.h"
#include "platform/download.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/temppaths.h"
#include "platform/texts.h"
#include "platform/widetext.h"
#include "support/fakes.h"
#include "system/systemproxy.h"
#include "table/collator.h"

#include <gtest/gtest.h>

#include <winsock2.h>

#include <windows.h>
#include <wininet.h>

#include <thread>

namespace vorin {
namespace {

using test::g;

// The value as another program reads it: UTF-16 from the registry itself.
std::wstring registryText(const wchar_t* key, const wchar_t* name)
{
    wchar_t buf[512] = {};
    DWORD bytes = sizeof buf;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, buf, &bytes) != ERROR_SUCCESS)
        return L"<missing>";
    return buf;
}

TEST(WindowsRegistry, GbkTextsAndNumbersAreTheRegistrysOwnValues)
{
    const auto key = registry::Key::open(registry::Hive::CurrentUser, "SOFTWARE\\VORINSOFT\\vorindaili-test");
    ASSERT_TRUE(key.writeString("Start Page", g("http://例子.cn/?tn=代理")));
    ASSERT_TRUE(key.writeDword("count", 0xDEADBEEF));
    EXPECT_EQ(key.readString("Start Page"), g("http://例子.cn/?tn=代理"));
    EXPECT_EQ(key.readDword("count"), 0xDEADBEEFu);
    EXPECT_EQ(registryText(L"SOFTWARE\\VORINSOFT\\vorindaili-test", L"Start Page"),
              L"http://例子.cn/?tn=代理");
    // A value of the other kind, or none, reads as nothing.
    EXPECT_EQ(key.readString("count"), std::nullopt);
    EXPECT_EQ(key.readDword("Start Page"), std::nullopt);
    EXPECT_EQ(key.readString("missing"), std::nullopt);
}

const wchar_t* const kSettings = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// The four values of the LAN settings as the registry holds them ("<missing>" for one it lacks).
struct Lan {
    std::wstring enable, server, bypass, script;
    bool operator==(const Lan&) const = default;
};
void PrintTo(const Lan& lan, std::ostream* os)
{
    *os << wide::toUtf8(lan.enable + L"|" + lan.server + L"|" + lan.bypass + L"|" + lan.script);
}

Lan lanNow()
{
    DWORD enabled = 0;
    DWORD bytes = sizeof enabled;
    const bool has = RegGetValueW(HKEY_CURRENT_USER, kSettings, L"ProxyEnable", RRF_RT_REG_DWORD, nullptr,
                                  &enabled, &bytes) == ERROR_SUCCESS;
    return {has ? std::to_wstring(enabled) : L"<missing>", registryText(kSettings, L"ProxyServer"),
            registryText(kSettings, L"ProxyOverride"), registryText(kSettings, L"AutoConfigURL")};
}

void setLan(const Lan& lan)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\VORINSOFT\\vorindaili\\Connections"); // no memory yet
    const DWORD on = lan.enable == L"1" ? 1 : 0;
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettings, L"ProxyEnable", REG_DWORD, &on, sizeof on);
    for (const auto& [name, text] :
         {std::pair{L"ProxyServer", lan.server}, std::pair{L"ProxyOverride", lan.bypass},
          std::pair{L"AutoConfigURL", lan.script}}) {
        if (text == L"<missing>")
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettings, name);
        else
            RegSetKeyValueW(HKEY_CURRENT_USER, kSettings, name, REG_SZ, text.c_str(),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    // The internet library reads the key afresh once told.
    InternetSetOptionW(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
}

// The internet library's own answer for the LAN: whether the proxy is used, and nothing but it.
DWORD lanFlags()
{
    INTERNET_PER_CONN_OPTIONW option{};
    option.dwOption = INTERNET_PER_CONN_FLAGS;
    INTERNET_PER_CONN_OPTION_LISTW list{};
    list.dwSize = sizeof list;
    list.dwOptionCount = 1;
    list.pOptions = &option;
    DWORD size = sizeof list;
    return InternetQueryOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size)
               ? option.Value.dwValue
               : 0;
}

TEST(WindowsSystemProxy, TheSwitchUsesTheProxyAloneAndGivesBackWhatTheUserHad)
{
    // A desktop's variables inherited from elsewhere change nothing: Windows has no KDE settings to write.
    test::TempDir config("kde-config");
    test::ScopedEnv kde("XDG_CURRENT_DESKTOP", "KDE");
    test::ScopedEnv home("XDG_CONFIG_HOME", config.path().string());
    for (const Lan& before :
         {Lan{L"1", L"corp.example:8080", L"*.corp.example;<local>", L"http://wpad.corp.example/proxy.pac"},
          Lan{L"0", L"<missing>", L"<missing>", L"<missing>"},
          Lan{L"0", L"old.example:3128", L"<local>", L"<missing>"}}) {
        setLan(before);
        struct Kind {
            ProxyEntry proxy;
            const wchar_t* server;
        };
        // Each kind in turn; the memory is of what the user had, not of the program's previous proxy.
        for (const Kind& k : {Kind{{{"127.0.0.1", "3128"}, "", ""}, L"127.0.0.1:3128"},
                              Kind{{{"127.0.0.2", "1080"}, "socks4", ""}, L"socks=127.0.0.2:1080"},
                              Kind{{{"127.0.0.3", "8080"}, "https", ""}, L"127.0.0.3:8080"}}) {
            ASSERT_TRUE(systemproxy::enable(k.proxy).result);
            const Lan now = lanNow();
            EXPECT_EQ(now.enable, L"1");
            EXPECT_EQ(now.server, k.server);
            EXPECT_EQ(now.script, L"<missing>"); // no configuration script before the proxy
            EXPECT_EQ(now.bypass.rfind(before.bypass == L"*.corp.example;<local>"
                                           ? L"*.corp.example;localhost;"
                                           : L"localhost;",
                                       0),
                      0u)
                << now.bypass;
            EXPECT_EQ(now.bypass.substr(now.bypass.size() - 8), L";<local>");
            EXPECT_EQ(lanFlags() & (PROXY_TYPE_PROXY | PROXY_TYPE_AUTO_PROXY_URL), DWORD(PROXY_TYPE_PROXY));
            EXPECT_EQ(systemproxy::current(), k.proxy);
        }
        ASSERT_TRUE(systemproxy::disable().result);
        EXPECT_EQ(lanNow(), before);
        // Stopped again with nothing remembered: the proxy alone goes off, as a stop always did.
        ASSERT_TRUE(systemproxy::disable().result);
        EXPECT_EQ(lanNow(), (Lan{L"0", before.server, before.bypass, before.script}));
    }
    EXPECT_EQ(test::filesIn(config.path()), 0u);
    EXPECT_TRUE(systemproxy::needsRelay({{"127.0.0.1", "1080"}, "socks5", ""}));
    EXPECT_TRUE(systemproxy::needsRelay({{"127.0.0.1", "8080"}, "", "u:p"}));
    EXPECT_FALSE(systemproxy::needsRelay({{"127.0.0.1", "1080"}, "socks4", ""}));
}

TEST(WindowsSystemProxy, TheWindowPutsASocks5RowThroughTheLocalRelay)
{
    test::TempDir dir("relay-row");
    test::FakeView view;
    test::FakeClock clock;
    Dispatcher dispatcher;
    {
        Tfrmvrdl form(view, dispatcher, clock, test::loopbackEndpoints(), TempPaths(dir.path(), dir.path()));
        form.frmshowExecute();
        form.relayport = 0; // a free port
        auto& t = form.table();
        t.append();
        t.setText(Field::Ip, "127.0.0.9");
        t.setText(Field::Port, "1080");
        t.setText(Field::Protocol, "socks5");
        t.post();
        t.setMark(*t.bookmark(), CheckMark::Valid);
        form.showingrid();
        form.grid().setSelectedRow(1);
        form.btnsetproxyExecute();
        ASSERT_TRUE(form.localrelay().running());
        EXPECT_EQ(form.getproxy(), "127.0.0.1:" + std::to_string(form.localrelay().port()));
        EXPECT_EQ(form.localrelay().upstreams(), 1u);
        EXPECT_EQ(view.statuses.back(), texts().relayForSystem + "127.0.0.9:1080");
        form.btnstopproxyExecute();
        EXPECT_FALSE(form.localrelay().running());
        EXPECT_EQ(form.getproxy(), "");
        form.FormClose();
    }
    dispatcher.close();
}

TEST(WindowsDownload, AnInternationalHostNameGoesOutInItsAsciiForm)
{
    // A proxy that keeps the request line it is sent and answers 200.
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    const SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof at;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&at), &size);
    std::string request;
    std::thread proxy([&] {
        const SOCKET c = ::accept(listener, nullptr, nullptr);
        char buf[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const int n = ::recv(c, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            request.append(buf, static_cast<std::size_t>(n));
        }
        const char answer[] = "HTTP/1.1 200 OK\r\nContent-Length: 3\r\nConnection: close\r\n\r\nok\n";
        ::send(c, answer, sizeof answer - 1, 0);
        ::closesocket(c);
    });
    download::setProcessProxy("127.0.0.1:" + std::to_string(ntohs(at.sin_port)));
    test::TempDir dir("idn");
    EXPECT_EQ(download::toFile("http://\xE4\xBE\x8B\xE5\xAD\x90.test/list.txt", dir.path() / "page"),
              download::Result::Ok); // 例子.test, UTF-8
    proxy.join();
    download::setProcessProxy("");
    ::closesocket(listener);
    WSACleanup();
    EXPECT_EQ(request.substr(0, request.find("\r\n")), "GET http://xn--fsqu00a.test/list.txt HTTP/1.1");
}

TEST(WindowsFiles, AGbkNameIsTheFilesWideName)
{
    test::TempDir dir("names");
    const std::string name = g("代理列表-台湾.txt");
    const auto path = dir.path() / process::pathOf(name);
    ASSERT_TRUE(writeFileAtomically(path, "127.0.0.1:80\r\n"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / L"代理列表-台湾.txt"));
    EXPECT_EQ(process::textOf(path.filename()), name);
    EXPECT_EQ(test::readFile(path), "127.0.0.1:80\r\n");
    // Written again: replaced in one step, no temporary file left beside it.
    ASSERT_TRUE(writeFileAtomically(path, "x"));
    EXPECT_EQ(test::readFile(path), "x");
    EXPECT_EQ(test::filesIn(dir.path()), 1u);
    EXPECT_TRUE(process::folderWritable(dir.path()));
    EXPECT_FALSE(process::folderWritable(dir.path() / "missing"));
}

TEST(WindowsFiles, ASaveWaitsForAFileAnotherProgramHoldsForAMoment)
{
    test::TempDir dir("held");
    const auto path = dir.path() / L"list.txt";
    ASSERT_TRUE(writeFileAtomically(path, "old"));
    // A virus scanner's way: open, no sharing at all, for a moment.
    const HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::thread scanner([held] {
        Sleep(300);
        CloseHandle(held);
    });
    const IoResult saved = writeFileAtomically(path, "new");
    scanner.join();
    EXPECT_TRUE(saved) << saved.message;
    EXPECT_EQ(test::readFile(path), "new");
    EXPECT_EQ(test::filesIn(dir.path()), 1u);
}

TEST(WindowsCollation, TheLocalesOrderComparesAsBytes)
{
    const Collator zh("zh_CN");
    // Pinyin order for Chinese, letters before their capitals' neighbours as the locale has it.
    const std::vector<std::string> sorted = {g("阿"), g("北"), g("台湾"), g("中国")};
    for (std::size_t i = 1; i < sorted.size(); ++i)
        EXPECT_LT(zh.sortKey(sorted[i - 1]), zh.sortKey(sorted[i])) << i;
    EXPECT_LT(zh.sortKey("apple"), zh.sortKey("Banana"));
    EXPECT_EQ(zh.sortKey(""), "");
}

} // namespace
} // namespace vorin
