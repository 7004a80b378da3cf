// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "support/httpfixture.h"

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vorin::test {

// A proxy for tests on loopback that really passes requests on: HTTP (absolute-URI requests and CONNECT
// tunnels), SOCKS4 or SOCKS5, each optionally wanting credentials, connecting onwards from an address of
// its own so that the judge sees a distinct exit address. Targets must be IPv4 loopback addresses.
class FakeProxy {
public:
    enum class Kind {
        Http,
        Socks4,
        Socks5,
    };
    struct Options {
        Kind kind = Kind::Http;
        std::string upstreamFrom; // the address of its onward connections (127.0.0.x); "" for any
        std::string addHeaders;   // Http: header lines (CR LF each) added to requests; {client} is the client
        bool forwardGet = true;   // Http: passes absolute-URI requests on (else 405)
        bool connect = true;      // Http: opens CONNECT tunnels (else 405)
        std::string cachedPage;   // Http: answers every request with this page instead
        std::string credentials;  // "user:password" it wants (SOCKS4: the user id)
        std::map<std::string, std::string> names; // SOCKS4a: names it resolves itself (to 127.0.0.x)
    };

    explicit FakeProxy(Options options);
    // A proxy of kind that wants no credentials, connecting onwards from upstreamFrom.
    FakeProxy(Kind kind, const std::string& upstreamFrom, const std::string& addHeaders = {})
        : FakeProxy(Options{kind, upstreamFrom, addHeaders, true, true, {}, {}, {}})
    {
    }
    ~FakeProxy();
    FakeProxy(const FakeProxy&) = delete;
    FakeProxy& operator=(const FakeProxy&) = delete;

    std::string hostPort() const { return "127.0.0.1:" + std::to_string(port_); }

private:
    void acceptLoop();
    void serve(int fd);
    void serveHttp(int fd);
    void serveSocks4(int fd);
    void serveSocks5(int fd);

    Options options_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::vector<std::thread> connections_;
    std::thread acceptor_;
};

// Echo judges: an azenv-style page ("NAME = value" lines) and an httpbin-style one (JSON; a forwarded
// chain in X-Forwarded-For comes first in origin, the peer last), for HttpFixture::serve.
HttpFixture::Response azenvJudge();
HttpFixture::Response httpbinJudge();

} // namespace vorin::test
