// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "app/frmvrdl.h"
#include "files/jsonexport.h"
#include "files/proxyfiles.h"
#include "platform/gbk.h"
#include "support/fakes.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace vorin {
namespace {

using test::g;
using namespace proxyfiles;

class FilesTest : public ::testing::Test {
protected:
    void add(const std::string& ip, const std::string& port, const std::string& location = {},
             std::optional<int> speed = {})
    {
        table.append();
        table.setText(Field::Ip, ip);
        table.setText(Field::Port, port);
        if (!location.empty())
            table.setText(Field::Location, location);
        if (speed) {
            table.setBoolean(Field::Valid, true);
            table.setInteger(Field::Speed, *speed);
        }
        table.post();
    }
    std::vector<std::string> rows()
    {
        std::vector<std::string> out;
        table.forEach([&](std::size_t, const ProxyRecord& r) {
            out.push_back(r.text(Field::Ip) + "|" + r.text(Field::Port));
        });
        return out;
    }

    ProxyTable table{std::make_shared<const Collator>("en_US")};
    test::TempDir dir{"files-test"};
};

TEST_F(FilesTest, ExportFormatsByteForByte)
{
    add("1.2.3.4", "8080", " " + g("北京") + " ", 350);
    add("5.6.7.8", "3128");
    const std::string when = "2026-12-08 10:30:00";
    EXPECT_EQ(exportBytes(table, Text, when), g("Vorin智能代理最新验证:") + when + "\r\n" + "1.2.3.4:8080@" +
                                                  g("北京") + "#350ms\r\n" + "5.6.7.8:3128@" + g("未知") +
                                                  "#ms\r\n");
    EXPECT_EQ(exportBytes(table, Html, when),
              "<html><head><title>"
              "Vorin\xE6\x99\xBA\xE8\x83\xBD\xE4\xBB\xA3\xE7\x90\x86\xE6\x9C\x80\xE6\x96\xB0\xE9\xAA\x8C"
              "\xE8\xAF\x81\xEF\xBC\x8C   \xE6\x97\xB6\xE9\x97\xB4\xEF\xBC\x9A" +
                  when + "</title></head><body><table><tr><td>IP:" + g("端口") + "</td><td>" + g("速度(ms)") +
                  "</td></tr>\r\n<tr><td>1.2.3.4:8080</td><td>350</td></tr>\r\n"
                  "<tr><td>5.6.7.8:3128</td><td></td></tr>\r\n</table></body></html>\r\n");
    EXPECT_EQ(exportBytes(table, Xml, when),
              "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\r\n<PROXY>\r\n"
              "<IP>1.2.3.4:8080</IP>\r\n<IP>5.6.7.8:3128</IP>\r\n</PROXY>\r\n");
    ProxyTable one(std::make_shared<const Collator>("en_US"));
    one.append();
    one.setText(Field::Ip, "10.0.0.1");
    one.setText(Field::Port, "80");
    one.post();
    EXPECT_EQ(
        exportBytes(one, Xml, when),
        "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\r\n<PROXY>\r\n<IP>10.0.0.1:80</IP>\r\n</PROXY>\r\n");
}

TEST_F(FilesTest, ExtensionsFollowTheChosenEntry)
{
    EXPECT_EQ(withExtension(" /tmp/a.txt ", 2), "/tmp/a.html");
    EXPECT_EQ(withExtension("/tmp/list.htm", 2), "/tmp/list.html");
    EXPECT_EQ(withExtension("/tmp/list", 1), "/tmp/list.txt");
    EXPECT_EQ(withExtension("/tmp/my.dir/list", 3), "/tmp/my.dir/list.xml");
    EXPECT_EQ(withExtension("/tmp/a.b.c", 1), "/tmp/a.b.txt");
}

TEST_F(FilesTest, SavingReplacesWithoutAPromptAndEmptyTablesWriteNothing)
{
    auto path = dir.path() / "list.xml";
    EXPECT_TRUE(savetofile(table, path, Xml)); // empty: nothing
    EXPECT_FALSE(std::filesystem::exists(path));
    add("10.0.0.1", "80");
    test::writeFile(path, "older list");
    EXPECT_TRUE(savetofile(table, path, Xml));
    EXPECT_EQ(test::readFile(path).substr(0, 5), "<?xml");
    EXPECT_TRUE(savetofile(table, path, 7)); // no such format: nothing
    EXPECT_EQ(test::readFile(path).substr(0, 5), "<?xml");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST_F(FilesTest, AFailedSaveShowsTheErrorAndKeepsTheOldFile)
{
    test::FakeView view;
    test::FakeClock clock;
    Dispatcher dispatcher;
    Tfrmvrdl form(view, dispatcher, clock, test::loopbackEndpoints(), TempPaths(dir.path(), dir.path()));
    form.table().append();
    form.table().setText(Field::Ip, "10.0.0.1");
    form.table().post();
    auto blocked = dir.path() / "blocked";
    std::filesystem::create_directory(blocked);
    test::writeFile(blocked / "list.txt", "old list");
    std::filesystem::permissions(blocked,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    // Where modes do not keep us out the folder stays writable; a path under a plain file fails for everyone.
    const std::string target = test::folderModesApply() ? (blocked / "list.txt").string()
                                                        : (blocked / "list.txt" / "x.txt").string();
    view.saveAnswer = View::SaveChoice{target, 1};
    form.btnsaveproxyExecute();
    std::filesystem::permissions(blocked, std::filesystem::perms::owner_all);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].rfind(g("无法创建文件 "), 0), 0u);
    EXPECT_EQ(test::readFile(blocked / "list.txt"), "old list");

    // A folder that is not there is not made: the save ends with the same message.
    view.messages.clear();
    view.saveAnswer = View::SaveChoice{(dir.path() / "missing" / "list.txt").string(), 1};
    form.btnsaveproxyExecute();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].rfind(g("无法创建文件 "), 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing"));

    // A file saved over keeps its permission bits (Windows files have access lists instead).
    const auto kept = dir.path() / "kept.txt";
    test::writeFile(kept, "old");
    const auto bits = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                      std::filesystem::perms::group_read;
    std::filesystem::permissions(kept, bits);
    view.saveAnswer = View::SaveChoice{kept.string(), 1};
    form.btnsaveproxyExecute();
    EXPECT_NE(test::readFile(kept), "old");
#ifndef _WIN32
    EXPECT_EQ(std::filesystem::status(kept).permissions(), bits);
#endif

    // The dialog keeps the entry chosen last, and a.txt saved as HTML is a.html.
    view.saveAnswer = View::SaveChoice{(dir.path() / "a.txt").string(), 2};
    form.btnsaveproxyExecute();
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "a.html"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "a.txt"));
    view.saveAnswer.reset();
    form.btnsaveproxyExecute();
    EXPECT_EQ(view.preselected, (std::vector<int>{1, 1, 1, 1, 2}));
    EXPECT_EQ(view.saveFilters[0], g("*.txt|*.txt|*.html|*.html|XML文件|*.xml"));
}

