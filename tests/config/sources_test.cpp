// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "config/sources.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

namespace vorin {
namespace {

TEST(Sources, ReadsUrlAndProtocolAndReportsEveryOtherLine)
{
    const SourceList list = parseSources("# comment\n"
                                         "http://127.0.0.1:8000/a.txt\n"
                                         "  https://127.0.0.1:8000/b.json   SOCKS5   # trailing comment\n"
                                         "\n"
                                         "http://127.0.0.1:8000/c#part socks4\n"
                                         "ftp://127.0.0.1/list.txt\n"
                                         "file:///etc/passwd\n"
                                         "http://127.0.0.1:8000/d.txt gopher\n"
                                         "http://127.0.0.1:8000/e.txt http extra\n"
                                         "http:///nohost\n");
    ASSERT_EQ(list.sources.size(), 3u);
    EXPECT_EQ(list.sources[0].url, "http://127.0.0.1:8000/a.txt");
    EXPECT_EQ(list.sources[0].protocol, "http");
    EXPECT_EQ(list.sources[1].url, "https://127.0.0.1:8000/b.json");
    EXPECT_EQ(list.sources[1].protocol, "socks5");
    EXPECT_EQ(list.sources[2].url, "http://127.0.0.1:8000/c#part");
    EXPECT_EQ(list.sources[2].protocol, "socks4");
    ASSERT_EQ(list.problems.size(), 5u);
    EXPECT_EQ(list.problems[0].rfind("第 6 行", 0), 0u) << list.problems[0];
    EXPECT_EQ(list.problems[4].rfind("第 10 行", 0), 0u) << list.problems[4];
}

TEST(Sources, AMissingFileIsMadeFromTheDefaultWhichReadsWithoutProblems)
{
    test::TempDir dir("sources");
    const auto file = dir.path() / "sources.txt";
    SourceList list;
    std::string text;
    ASSERT_TRUE(loadSources(file, list, &text));
    EXPECT_EQ(text, defaultSourcesText());
    EXPECT_EQ(test::readFile(file), defaultSourcesText());
    EXPECT_TRUE(list.problems.empty());
    EXPECT_GE(list.sources.size(), 4u);
    EXPECT_FALSE(loadSources(dir.path(), list)); // a folder
}

} // namespace
} // namespace vorin
