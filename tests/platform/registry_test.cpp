// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/regfile.h"
#include "platform/registry.h"
#include "support/fakes.h"

#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace vorin::registry {
namespace {

// Each test gets its own store folder.
class RegistryTest : public ::testing::Test {
protected:
    std::filesystem::path hkcu() const { return dir_.path() / "HKCU.reg"; }

    test::TempDir dir_{"registry-test"};
    test::ScopedEnv registryEnv_{"VORIN_REGISTRY_DIR", dir_.path().string()};
};

TEST_F(RegistryTest, StoresTextAndNumbersAcrossOpens)
{
    const std::string tricky =
        "a\"b\\c " + test::g("中文") + " \xB5\x5C"; // GBK trail byte 0x5C is a backslash
    {
        auto key = Key::open(Hive::CurrentUser, "SOFTWARE\\VORINSOFT\\vorindaili");
        ASSERT_TRUE(key.writeString("downoption", "011"));
        ASSERT_TRUE(key.writeString("tricky", tricky));
        ASSERT_TRUE(key.writeDword("ProxyEnable", 0xDEADBEEF));
    }
    auto again = Key::open(Hive::CurrentUser, "software\\vorinsoft\\VORINDAILI");
    EXPECT_EQ(again.readString("DownOption"), "011");
    EXPECT_EQ(again.readString("tricky"), tricky);
    EXPECT_EQ(again.readDword("ProxyEnable"), 0xDEADBEEFu);
    // A value of the other type counts as missing.
    EXPECT_EQ(again.readDword("downoption"), std::nullopt);
    EXPECT_EQ(again.readString("ProxyEnable"), std::nullopt);
    EXPECT_EQ(again.readString("absent"), std::nullopt);

    std::string text = test::readFile(hkcu());
    EXPECT_EQ(text.rfind("REGEDIT4\r\n", 0), 0u);
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\SOFTWARE\\VORINSOFT\\vorindaili]\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"ProxyEnable\"=dword:deadbeef\r\n"), std::string::npos);
}

TEST_F(RegistryTest, OpeningCreatesTheKeyAndLeavesNoTemporaryFiles)
{
    Key::open(Hive::CurrentUser, "Software\\Empty");
    EXPECT_NE(test::readFile(hkcu()).find("[HKEY_CURRENT_USER\\Software\\Empty]"), std::string::npos);
    Key::open(Hive::CurrentUser, "Software\\Empty").writeString("x", "1");
    std::set<std::string> files;
    for (auto& e : std::filesystem::directory_iterator(dir_.path()))
        files.insert(e.path().filename().string());
    EXPECT_EQ(files, (std::set<std::string>{"HKCU.reg", "HKCU.reg.lock"})); // the lock stays, empty
}

// The current user's hive keeps credentials (the system proxy's, a desktop's remembered value): only its
// user may read it, even where an earlier version left it readable to all. The machine's hive keeps its
// rights.
TEST_F(RegistryTest, TheCurrentUsersHiveIsPrivate)
{
    auto mode = [](const std::filesystem::path& p) {
        return std::filesystem::status(p).permissions() & std::filesystem::perms::mask;
    };
    using std::filesystem::perms;
    test::writeFile(hkcu(), "REGEDIT4\r\n\r\n");
    test::writeFile(dir_.path() / "HKLM.reg", "REGEDIT4\r\n\r\n");
    std::filesystem::permissions(hkcu(), perms::owner_read | perms::owner_write | perms::group_read |
                                             perms::others_read);
    std::filesystem::permissions(dir_.path() / "HKLM.reg",
                                 perms::owner_read | perms::owner_write | perms::others_read);
    ASSERT_TRUE(Key::open(Hive::CurrentUser, "Software\\Vorin").writeString("proxycredentials", "u:p"));
    ASSERT_TRUE(Key::open(Hive::LocalMachine, "Software\\Vorin").writeString("y", "1"));
    EXPECT_EQ(mode(hkcu()), perms::owner_read | perms::owner_write);
    EXPECT_EQ(mode(dir_.path() / "HKLM.reg"), perms::owner_read | perms::owner_write | perms::others_read);
}