TEST_F(FilesTest, ImportTakesEveryLineWithAColonAsItStands)
{
    auto path = dir.path() / "in.txt";
    test::writeFile(path,
                    "1.2.3.4:8080\r\n1.2.3.4:8080 extra text\nhost:80:90\r\n 1.2.3.4 : 80\r\n\r\nno colon\r"
                    "1.2.3.4:8080\n9.9.9.9:1");
    ASSERT_TRUE(importfile(table, path));
    EXPECT_EQ(rows(), (std::vector<std::string>{"1.2.3.4|8080", "1.2.3.4|8080 ext", "host|80:90",
                                                " 1.2.3.4 | 80", "1.2.3.4|8080", "9.9.9.9|1"}));
    EXPECT_FALSE(table.current().has(Field::Speed));

    // Lines written with a scheme are read as proxies; one whose scheme is none keeps the colon rule.
    importBytes(table, "socks5://u:p@127.0.0.1:1080\r\nhttps://127.0.0.2:443/\r\nftp://127.0.0.3:21\r\n");
    EXPECT_EQ(rows(), (std::vector<std::string>{"127.0.0.1|1080", "127.0.0.2|443", "ftp|//127.0."}));
    table.first();
    EXPECT_EQ(table.text(Field::Protocol), "SOCKS5");
    EXPECT_EQ(table.current().credentials(), "u:p");
    table.next();
    EXPECT_EQ(table.text(Field::Protocol), "HTTPS");
    table.next();
    EXPECT_EQ(table.text(Field::Protocol), "");
}

