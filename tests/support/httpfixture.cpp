// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "support/httpfixture.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace vorin::test {
namespace {

void sendAll(int fd, const std::string& data)
{
    std::size_t sent = 0;
    while (sent < data.size()) {
        ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        sent += static_cast<std::size_t>(n);
    }
}

const char* reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

} // namespace

HttpFixture::HttpFixture(const std::string& address, int port) : address_(address)
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    if (::inet_pton(AF_INET, address_.c_str(), &addr.sin_addr) != 1 ||
        (ntohl(addr.sin_addr.s_addr) >> 24) != 127)
        throw std::runtime_error("fixture servers listen on loopback only");
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listenFd_, 64) != 0)
        throw std::runtime_error("fixture server cannot listen");
    socklen_t len = sizeof addr;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    acceptor_ = std::thread([this] { acceptLoop(); });
}

HttpFixture::~HttpFixture()
{
    {
        std::lock_guard lock(waitMutex_);
        stopping_ = true;
    }
    stopped_.notify_all();
    acceptor_.join();
    ::close(listenFd_);
    std::vector<std::thread> connections;
    {
        std::lock_guard lock(mutex_);
        connections.swap(connections_);
    }
    for (auto& t : connections)
        t.join();
}

void HttpFixture::serve(const std::string& path, Response response)
{
    std::lock_guard lock(mutex_);
    responses_[path] = std::move(response);
}

std::vector<std::string> HttpFixture::requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

std::size_t HttpFixture::count(const std::string& target) const
{
    std::lock_guard lock(mutex_);
    std::size_t n = 0;
    for (const auto& r : requests_)
        n += r == target;
    return n;
}

void HttpFixture::acceptLoop()
{
    while (!stopping_) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0)
            continue;
        int fd = ::accept(listenFd_, nullptr, nullptr);
        if (fd < 0)
            continue;
        std::lock_guard lock(mutex_);
        connections_.emplace_back([this, fd] { handle(fd); });
    }
}

void HttpFixture::handle(int fd)
{
    const int active = ++active_;
    for (int peak = peak_.load(); active > peak && !peak_.compare_exchange_weak(peak, active);) {
    }
    std::string request;
    char buf[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536 && !stopping_) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0)
            continue;
        ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        request.append(buf, static_cast<std::size_t>(n));
    }
    // "GET /path HTTP/1.1" or, from a proxy client, "GET http://host/path HTTP/1.1".
    std::string target;
    if (auto sp = request.find(' '); sp != std::string::npos) {
        auto sp2 = request.find(' ', sp + 1);
        target = request.substr(sp + 1, sp2 == std::string::npos ? std::string::npos : sp2 - sp - 1);
    }
    std::string path = target;
    if (path.rfind("http://", 0) == 0) {
        auto slash = path.find('/', 7);
        path = slash == std::string::npos ? "/" : path.substr(slash);
    }
    Response response = Response::with(404, "not found");
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(target);
        const std::string bare = path.substr(0, path.find('?'));
        if (auto it = responses_.find(path); it != responses_.end())
            response = it->second;
        else if (auto full = responses_.find(target); full != responses_.end())
            response = full->second;
        else if (auto query = responses_.find(bare); query != responses_.end())
            response = query->second;
    }
    // Sleeps without polling (a thousand connections waiting at once must not keep the cores busy), and
    // wakes when the server stops.
    auto wait = [this](int ms) {
        std::unique_lock lock(waitMutex_);
        stopped_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping_.load(); });
    };
    if (response.echo)
        response.body = response.echo(target);
    sockaddr_in peer{};
    socklen_t peerLen = sizeof peer;
    char text[INET_ADDRSTRLEN] = "";
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerLen) == 0)
        ::inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
    if (response.byPeer) {
        auto [status, body] = response.byPeer(text);
        if (status != 0) {
            response.status = status;
            response.body = std::move(body);
            response.echo = nullptr;
            response.reflect = nullptr;
        }
    }
    if (response.reflect) {
        const auto lineEnd = request.find("\r\n");
        const auto headEnd = request.find("\r\n\r\n");
        const std::string headers = lineEnd == std::string::npos || headEnd == std::string::npos
                                        ? std::string()
                                        : request.substr(lineEnd + 2, headEnd - lineEnd);
        response.body = response.reflect(target, headers, text);
    }
    if (response.stall)
        wait(24 * 3600 * 1000);
    else if (response.delayMs > 0)
        wait(response.delayMs);
    // The request stops counting as waiting before its answer leaves, so the client cannot have seen the
    // answer (and sent its next request) while it still counts.
    --active_;
    if (!response.drop && !response.stall) {
        sendAll(fd,
                "HTTP/1.1 " + std::to_string(response.status) + " " + reason(response.status) +
                    "\r\nContent-Type: text/html\r\n" +
                    (response.noLength ? std::string()
                                       : "Content-Length: " + std::to_string(response.body.size()) + "\r\n") +
                    "Connection: close\r\n" + response.headers + "\r\n");
        sendAll(fd, response.body);
    }
    ::shutdown(fd, SHUT_RDWR);
    ::close(fd);
}

} // namespace vorin::test
