// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/download.h"
#include "support/fakes.h"
#include "support/httpfixture.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>

namespace vorin::download {
namespace {

class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = limits();
        setLimits({std::chrono::milliseconds(2000), std::chrono::milliseconds(1500), 1u << 20});
        setProcessProxy("");
    }
    void TearDown() override { setLimits(saved_); }

    Limits saved_;
    test::HttpFixture server;
    test::TempDir dir{"download-test"};
};

TEST_F(DownloadTest, StoresTheExactBytesOfAPage)
{
    const std::string page = test::bytes("GBK \xB5\xD8\xD6\xB7\r\nline\0after NUL");
    server.serve("/page.html", page);
    auto file = dir.path() / "1.cnp";
    EXPECT_EQ(toFile(server.root() + "/page.html", file), Result::Ok);
    EXPECT_EQ(test::readFile(file), page);
    EXPECT_EQ(test::filesIn(dir.path()), 1u);
}

TEST_F(DownloadTest, FailuresLeaveNoFileAndKeepAnOlderOne)
{
    server.serve("/missing", test::HttpFixture::Response::with(404, "gone"));
    server.serve("/error", test::HttpFixture::Response::with(500, "oops"));
    server.serve("/dropped", test::HttpFixture::Response::dropped());
    server.serve("/stalled", test::HttpFixture::Response::stalled());
    server.serve("/huge", std::string((1u << 20) + 1, 'x'));
    const char* paths[] = {"/missing", "/error", "/dropped", "/stalled", "/huge"};
    for (const char* path : paths) {
        auto file = dir.path() / "page";
        EXPECT_EQ(toFile(server.root() + path, file), Result::Failed) << path;
        EXPECT_EQ(test::filesIn(dir.path()), 0u) << path;
        std::ofstream(file) << "older";
        EXPECT_EQ(toFile(server.root() + path, file), Result::Failed) << path;
        EXPECT_EQ(test::readFile(file), "older") << path;
        std::filesystem::remove(file);
    }
    // A closed port, a host that is no URL and a scheme it does not speak.
    EXPECT_EQ(toFile("http://127.0.0.1:9/x", dir.path() / "a"), Result::Failed);
    EXPECT_EQ(toFile("not a url", dir.path() / "b"), Result::Failed);
    EXPECT_EQ(toFile("file:///etc/passwd", dir.path() / "c"), Result::Failed);
    EXPECT_EQ(test::filesIn(dir.path()), 0u);
}

TEST_F(DownloadTest, HostilePagesCannotGrowPastTheCapOrWriteThroughALink)
{
    // An answer that does not announce its length is stopped at the cap all the same.
    auto unannounced = test::HttpFixture::Response::with(200, std::string((1u << 20) + 1, 'x'));
    unannounced.noLength = true;
    server.serve("/unannounced", unannounced);
    EXPECT_EQ(toFile(server.root() + "/unannounced", dir.path() / "page"), Result::Failed);
    EXPECT_EQ(test::filesIn(dir.path()), 0u);
    unannounced.body.resize(1000);
    server.serve("/unannounced", unannounced);
    EXPECT_EQ(toFile(server.root() + "/unannounced", dir.path() / "page"), Result::Ok);
    std::filesystem::remove(dir.path() / "page");

    // A link planted at the page's name is replaced, never written through.
    test::TempDir elsewhere("download-victim");
    const auto victim = elsewhere.path() / "victim";
    test::writeFile(victim, "precious");
    std::filesystem::create_symlink(victim, dir.path() / "page");
    server.serve("/page.html", "127.0.0.1:80\n");
    EXPECT_EQ(toFile(server.root() + "/page.html", dir.path() / "page"), Result::Ok);
    EXPECT_FALSE(std::filesystem::is_symlink(dir.path() / "page"));
    EXPECT_EQ(test::readFile(dir.path() / "page"), "127.0.0.1:80\n");
    EXPECT_EQ(test::readFile(victim), "precious");
}

TEST_F(DownloadTest, FollowsRedirects)
{
    auto moved = test::HttpFixture::Response::with(302, "");
    moved.headers = "Location: /new\r\n";
    server.serve("/old", moved);
    server.serve("/new", "moved here");
    auto file = dir.path() / "r";
    EXPECT_EQ(toFile(server.root() + "/old", file), Result::Ok);
    EXPECT_EQ(test::readFile(file), "moved here");
}

TEST_F(DownloadTest, GoesThroughTheProcessProxy)
{
    test::HttpFixture proxy;
    proxy.serve("/via", "through the proxy");
    setProcessProxy("127.0.0.1:" + std::to_string(proxy.port()));
    auto file = dir.path() / "p";
    EXPECT_EQ(toFile(server.root() + "/via", file), Result::Ok);
    setProcessProxy("");
    EXPECT_EQ(test::readFile(file), "through the proxy");
    EXPECT_EQ(proxy.count(server.root() + "/via"), 1u);
    EXPECT_EQ(server.requests().size(), 0u);
}

TEST_F(DownloadTest, CancelStopsAStalledTransfer)
{
    setLimits({std::chrono::milliseconds(2000), std::chrono::milliseconds(60000), 1u << 20});
    server.serve("/stalled", test::HttpFixture::Response::stalled());
    std::atomic<bool> cancel{false};
    std::thread raiser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        cancel = true;
    });
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(toFile(server.root() + "/stalled", dir.path() / "s", &cancel), Result::Cancelled);
    raiser.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(test::filesIn(dir.path()), 0u);
}

} // namespace
} // namespace vorin::download