TEST_F(RegistryTest, AValueWithLineBreaksCannotForgeOtherValues)
{
    // A proxy address taken from a page or a list file ends up in the store; line breaks in it must not
    // become lines of the file.
    const std::string forged =
        "1.2.3.4:80\r\n\"ProxyEnable\"=dword:00000001\r\n[HKEY_CURRENT_USER\\X]\n\t\x01";
    {
        auto key = Key::open(Hive::CurrentUser, "Software\\Test");
        ASSERT_TRUE(key.writeString("ProxyServer", forged));
    }
    auto key = Key::open(Hive::CurrentUser, "Software\\Test");
    EXPECT_EQ(key.readString("ProxyServer"), forged);
    EXPECT_EQ(key.readDword("ProxyEnable"), std::nullopt);
    const std::string text = test::readFile(hkcu());
    EXPECT_NE(text.find("\"ProxyServer\"=hex(1):31,2e,32,2e"), std::string::npos) << text;
    EXPECT_EQ(text.find("[HKEY_CURRENT_USER\\X]"), std::string::npos);
    // A malformed hex(1) value is kept as it was, and reads as missing.
    test::writeFile(hkcu(), "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Test]\r\n\"a\"=hex(1):31,3\r\n");
    EXPECT_EQ(Key::open(Hive::CurrentUser, "Software\\Test").readString("a"), std::nullopt);
    EXPECT_NE(test::readFile(hkcu()).find("\"a\"=hex(1):31,3"), std::string::npos);
}

TEST_F(RegistryTest, TwoCopiesOfTheProgramWritingAtOnceLoseNothing)
{
    // Each copy sets values of its own in the same key, read-modify-write each time; without a lock
    // shared between processes one copy's write would drop the other's latest values.
    constexpr int kValues = 150;
    std::vector<pid_t> copies;
    for (int copy = 0; copy < 2; ++copy) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            auto key = Key::open(Hive::CurrentUser, "SOFTWARE\\VORINSOFT\\vorindaili");
            bool ok = true;
            for (int i = 0; i < kValues; ++i)
                ok = ok &&
                     key.writeString("v" + std::to_string(copy) + "_" + std::to_string(i), std::to_string(i));
            ::_exit(ok ? 0 : 1);
        }
        copies.push_back(pid);
    }
    for (pid_t pid : copies) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    auto key = Key::open(Hive::CurrentUser, "SOFTWARE\\VORINSOFT\\vorindaili");
    int found = 0;
    for (int copy = 0; copy < 2; ++copy) {
        for (int i = 0; i < kValues; ++i)
            found +=
                key.readString("v" + std::to_string(copy) + "_" + std::to_string(i)) == std::to_string(i);
    }
    EXPECT_EQ(found, 2 * kValues);
    EXPECT_TRUE(RegFile::parse(test::readFile(hkcu())).has_value());
}

TEST_F(RegistryTest, KeepsLinesItDoesNotUnderstand)
{
    test::writeFile(hkcu(), "REGEDIT4\r\n\r\n"
                            "[HKEY_CURRENT_USER\\SOFTWARE\\VORINSOFT\\vorindaili]\r\n"
                            "\"blob\"=hex:01,02,\\\r\n"
                            "  03,04\r\n"
                            "\"downoption\"=\"10"); // cut off in the middle of the value
    auto key = Key::open(Hive::CurrentUser, "SOFTWARE\\VORINSOFT\\vorindaili");
    EXPECT_EQ(key.readString("downoption"), std::nullopt);
    EXPECT_EQ(key.readString("blob"), std::nullopt);
    ASSERT_TRUE(key.writeString("other", "v"));
    std::string text = test::readFile(hkcu());
    EXPECT_NE(text.find("\"blob\"=hex:01,02,\\\r\n  03,04\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"downoption\"=\"10\r\n"), std::string::npos);
    // Writing the broken value replaces it.
    ASSERT_TRUE(key.writeString("downoption", "100"));
    text = test::readFile(hkcu());
    EXPECT_NE(text.find("\"downoption\"=\"100\"\r\n"), std::string::npos);
    EXPECT_EQ(text.find("\"downoption\"=\"10\r\n"), std::string::npos);
}

