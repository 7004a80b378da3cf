// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "support/fakeproxy.h"

#include <arpa/inet.h>
#include <cstdint>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace vorin::test {
namespace {

bool sendAll(int fd, const std::string& data)
{
    std::size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

// Reads up to n bytes more into out, waiting at most 3 s in all; false when the peer goes first.
bool readExact(int fd, std::size_t n, std::string& out)
{
    char buf[512];
    while (n > 0) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 3000) <= 0)
            return false;
        const ssize_t got = ::recv(fd, buf, std::min(n, sizeof buf), 0);
        if (got <= 0)
            return false;
        out.append(buf, static_cast<std::size_t>(got));
        n -= static_cast<std::size_t>(got);
    }
    return true;
}

// Reads an HTTP head (through the blank line); what came after it stays in rest.
bool readHead(int fd, std::string& head, std::string& rest)
{
    std::string data;
    while (data.find("\r\n\r\n") == std::string::npos) {
        if (data.size() > 65536 || !readExact(fd, 1, data))
            return false;
    }
    const auto end = data.find("\r\n\r\n") + 4;
    head = data.substr(0, end);
    rest = data.substr(end);
    return true;
}

int connectTo(const std::string& host, int port, const std::string& from)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::inet_pton(AF_INET, host.c_str(), &to.sin_addr) != 1 || (ntohl(to.sin_addr.s_addr) >> 24) != 127)
        return -1; // loopback only, whatever a test asks for
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (!from.empty()) {
        sockaddr_in local{};
        local.sin_family = AF_INET;
        ::inet_pton(AF_INET, from.c_str(), &local.sin_addr);
        ::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
    }
    if (::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Copies bytes both ways until either side closes or the proxy stops.
void relay(int a, int b, const std::atomic<bool>& stopping)
{
    char buf[4096];
    while (!stopping) {
        pollfd p[2] = {{a, POLLIN, 0}, {b, POLLIN, 0}};
        const int ready = ::poll(p, 2, 50);
        if (ready < 0)
            return;
        for (int i = 0; i < 2; ++i) {
            if (!(p[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t n = ::recv(p[i].fd, buf, sizeof buf, 0);
            if (n <= 0 || !sendAll(p[1 - i].fd, std::string(buf, static_cast<std::size_t>(n))))
                return;
        }
    }
}

std::string base64(const std::string& in)
{
    static constexpr char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < in.size(); i += 3) {
        std::uint32_t v = static_cast<unsigned char>(in[i]) << 16;
        if (i + 1 < in.size())
            v |= static_cast<unsigned char>(in[i + 1]) << 8;
        if (i + 2 < in.size())
            v |= static_cast<unsigned char>(in[i + 2]);
        out += digits[(v >> 18) & 63];
        out += digits[(v >> 12) & 63];
        out += i + 1 < in.size() ? digits[(v >> 6) & 63] : '=';
        out += i + 2 < in.size() ? digits[v & 63] : '=';
    }
    return out;
}

std::string peerOf(int fd)
{
    sockaddr_in peer{};
    socklen_t len = sizeof peer;
    char text[INET_ADDRSTRLEN] = "";
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &len) == 0)
        ::inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
    return text;
}

std::string lower(std::string s)
{
    for (char& c : s)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return s;
}

// host and port of "host:port".
bool splitHostPort(const std::string& text, std::string& host, int& port)
{
    const auto colon = text.rfind(':');
    if (colon == std::string::npos)
        return false;
    host = text.substr(0, colon);
    port = std::atoi(text.c_str() + colon + 1);
    return port > 0;
}

} // namespace

FakeProxy::FakeProxy(Options options) : options_(std::move(options))
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listenFd_, 64) != 0)
        throw std::runtime_error("fake proxy cannot listen");
    socklen_t len = sizeof addr;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    acceptor_ = std::thread([this] { acceptLoop(); });
}

FakeProxy::~FakeProxy()
{
    stopping_ = true;
    acceptor_.join();
    ::close(listenFd_);
    for (auto& t : connections_)
        t.join();
}

void FakeProxy::acceptLoop()
{
    while (!stopping_) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0)
            continue;
        const int fd = ::accept(listenFd_, nullptr, nullptr);
        if (fd < 0)
            continue;
        std::lock_guard lock(mutex_);
        connections_.emplace_back([this, fd] {
            serve(fd);
            ::close(fd);
        });
    }
}

