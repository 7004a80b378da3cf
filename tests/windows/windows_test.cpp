// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The Windows services: the registry itself, the system proxy in Internet Settings as the internet library
// reads it, file names in GBK, the locale's order.
#include "platform/atomicfile.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "support/fakes.h"
#include "system/systemproxy.h"
#include "table/collator.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

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

TEST(WindowsSystemProxy, EachKindIsWrittenWhereTheInternetLibraryReadsIt)
{
    const wchar_t* settings = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    struct Case {
        ProxyEntry proxy;
        const wchar_t* server;
    };
    for (const Case& c : {Case{{{"127.0.0.1", "3128"}, "", ""}, L"127.0.0.1:3128"},
                          Case{{{"127.0.0.2", "1080"}, "socks5", "u:p"}, L"socks=127.0.0.2:1080"},
                          Case{{{"127.0.0.3", "8080"}, "https", ""}, L"127.0.0.3:8080"}}) {
        ASSERT_TRUE(systemproxy::enable(c.proxy).result);
        EXPECT_EQ(registryText(settings, L"ProxyServer"), c.server);
        EXPECT_EQ(systemproxy::current(), c.proxy);
        DWORD enabled = 0;
        DWORD bytes = sizeof enabled;
        RegGetValueW(HKEY_CURRENT_USER, settings, L"ProxyEnable", RRF_RT_REG_DWORD, nullptr, &enabled,
                     &bytes);
        EXPECT_EQ(enabled, 1u);
    }
    // The internet library, told of the change, now reads a proxy of its own settings.
    INTERNET_PER_CONN_OPTIONW option{};
    option.dwOption = INTERNET_PER_CONN_FLAGS;
    INTERNET_PER_CONN_OPTION_LISTW list{};
    list.dwSize = sizeof list;
    list.dwOptionCount = 1;
    list.pOptions = &option;
    DWORD size = sizeof list;
    ASSERT_TRUE(InternetQueryOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size));
    EXPECT_TRUE(option.Value.dwValue & PROXY_TYPE_PROXY);

    ASSERT_TRUE(systemproxy::disable().result);
    EXPECT_EQ(systemproxy::current(), std::nullopt);
    EXPECT_EQ(registryText(settings, L"ProxyServer"), L"127.0.0.3:8080"); // the last proxy stays
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