TEST_F(RegistryTest, BacksUpAFileThatIsNoHiveBeforeWritingOverIt)
{
    const std::string cases[] = {
        test::bytes("REGEDIT4\r\n\0\x01\x02garbage"),
        "PK\x03\x04 not a hive at all",
        "REGEDIT4\r\n" + std::string(5u << 20, 'x'),
    };
    for (const auto& original : cases) {
        test::writeFile(hkcu(), original);
        auto key = Key::open(Hive::CurrentUser, "SOFTWARE\\VORINSOFT\\vorindaili");
        EXPECT_EQ(key.readString("downoption"), std::nullopt);
        ASSERT_TRUE(key.writeString("downoption", "100"));
        EXPECT_EQ(key.readString("downoption"), "100");
        auto backup = dir_.path() / "HKCU.reg.damaged";
        ASSERT_TRUE(std::filesystem::exists(backup));
        EXPECT_EQ(test::readFile(backup), original);
        std::filesystem::remove(backup);
    }
}

TEST_F(RegistryTest, AReadOnlyStoreReportsTheFailedWriteAndKeepsTheOldFile)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    Key::open(Hive::CurrentUser, "K").writeString("v", "old");
    std::filesystem::permissions(dir_.path(),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    auto r = Key::open(Hive::CurrentUser, "K").writeString("v", "new");
    std::filesystem::permissions(dir_.path(), std::filesystem::perms::owner_all);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("create"), std::string::npos);
    EXPECT_EQ(Key::open(Hive::CurrentUser, "K").readString("v"), "old");
}

TEST_F(RegistryTest, AStoreUnderAFileCannotBeWrittenButStillOpens)
{
    // Works for root too: a folder cannot be made where a plain file stands.
    test::writeFile(dir_.path() / "blocker", "x");
    setenv("VORIN_REGISTRY_DIR", (dir_.path() / "blocker" / "sub").c_str(), 1);
    auto key = Key::open(Hive::CurrentUser, "K");
    EXPECT_EQ(key.readString("v"), std::nullopt);
    EXPECT_FALSE(key.writeString("v", "1").ok);
}

TEST(RegistryPaths, FollowTheEnvironment)
{
    std::string saved = getenv("VORIN_REGISTRY_DIR");
    setenv("VORIN_REGISTRY_DIR", "/tmp/regdir", 1);
    EXPECT_EQ(hiveFile(Hive::CurrentUser), "/tmp/regdir/HKCU.reg");
    EXPECT_EQ(hiveFile(Hive::LocalMachine), "/tmp/regdir/HKLM.reg");
    unsetenv("VORIN_REGISTRY_DIR");
    setenv("XDG_CONFIG_HOME", "/tmp/xdg", 1);
    EXPECT_EQ(hiveFile(Hive::CurrentUser), "/tmp/xdg/vorindaili/HKCU.reg");
    EXPECT_EQ(hiveFile(Hive::LocalMachine), "/etc/vorindaili/HKLM.reg");
    unsetenv("XDG_CONFIG_HOME");
    setenv("VORIN_REGISTRY_DIR", saved.c_str(), 1);
}

TEST(RegFile, ParsesAndWritesBackTheSameText)
{
    const std::string text = "REGEDIT4\r\n\r\n"
                             "[HKEY_CURRENT_USER\\A]\r\n"
                             "@=\"default\"\r\n"
                             "\"s\"=\"q\\\"b\\\\\"\r\n"
                             "\"n\"=dword:00000001\r\n"
                             "\r\n";
    auto file = RegFile::parse(text);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->serialize(), text);
    const auto* section = file->find("hkey_current_user\\a");
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(RegFile::findValue(*section, "")->text, "default");
    EXPECT_EQ(RegFile::findValue(*section, "s")->text, "q\"b\\");
    EXPECT_EQ(RegFile::findValue(*section, "N")->dword, 1u);
    // LF-only files and empty files are hives too.
    EXPECT_TRUE(RegFile::parse("REGEDIT4\n[K]\n\"a\"=\"b\"\n"));
    EXPECT_TRUE(RegFile::parse(""));
    EXPECT_FALSE(RegFile::parse("Windows Registry Editor Version 5.00\r\n"));
    EXPECT_EQ(RegFile::parse("REGEDIT4\r\n[K]\r\n\"n\"=dword:123456789\r\n")->find("K")->entries[0].kind,
              RegFile::Entry::Kind::Other);
}

} // namespace
} // namespace vorin::registry