void FakeProxy::serve(int fd)
{
    switch (options_.kind) {
    case Kind::Http:
        serveHttp(fd);
        break;
    case Kind::Socks4:
        serveSocks4(fd);
        break;
    case Kind::Socks5:
        serveSocks5(fd);
        break;
    }
}

void FakeProxy::serveHttp(int fd)
{
    std::string head;
    std::string rest;
    if (!readHead(fd, head, rest))
        return;
    const auto sp1 = head.find(' ');
    const auto sp2 = head.find(' ', sp1 + 1);
    const std::string method = head.substr(0, sp1);
    const std::string target = head.substr(sp1 + 1, sp2 - sp1 - 1);
    // The header lines, those meant for the proxy itself left out.
    std::string headers;
    bool authorized = options_.credentials.empty();
    for (std::size_t at = head.find("\r\n") + 2; at < head.size();) {
        const auto end = head.find("\r\n", at);
        const std::string line = head.substr(at, end - at);
        at = end + 2;
        if (line.empty())
            break;
        const std::string name = lower(line.substr(0, line.find(':')));
        if (name == "proxy-authorization") {
            authorized =
                authorized || line.substr(line.find(':') + 1) == " Basic " + base64(options_.credentials);
            continue;
        }
        if (name == "proxy-connection" || name == "connection")
            continue;
        headers += line + "\r\n";
    }
    if (!authorized) {
        sendAll(fd,
                "HTTP/1.1 407 Proxy Authentication Required\r\nProxy-Authenticate: Basic realm=\"fake\"\r\n"
                "Content-Length: 0\r\nConnection: close\r\n\r\n");
        return;
    }
    const bool tunnel = method == "CONNECT";
    if ((tunnel && !options_.connect) || (!tunnel && !options_.forwardGet)) {
        sendAll(fd, "HTTP/1.1 405 Method Not Allowed\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        return;
    }
    if (!tunnel && !options_.cachedPage.empty()) {
        sendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(options_.cachedPage.size()) +
                        "\r\nConnection: close\r\n\r\n" + options_.cachedPage);
        return;
    }
    std::string host;
    int port = 0;
    std::string path = "/";
    if (tunnel) {
        if (!splitHostPort(target, host, port))
            return;
    } else {
        if (target.rfind("http://", 0) != 0)
            return;
        const auto slash = target.find('/', 7);
        if (slash != std::string::npos)
            path = target.substr(slash);
        if (!splitHostPort(target.substr(7, slash == std::string::npos ? std::string::npos : slash - 7), host,
                           port))
            return;
    }
    const int up = connectTo(host, port, options_.upstreamFrom);
    if (up < 0) {
        sendAll(fd, "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        return;
    }
    if (tunnel) {
        sendAll(fd, "HTTP/1.1 200 Connection established\r\n\r\n");
        if (rest.empty() || sendAll(up, rest))
            relay(fd, up, stopping_);
    } else {
        std::string added = options_.addHeaders;
        for (auto at = added.find("{client}"); at != std::string::npos; at = added.find("{client}"))
            added.replace(at, 8, peerOf(fd));
        if (sendAll(up, method + " " + path + " HTTP/1.0\r\n" + headers + added +
                            "Connection: close\r\n\r\n" + rest))
            relay(fd, up, stopping_);
    }
    ::close(up);
}

void FakeProxy::serveSocks4(int fd)
{
    std::string req;
    if (!readExact(fd, 8, req) || req[0] != 4 || req[1] != 1)
        return;
    std::string user;
    for (std::string c; readExact(fd, 1, c) && c.back() != '\0'; c.clear())
        user += c;
    const int port = (static_cast<unsigned char>(req[2]) << 8) | static_cast<unsigned char>(req[3]);
    char address[INET_ADDRSTRLEN];
    ::inet_ntop(AF_INET, req.data() + 4, address, sizeof address);
    std::string host = address;
    if (req.compare(4, 3, std::string(3, '\0')) == 0 && req[7] != 0) { // SOCKS4a: the name follows
        std::string name;
        for (std::string c; readExact(fd, 1, c) && c.back() != '\0'; c.clear())
            name += c;
        const auto known = options_.names.find(name);
        host = known != options_.names.end() ? known->second : name;
    }
    const std::string wanted = options_.credentials.substr(0, options_.credentials.find(':'));
    const int up = wanted == user ? connectTo(host, port, options_.upstreamFrom) : -1;
    sendAll(fd, std::string("\0", 1) + (up >= 0 ? '\x5a' : '\x5b') + req.substr(2, 6));
    if (up >= 0) {
        relay(fd, up, stopping_);
        ::close(up);
    }
}

void FakeProxy::serveSocks5(int fd)
{
    std::string greeting;
    if (!readExact(fd, 2, greeting) || greeting[0] != 5 ||
        !readExact(fd, static_cast<unsigned char>(greeting[1]), greeting))
        return;
    const char method = options_.credentials.empty() ? '\x00' : '\x02';
    if (greeting.find(method, 2) == std::string::npos) {
        sendAll(fd, "\x05\xff");
        return;
    }
    sendAll(fd, std::string("\x05", 1) + method);
    if (method == '\x02') {
        std::string auth;
        if (!readExact(fd, 2, auth) || !readExact(fd, static_cast<unsigned char>(auth[1]), auth) ||
            !readExact(fd, 1, auth) || !readExact(fd, static_cast<unsigned char>(auth.back()), auth))
            return;
        const std::size_t ulen = static_cast<unsigned char>(auth[1]);
        const std::string user = auth.substr(2, ulen);
        const std::string password = auth.substr(3 + ulen);
        const bool ok = user + ":" + password == options_.credentials;
        sendAll(fd, std::string("\x01", 1) + (ok ? std::string("\0", 1) : std::string("\x01")));
        if (!ok)
            return;
    }
    std::string req;
    if (!readExact(fd, 4, req) || req[1] != 1 || req[3] != 1 || !readExact(fd, 6, req))
        return; // a connection to an IPv4 address is all the checks ask for
    char host[INET_ADDRSTRLEN];
    ::inet_ntop(AF_INET, req.data() + 4, host, sizeof host);
    const int port = (static_cast<unsigned char>(req[8]) << 8) | static_cast<unsigned char>(req[9]);
    const int up = connectTo(host, port, options_.upstreamFrom);
    sendAll(fd, std::string("\x05", 1) + (up >= 0 ? std::string("\0", 1) : std::string("\x05")) +
                    std::string("\0\x01\0\0\0\0\0\0", 8));
    if (up >= 0) {
        relay(fd, up, stopping_);
        ::close(up);
    }
}

namespace {

std::string queryOf(const std::string& target)
{
    const auto q = target.find('?');
    return q == std::string::npos ? std::string() : target.substr(q + 1);
}

// The header lines as (name, value) pairs.
std::vector<std::pair<std::string, std::string>> headerPairs(const std::string& block)
{
    std::vector<std::pair<std::string, std::string>> out;
    for (std::size_t at = 0; at < block.size();) {
        const auto end = block.find("\r\n", at);
        const std::string line = block.substr(at, end - at);
        at = end == std::string::npos ? block.size() : end + 2;
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        out.emplace_back(line.substr(0, colon), value);
    }
    return out;
}

} // namespace

HttpFixture::Response azenvJudge()
{
    HttpFixture::Response r;
    r.reflect = [](const std::string& target, const std::string& headers, const std::string& peer) {
        std::string body = "<pre>\nREMOTE_ADDR = " + peer + "\nREQUEST_METHOD = GET\n";
        for (const auto& [name, value] : headerPairs(headers)) {
            std::string key = "HTTP_";
            for (char c : name)
                key += c == '-' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            body += key + " = " + value + "\n";
        }
        return body + "QUERY_STRING = " + queryOf(target) + "\n</pre>\n";
    };
    return r;
}

HttpFixture::Response httpbinJudge()
{
    HttpFixture::Response r;
    r.reflect = [](const std::string& target, const std::string& headers, const std::string& peer) {
        std::string args;
        const std::string query = queryOf(target);
        for (std::size_t at = 0; at < query.size();) {
            auto amp = query.find('&', at);
            const std::string pair = query.substr(at, amp - at);
            at = amp == std::string::npos ? query.size() : amp + 1;
            const auto eq = pair.find('=');
            args += std::string(args.empty() ? "" : ", ") + "\"" + pair.substr(0, eq) + "\": \"" +
                    (eq == std::string::npos ? "" : pair.substr(eq + 1)) + "\"";
        }
        std::string fields;
        std::string forwarded;
        for (const auto& [name, value] : headerPairs(headers)) {
            fields += std::string(fields.empty() ? "" : ", ") + "\"" + name + "\": \"" + value + "\"";
            if (name == "X-Forwarded-For")
                forwarded = value + ", ";
        }
        return "{\"args\": {" + args + "}, \"headers\": {" + fields + "}, \"origin\": \"" + forwarded + peer +
               "\"}";
    };
    return r;
}

} // namespace vorin::test
