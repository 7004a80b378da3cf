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

TEST(Echo, TheTokenJoinsTheQueryString)
{
    EXPECT_EQ(withQueryParam("http://j/azenv.php", "vorin", "t"), "http://j/azenv.php?vorin=t");
    EXPECT_EQ(withQueryParam("http://j/get?a=1", "vorin", "t"), "http://j/get?a=1&vorin=t");
    EXPECT_EQ(withQueryParam("http://j/get?", "vorin", "t"), "http://j/get?vorin=t");
    EXPECT_EQ(withQueryParam("http://j/get#top", "vorin", "t"), "http://j/get?vorin=t");
}

} // namespace
} // namespace vorin
