// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "config/judge.h"
#include "config/sources.h"
#include "config/userfile.h"
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
    // The status line names the first and counts the rest with their lines.
    EXPECT_EQ(problemsSummary(list.problems), list.problems[0] + "（另有 4 行有误：第 7、8、9、10 行）");
}

// What Notepad and a Chinese input method put in a file: a byte-order mark before the first line, and the
// full-width blank between words; both separate as ASCII blanks do.
TEST(Sources, AByteOrderMarkAndFullWidthBlanksAreNoPartOfAWord)
{
    const SourceList list = parseSources("\xEF\xBB\xBFhttp://127.0.0.1:8000/a.txt\n"
                                         "http://127.0.0.1:8000/c.txt\xE3\x80\x80socks5\n"
                                         "\xE3\x80\x80# a comment after a full-width blank\n");
    ASSERT_EQ(list.sources.size(), 2u) << (list.problems.empty() ? "" : list.problems[0]);
    EXPECT_EQ(list.sources[0].url, "http://127.0.0.1:8000/a.txt");
    EXPECT_EQ(list.sources[1].url, "http://127.0.0.1:8000/c.txt");
    EXPECT_EQ(list.sources[1].protocol, "socks5");
    EXPECT_TRUE(list.problems.empty());
}

TEST(Sources, AMissingFileIsMadeFromTheDefaultWhichReadsWithoutProblems)
{
    test::TempDir dir("sources");
    const auto file = dir.path() / "sources.txt";
    SourceList list;
    std::string text;
    ASSERT_TRUE(loadSources(file, Endpoints::defaults(), list, &text));
    EXPECT_EQ(text, defaultSourcesText());
    EXPECT_EQ(test::readFile(file), defaultSourcesText());
    EXPECT_TRUE(list.problems.empty());
    EXPECT_GE(list.sources.size(), 4u);
    EXPECT_FALSE(loadSources(dir.path(), Endpoints::defaults(), list)); // a folder
}

TEST(Judges, ReadsEachRuleAndReportsEveryOtherLine)
{
    const Endpoints sites = test::loopbackEndpoints();
    const JudgeList list = parseJudges("# pool\n"
                                       "builtin\n"
                                       "http://127.0.0.1:9/azenv.php   # echo\n"
                                       "http://127.0.0.1:9/alive marker ALIVE\n"
                                       "https://127.0.0.1:9/x marker OK 64\n"
                                       "http://127.0.0.1:9/y marker\n"       // no text
                                       "http://127.0.0.1:9/y marker ABC 2\n" // bytes below its length
                                       "http://127.0.0.1:9/y marker A 12x\n" // no number
                                       "http://127.0.0.1:9/y mark A\n"       // no such word
                                       "ftp://127.0.0.1/azenv\n",
                                       sites);
    ASSERT_EQ(list.judges.size(), 4u);
    EXPECT_TRUE(list.judges[0].isBuiltin(sites));
    EXPECT_EQ(list.judges[1].rule, Judge::Rule::Echo);
    EXPECT_EQ(list.judges[1].url, "http://127.0.0.1:9/azenv.php");
    EXPECT_EQ(list.judges[2].marker, "ALIVE");
    EXPECT_EQ(list.judges[2].markerBytes, 120u);
    EXPECT_EQ(list.judges[3].markerBytes, 64u);
    ASSERT_EQ(list.problems.size(), 5u);
    EXPECT_EQ(list.problems[0].rfind("第 6 行", 0), 0u) << list.problems[0];
    EXPECT_EQ(list.problems[4].rfind("第 10 行", 0), 0u) << list.problems[4];
}

TEST(Judges, TheDefaultPoolStartsWithTheBuiltinPageAndNamesTheSitesInForce)
{
    test::TempDir dir("judges");
    const Endpoints sites = test::loopbackEndpoints();
    JudgeList list;
    ASSERT_TRUE(loadJudges(dir.path() / "judges.txt", sites, list));
    EXPECT_TRUE(list.problems.empty());
    ASSERT_GE(list.judges.size(), 5u);
    EXPECT_TRUE(list.judges[0].isBuiltin(sites));
    // Every judge of the pool is on the configured (here loopback) sites, and all but the first echo.
    for (std::size_t i = 1; i < list.judges.size(); ++i) {
        EXPECT_EQ(list.judges[i].url.rfind(sites.root("iplookup"), 0), 0u) << list.judges[i].url;
        EXPECT_EQ(list.judges[i].rule, Judge::Rule::Echo);
    }
    // The installed text names the public sites.
    EXPECT_NE(defaultJudgesText().find("http://azenv.net/"), std::string::npos);
}

} // namespace
} // namespace vorin
