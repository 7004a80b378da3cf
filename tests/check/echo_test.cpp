// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "check/echo.h"

#include <gtest/gtest.h>

namespace vorin {
namespace {

TEST(Echo, ReadsBothShapesOfJudgeAndNothingElse)
{
    using Shape = EchoAnswer::Shape;
    struct Case {
        const char* body;
        Shape shape;
        const char* remote;
        const char* token; // the echoed "vorin" parameter, nullptr for none
        std::size_t headers;
    };
    const Case cases[] = {
        {"<pre>\nREMOTE_ADDR = 127.0.0.5\nHTTP_VIA = 1.1 proxy\nQUERY_STRING = a=1&vorin=abc\n</pre>",
         Shape::Azenv, "127.0.0.5", "abc", 1},
        {"REMOTE_ADDR = 127.0.0.5<br>HTTP_X_FORWARDED_FOR = 127.0.0.1<br>QUERY_STRING = <br>", Shape::Azenv,
         "127.0.0.5", nullptr, 1},
        {"<p>REMOTE_ADDR = 127.0.0.5<br />HTTP_VIA = 1.1 p<br/>QUERY_STRING = vorin=abc<br />", Shape::Azenv,
         "127.0.0.5", "abc", 1}, // one line, XHTML breaks
        {R"({"args": {"vorin": "abc"}, "headers": {"Via": "1.1 p", "Host": "j"}, "origin": "127.0.0.1, 127.0.0.5"})",
         Shape::Httpbin, "127.0.0.1, 127.0.0.5", "abc", 2},
        {R"({"args": {"vorin": 5}, "headers": {}})", Shape::Httpbin, "", nullptr, 0},
        {R"({"args": {"vorin": "abc"}})", Shape::None, "", nullptr, 0}, // no headers: not httpbin
        {"QUERY_STRING = vorin=abc", Shape::None, "", nullptr, 0},      // no REMOTE_ADDR: not azenv
        {"<html>您的IP地址</html>", Shape::None, "", nullptr, 0},
        {"{broken", Shape::None, "", nullptr, 0},
    };
    for (const Case& c : cases) {
        const EchoAnswer a = parseEcho(c.body);
        EXPECT_EQ(a.shape, c.shape) << c.body;
        EXPECT_EQ(a.remoteAddr, c.remote) << c.body;
        EXPECT_EQ(echoedParam(a, "vorin"), c.token ? std::optional<std::string>(c.token) : std::nullopt)
            << c.body;
        EXPECT_EQ(a.headers.size(), c.headers) << c.body;
    }
}

TEST(Echo, TheTokenJoinsTheQueryStringOnce)
{
    EXPECT_EQ(withQueryParam("http://j/azenv.php", "vorin", "t"), "http://j/azenv.php?vorin=t");
    EXPECT_EQ(withQueryParam("http://j/get?a=1", "vorin", "t"), "http://j/get?a=1&vorin=t");
    EXPECT_EQ(withQueryParam("http://j/get?", "vorin", "t"), "http://j/get?vorin=t");
    EXPECT_EQ(withQueryParam("http://j/get#top", "vorin", "t"), "http://j/get?vorin=t");
    // A token parameter already in the judge's URL would be echoed first: it goes.
    EXPECT_EQ(withQueryParam("http://j/get?vorin=old&a=1", "vorin", "t"), "http://j/get?a=1&vorin=t");
    EXPECT_EQ(withQueryParam("http://j/get?a=1&vorin", "vorin", "t"), "http://j/get?a=1&vorin=t");
}

TEST(Echo, FactsCompareWholeAddressesAndLeaveOutWhatTheJudgeAddsItself)
{
    const std::vector<std::string> judgeOwn = {"X_FORWARDED_FOR"}; // the judge's own front adds this one
    struct Case {
        const char* body;
        Anonymity anonymity;
        const char* exit;
    };
    const Case cases[] = {
        {"REMOTE_ADDR = 127.0.0.15\nHTTP_HOST = 127.0.0.1:80\n", Anonymity::Elite, "127.0.0.15"},
        {"REMOTE_ADDR = 127.0.0.15\nHTTP_X_FORWARDED_FOR = 127.0.0.15\n", Anonymity::Elite, "127.0.0.15"},
        {"REMOTE_ADDR = 127.0.0.15\nHTTP_FORWARDED = for=127.0.0.1:5000\n", Anonymity::Transparent,
         "127.0.0.15"},
        {"REMOTE_ADDR = 127.0.0.15\nHTTP_VIA = 1.1 squid\n", Anonymity::Anonymous, "127.0.0.15"},
        {R"({"headers": {"Proxy-Connection": "keep-alive"}, "origin": "127.0.0.9, 127.0.0.15"})",
         Anonymity::Anonymous, "127.0.0.15"},
        {R"({"headers": {}, "origin": "127.0.0.1, 127.0.0.15"})", Anonymity::Transparent, "127.0.0.15"},
        // The machine's address forwarded IPv4-mapped is still the machine's.
        {"REMOTE_ADDR = 127.0.0.15\nHTTP_X_REAL_IP = ::FFFF:127.0.0.1\n", Anonymity::Transparent,
         "127.0.0.15"},
        // Either family's address of the machine gives it away, whichever the program's own ask used.
        {"REMOTE_ADDR = 127.0.0.15\nHTTP_X_FORWARDED_FOR = 127.0.0.2\n", Anonymity::Transparent,
         "127.0.0.15"},
        {"REMOTE_ADDR = 127.0.0.15\nHTTP_X_FORWARDED_FOR = 2001:db8::7\n", Anonymity::Transparent,
         "127.0.0.15"},
        {R"({"headers": {}, "origin": "not an address"})", Anonymity::Elite, ""},
        {"<html>nothing echoed</html>", Anonymity::Unknown, ""},
    };
    for (const Case& c : cases) {
        const EchoFacts f = echoFacts(parseEcho(c.body), "127.0.0.1,2001:db8::7,127.0.0.2", judgeOwn);
        EXPECT_EQ(f.anonymity, c.anonymity) << c.body;
        EXPECT_EQ(f.exitIp, c.exit) << c.body;
    }
    // Without the program's own address nothing is said of the anonymity.
    EXPECT_EQ(echoFacts(parseEcho("REMOTE_ADDR = 127.0.0.15\n"), "", {}).anonymity, Anonymity::Unknown);
}

} // namespace
} // namespace vorin