TEST_F(FilesTest, ImportedRowsTakeTheirPlaceInTheSortInForce)
{
    auto path = dir.path() / "in.txt";
    test::writeFile(path, "9.0.0.1:1\n10.0.0.1:2\n");
    table.sortOn(Field::Speed); // after a validation run
    importfile(table, path);
    EXPECT_EQ(rows(), (std::vector<std::string>{"9.0.0.1|1", "10.0.0.1|2"}));
    table.sortOn(Field::Ip); // after a harvest
    importfile(table, path);
    EXPECT_EQ(rows(), (std::vector<std::string>{"10.0.0.1|2", "9.0.0.1|1"}));
}

TEST_F(FilesTest, ImportSurvivesBadFilesAndKeepsTheTableWhenItCannotRead)
{
    add("1.1.1.1", "1");
    EXPECT_FALSE(importfile(table, dir.path() / "missing.txt"));
    EXPECT_FALSE(importfile(table, dir.path())); // a folder
    EXPECT_EQ(table.rowCount(), 1u);

    std::string noise;
    for (int i = 0; i < 100000; ++i)
        noise += static_cast<char>((i * 7919) & 0xFF);
    const std::string files[] = {noise, test::bytes("1.2.3.4:80\0:9\n\0\0:\n"),
                                 std::string(10u << 20, 'x') + ":1", ""};
    for (const auto& bytes : files) {
        test::writeFile(dir.path() / "bad", bytes);
        EXPECT_TRUE(importfile(table, dir.path() / "bad"));
    }
    EXPECT_EQ(rows(), std::vector<std::string>{}); // the empty file empties the table
}

TEST_F(FilesTest, ATextExportImportsBackWithItsHeaderAsARow)
{
    add("1.2.3.4", "8080", g("北京"), 350);
    add("5.6.7.8", "3128");
    auto path = dir.path() / "round.txt";
    ASSERT_TRUE(savetofile(table, path, Text));
    ProxyTable back(std::make_shared<const Collator>("en_US"));
    ASSERT_TRUE(importfile(back, path));
    std::vector<std::string> got;
    back.forEach([&](std::size_t, const ProxyRecord& r) {
        got.push_back(r.text(Field::Ip) + "|" + r.text(Field::Port));
    });
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].rfind(g("Vorin智能代理最新验证") + "|", 0), 0u);
    EXPECT_EQ(got[1], "1.2.3.4|8080@" + g("北京").substr(0, 3));
    EXPECT_EQ(got[2], "5.6.7.8|3128@" + g("未知").substr(0, 3));
}

// The program's own JSON (validate --format json) comes back unchecked: its verdicts and speeds are a past
// run's, not the table's, and each row keeps the protocols it passed and its credentials, which go out
// again with it.
TEST(JsonImport, RowsComeBackWithTheirProtocolsAndWithoutVerdicts)
{
    ProxyTable table;
    ASSERT_TRUE(proxyfiles::importJson(
        table, R"([{"IP地址": "127.0.0.1", "端口": "1080", "协议": "SOCKS5", "验证": true, "速度": 12,
                    "protocols": ["socks5", "https"], "credentials": "u:p:w"},
                   {"IP地址": "127.0.0.2", "端口": "80", "协议": "", "验证": true, "速度": 5},
                   {"IP地址": "127.0.0.3", "端口": "443", "协议": "HTTPS", "验证": false, "速度": null}])"));
    std::vector<ProtocolSet> own;
    table.forEach([&](std::size_t, const ProxyRecord& r) {
        EXPECT_FALSE(r.boolean(Field::Valid)) << r.text(Field::Ip);
        EXPECT_FALSE(r.has(Field::Speed)) << r.text(Field::Ip);
        own.push_back(r.entryProtocol);
    });
    EXPECT_EQ(own, (std::vector<ProtocolSet>{bit(Protocol::Socks5) | bit(Protocol::Https), 0,
                                             bit(Protocol::Https)}));
    table.first();
    EXPECT_EQ(table.current().credentials(), "u:p:w");
    const std::string out = proxyfiles::jsonBytes(table);
    EXPECT_NE(out.find(R"("country": null, "credentials": "u:p:w"})"), std::string::npos) << out;
    EXPECT_EQ(out.find("credentials"), out.rfind("credentials")); // only the row that has them
    EXPECT_FALSE(proxyfiles::importJson(table, "{\"not\": \"a list\"}"));
    EXPECT_EQ(table.rowCount(), 3u);
}

} // namespace
} // namespace vorin
