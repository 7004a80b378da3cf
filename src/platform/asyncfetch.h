// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "platform/hostport.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vorin {

// Asynchronous fetches on libcurl's multi interface, driven by one network thread of the engine's own:
// the stand-in for the internet library's asynchronous mode. Each fetch uses a fresh connection, never a
// cache, and reads at most the first bodyLimit bytes of a "200" answer; other answers are not read at all.
class FetchEngine {
public:
    struct Request {
        std::string url;
        HostPort proxy; // empty means direct
        // How the proxy is spoken to, always set here and never read from its text: Http sends the request
        // to the proxy, Https asks it for a CONNECT tunnel and sends the request inside, Socks4 and Socks5
        // resolve the target's name here and ask the proxy for a connection to the address.
        Protocol kind = Protocol::Http;
        // Credentials for the proxy (HTTP basic, SOCKS5 user name and password, SOCKS4 user id); none when
        // the user name is empty.
        std::string proxyUser;
        std::string proxyPassword;
        std::string agent;
        std::chrono::milliseconds connectTimeout{3000};
        std::chrono::milliseconds totalTimeout{15000};
        std::size_t bodyLimit = 120;
        // The address family the site is reached over: either, or only IPv4 or IPv6 (learning the address
        // this machine has in each).
        enum class Family : std::uint8_t { Any, V4, V6 } family = Family::Any;
    };
    struct Result {
        std::string status; // the status code as text ("200"); empty when no answer came
        std::string body;   // the first bytes of a "200" answer's body, at most bodyLimit
        bool bodyRead = false;
        // The request failed on this machine, not at the proxy: no descriptor or local port was left, or
        // memory ran out. Its verdict says nothing of the proxy.
        bool localFailure = false;
        // The answer's Server header (that of the site, never of a proxy's CONNECT answer); empty when it
        // had none. It tells a judge's own refusal apart from a proxy's error page.
        std::string server;
    };
    // Runs on the network thread, after the engine has finished with the request.
    using Done = std::function<void(const Result&)>;

    FetchEngine();
    // Stops the network thread; requests under way end without their Done.
    ~FetchEngine();
    FetchEngine(const FetchEngine&) = delete;
    FetchEngine& operator=(const FetchEngine&) = delete;

    // Any thread: issues the request and returns at once with its id; Done follows exactly once unless the
    // request is cancelled first. Starts the network thread on first use.
    std::uint64_t submit(Request request, Done done);
    // Any thread: drops the request; its Done is not called once this returns, unless it was already
    // running on the network thread.
    void cancel(std::uint64_t id);

    // Requests issued and not yet finished.
    std::size_t inFlight() const;

    // The process's limit on open descriptors, its soft limit first raised to the hard one; every request
    // in flight holds one.
    static std::size_t descriptorLimit();

    // One blocking fetch on the calling thread, for callers that want the answer at once.
    static Result fetchNow(const Request& request);

    struct Transfer; // one request on the wire; network thread only

private:
    // The network thread (the platform's loop).
    void run();
    // Network thread: issues the requests that came in and drops the cancelled ones; false when stopping.
    bool takeWork();
    // Network thread: hands each finished transfer's result to its caller.
    void deliverFinished();
    // Network thread, stopping: drops the transfers still under way, without their Done.
    void dropActive();
    // Any thread: makes the network thread look at the incoming and cancelled requests.
    void wake();
    // Destruction: releases what wake() uses.
    void closeWake();

    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<Transfer>> incoming_;
    std::vector<std::uint64_t> cancelled_;
    std::map<std::uint64_t, std::unique_ptr<Transfer>> active_; // network thread only
    std::size_t inFlight_ = 0;
    std::uint64_t nextId_ = 0;
    bool stopping_ = false;
    void* multi_ = nullptr;
    int wake_ = -1; // Linux: an event descriptor the network thread waits on beside the sockets
    std::thread thread_;
};

} // namespace vorin
