// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace vorin::test {

// A small HTTP server on 127.0.0.1 with a port of its own, for tests: it answers each request from a
// table of paths, records what was asked, and can misbehave on purpose. It also takes proxy-style
// requests ("GET http://host/path"), recording the full target. Stops and joins its threads when destroyed.
class HttpFixture {
public:
    struct Response {
        int status = 200;
        std::string body;
        int delayMs = 0;       // wait before answering
        bool stall = false;    // accept, read the request and never answer
        bool drop = false;     // close the connection without answering
        std::string headers;   // extra header lines, each ending in CR LF
        bool noLength = false; // no Content-Length: the body ends when the connection closes
        // When set, the body is made from the request target (an echo judge, a proxy that passes a
        // request on to one).
        std::function<std::string(const std::string& target)> echo;
        // The same with the request's header lines (as received, CR LF each) and the address it came from,
        // for echo judges.
        std::function<std::string(const std::string& target, const std::string& headers,
                                  const std::string& peer)>
            reflect;
        // When set, the status and body by the address the request came from (a judge that answers the
        // program itself and refuses requests through proxies); 0 keeps status and body.
        std::function<std::pair<int, std::string>(const std::string& peer)> byPeer;

        static Response with(int status, std::string body, int delayMs = 0)
        {
            Response r;
            r.status = status;
            r.body = std::move(body);
            r.delayMs = delayMs;
            return r;
        }
        static Response stalled()
        {
            Response r;
            r.stall = true;
            return r;
        }
        static Response dropped()
        {
            Response r;
            r.drop = true;
            return r;
        }
    };

    // Listens on address (any of 127.0.0.0/8) at port, by default one of the system's choosing.
    explicit HttpFixture(const std::string& address = "127.0.0.1", int port = 0);
    ~HttpFixture();
    HttpFixture(const HttpFixture&) = delete;
    HttpFixture& operator=(const HttpFixture&) = delete;

    int port() const { return port_; }
    const std::string& address() const { return address_; }
    std::string hostPort() const { return address_ + ":" + std::to_string(port_); }
    std::string root() const { return "http://" + hostPort(); }

    // What a path answers (a path with a query is looked up as written, then without its query); unknown
    // paths answer 404.
    void serve(const std::string& path, Response response);
    void serve(const std::string& path, std::string body)
    {
        serve(path, Response::with(200, std::move(body)));
    }

    // Request targets in the order they arrived.
    std::vector<std::string> requests() const;
    std::size_t count(const std::string& target) const;
    // The most requests that were waiting for their answer at one time.
    int peakWaiting() const { return peak_.load(); }

private:
    void acceptLoop();
    void handle(int fd);

    std::string address_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> active_{0};
    std::atomic<int> peak_{0};
    std::mutex waitMutex_;
    std::condition_variable stopped_;
    mutable std::mutex mutex_;
    std::map<std::string, Response> responses_;
    std::vector<std::string> requests_;
    std::vector<std::thread> connections_;
    std::thread acceptor_;
};

} // namespace vorin::test
