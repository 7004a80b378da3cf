// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "relay/wire.h"

#include "platform/trim.h"

#include "platform/inet.h"
#include <algorithm>
#include <charconv>

namespace vorin::relay::wire {
namespace {

// The head's lines, without their CR.
std::vector<std::string_view> lines(std::string_view head)
{
    std::vector<std::string_view> out;
    while (!head.empty()) {
        const std::size_t lf = head.find('\n');
        std::string_view line = head.substr(0, lf);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        out.push_back(line);
        head = lf == std::string_view::npos ? std::string_view() : head.substr(lf + 1);
    }
    while (!out.empty() && out.back().empty())
        out.pop_back();
    return out;
}

std::optional<std::uint16_t> portOf(std::string_view text)
{
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty() || text.size() > 5 ||
        value == 0 || value > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

bool isIpv6(std::string_view text)
{
    // (inet_pton reads up to a NUL: only the characters of an address may come.)
    if (text.empty() || text.size() > 45 ||
        text.find_first_not_of("0123456789abcdefABCDEF:.") != std::string_view::npos)
        return false;
    unsigned char buf[16];
    return ::inet_pton(AF_INET6, std::string(text).c_str(), buf) == 1;
}

// host or host:port or [v6]:port; the host a name, IPv4 or IPv6 address; defaultPort when none is written.
bool splitAuthority(std::string_view text, std::uint16_t defaultPort, std::string& host, std::uint16_t& port)
{
    std::string_view portText;
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos)
            return false;
        host = std::string(text.substr(1, close - 1));
        if (!isIpv6(host))
            return false;
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty() && rest.front() != ':')
            return false;
        portText = rest.empty() ? std::string_view() : rest.substr(1);
        if (!rest.empty() && portText.empty())
            return false;
    } else {
        const std::size_t colon = text.find(':');
        host = std::string(text.substr(0, colon));
        if (colon != std::string_view::npos) {
            portText = text.substr(colon + 1);
            if (portText.empty())
                return false;
        }
        if (!isIpv4(host) && !isHostName(host))
            return false;
    }
    if (portText.empty()) {
        port = defaultPort;
        return port != 0;
    }
    const auto p = portOf(portText);
    if (!p)
        return false;
    port = *p;
    return true;
}

bool token(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
    });
}

// Whether a header value holds no line break or NUL (a value that would forge another header).
bool cleanValue(std::string_view value)
{
    return value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool hopByHop(std::string_view name, const std::vector<std::string>& named)
{
    for (const char* h : {"Proxy-Authorization", "Proxy-Connection", "Connection", "Keep-Alive",
                          "Proxy-Authenticate", "TE", "Trailer", "Upgrade"}) {
        if (equalsNoCase(name, h))
            return true;
    }
    return std::any_of(named.begin(), named.end(),
                       [&](const std::string& n) { return equalsNoCase(n, name); });
}

// The names a Connection header lists, which are the connection's own.
void connectionNames(std::string_view value, std::vector<std::string>& out)
{
    while (!value.empty()) {
        const std::size_t comma = value.find(',');
        const std::string_view name = trim(value.substr(0, comma));
        if (!name.empty())
            out.emplace_back(name);
        value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
    }
}

} // namespace

std::optional<std::size_t> headEnd(std::string_view bytes)
{
    for (std::size_t at = bytes.find('\n'); at != std::string_view::npos; at = bytes.find('\n', at + 1)) {
        if (at + 1 < bytes.size() && bytes[at + 1] == '\n')
            return at + 2;
        if (at + 2 < bytes.size() && bytes[at + 1] == '\r' && bytes[at + 2] == '\n')
            return at + 3;
    }
    return std::nullopt;
}

std::optional<Request> parseRequest(std::string_view head)
{
    const std::vector<std::string_view> all = lines(head);
    if (all.empty())
        return std::nullopt;
    const std::string_view line = all.front();
    const std::size_t sp1 = line.find(' ');
    const std::size_t sp2 = sp1 == std::string_view::npos ? sp1 : line.find(' ', sp1 + 1);
    if (sp2 == std::string_view::npos || line.find(' ', sp2 + 1) != std::string_view::npos)
        return std::nullopt;
    Request r;
    r.method = std::string(line.substr(0, sp1));
    const std::string_view target = line.substr(sp1 + 1, sp2 - sp1 - 1);
    r.version = std::string(line.substr(sp2 + 1));
    if (!token(r.method) || (r.version != "HTTP/1.1" && r.version != "HTTP/1.0"))
        return std::nullopt;
    if (r.method == "CONNECT") {
        r.tunnel = true;
        if (!splitAuthority(target, 0, r.host, r.port))
            return std::nullopt;
    } else {
        constexpr std::string_view scheme = "http://";
        if (target.size() <= scheme.size() || !equalsNoCase(target.substr(0, scheme.size()), scheme))
            return std::nullopt; // origin form (not a proxy request), or another scheme
        const std::string_view rest = target.substr(scheme.size());
        const std::size_t slash = rest.find_first_of("/?");
        std::string_view auth = rest.substr(0, slash);
        if (auth.find('@') != std::string_view::npos)
            return std::nullopt; // user information in a proxy request is never passed on
        if (!splitAuthority(auth, 80, r.host, r.port))
            return std::nullopt;
        r.target = slash == std::string_view::npos ? std::string("/") : std::string(rest.substr(slash));
        if (r.target.front() == '?')
            r.target.insert(r.target.begin(), '/');
        if (r.target.find_first_of(std::string_view(" \r\n\0", 4)) != std::string::npos)
            return std::nullopt;
    }
    std::vector<std::string> named;
    std::vector<std::pair<std::string, std::string>> all_headers;
    std::optional<std::string_view> length;
    bool chunked = false;
    for (std::size_t i = 1; i < all.size(); ++i) {
        const std::string_view h = all[i];
        const std::size_t colon = h.find(':');
        if (colon == std::string_view::npos || !token(h.substr(0, colon)))
            return std::nullopt; // no folded lines, no names with blanks
        const std::string_view name = h.substr(0, colon);
        const std::string_view value = trim(h.substr(colon + 1));
        if (!cleanValue(value))
            return std::nullopt;
        if (equalsNoCase(name, "Connection"))
            connectionNames(value, named);
        if (equalsNoCase(name, "Content-Length")) {
            const std::string_view digits = value;
            if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
                return std::nullopt;
            if (digits.find_first_not_of('0') != std::string_view::npos)
                r.body = true;
            if (length && *length != digits)
                return std::nullopt; // two lengths: no one can tell where the body ends
            length = digits;
        }
        if (equalsNoCase(name, "Transfer-Encoding")) {
            r.body = true;
            chunked = true;
        }
        if (chunked && length)
            return std::nullopt; // a length beside a transfer coding: a smuggled request
        if (!r.tunnel && equalsNoCase(name, "Host"))
            continue; // the absolute URL names the host; the Host sent on is made from it
        all_headers.emplace_back(std::string(name), std::string(value));
    }
    for (auto& [name, value] : all_headers) {
        if (!hopByHop(name, named))
            r.headers.emplace_back(std::move(name), std::move(value));
    }
    return r;
}

bool retryable(const Request& request)
{
    return !request.tunnel && !request.body &&
           (request.method == "GET" || request.method == "HEAD" || request.method == "OPTIONS");
}

std::string authority(std::string_view host, std::uint16_t port)
{
    const bool v6 = host.find(':') != std::string_view::npos;
    return (v6 ? "[" : "") + std::string(host) + (v6 ? "]" : "") + ":" + std::to_string(port);
}

std::string basic(std::string_view credentials)
{
    static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string userPassword(credentials);
    if (userPassword.find(':') == std::string::npos)
        userPassword += ':';
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < userPassword.size(); i += 3) {
        const unsigned v = static_cast<unsigned char>(userPassword[i]) << 16 |
                           static_cast<unsigned char>(userPassword[i + 1]) << 8 |
                           static_cast<unsigned char>(userPassword[i + 2]);
        for (int s : {18, 12, 6, 0})
            out += alphabet[(v >> s) & 63];
    }
    if (const std::size_t left = userPassword.size() - i; left > 0) {
        unsigned v = static_cast<unsigned char>(userPassword[i]) << 16;
        if (left == 2)
            v |= static_cast<unsigned char>(userPassword[i + 1]) << 8;
        out += alphabet[(v >> 18) & 63];
        out += alphabet[(v >> 12) & 63];
        out += left == 2 ? alphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::string forwardHead(const Request& request, bool absolute, std::string_view credentials)
{
    std::string head = request.method + " ";
    head += absolute ? "http://" + authority(request.host, request.port) + request.target : request.target;
    head += " " + request.version + "\r\n";
    // The Host is the absolute URL's (a client's own Host header that says otherwise never goes on).
    const std::string named = authority(request.host, request.port);
    head += "Host: " + (request.port == 80 ? named.substr(0, named.rfind(':')) : named) + "\r\n";
    for (const auto& [name, value] : request.headers) {
        if (!equalsNoCase(name, "Host"))
            head += name + ": " + value + "\r\n";
    }
    if (absolute && !credentials.empty())
        head += "Proxy-Authorization: Basic " + basic(credentials) + "\r\n";
    head += "Connection: close\r\n\r\n";
    return head;
}

std::string connectHead(std::string_view host, std::uint16_t port, std::string_view credentials)
{
    const std::string target = authority(host, port);
    std::string head = "CONNECT " + target + " HTTP/1.1\r\nHost: " + target + "\r\n";
    if (!credentials.empty())
        head += "Proxy-Authorization: Basic " + basic(credentials) + "\r\n";
    return head + "\r\n";
}

std::optional<Answer> parseAnswer(std::string_view head)
{
    const std::vector<std::string_view> all = lines(head);
    if (all.empty())
        return std::nullopt;
    const std::string_view line = all.front();
    if (line.size() < 12 || line.substr(0, 7) != "HTTP/1." || line[8] != ' ')
        return std::nullopt;
    const auto code = portOf(line.substr(9, 3)); // three digits, 100 to 999
    if (!code || *code < 100 || (line.size() > 12 && line[12] != ' '))
        return std::nullopt;
    Answer a;
    a.status = *code;
    a.head = std::string(line) + "\r\n";
    std::vector<std::string> named;
    for (std::size_t i = 1; i < all.size(); ++i) {
        const std::size_t colon = all[i].find(':');
        if (colon != std::string_view::npos && equalsNoCase(all[i].substr(0, colon), "Connection"))
            connectionNames(all[i].substr(colon + 1), named);
    }
    for (std::size_t i = 1; i < all.size(); ++i) {
        const std::size_t colon = all[i].find(':');
        if (colon == std::string_view::npos || !token(all[i].substr(0, colon)))
            return std::nullopt;
        if (!hopByHop(all[i].substr(0, colon), named) || equalsNoCase(all[i].substr(0, colon), "Upgrade"))
            a.head += std::string(all[i]) + "\r\n";
    }
    a.head += "Connection: close\r\n\r\n";
    return a;
}

Socks5Greeting parseSocks5Greeting(std::string_view bytes)
{
    Socks5Greeting g;
    if (bytes.size() < 2)
        return g;
    if (bytes[0] != 5 || bytes[1] == 0) {
        g.state = Parsed::Bad;
        return g;
    }
    const std::size_t n = static_cast<unsigned char>(bytes[1]);
    if (bytes.size() < 2 + n)
        return g;
    g.noAuth = bytes.substr(2, n).find('\0') != std::string_view::npos;
    g.size = 2 + n;
    g.state = Parsed::Done;
    return g;
}

Socks5Request parseSocks5Request(std::string_view bytes)
{
    Socks5Request r;
    if (bytes.size() < 5)
        return r;
    if (bytes[0] != 5 || bytes[2] != 0) {
        r.state = Parsed::Bad;
        return r;
    }
    r.command = static_cast<std::uint8_t>(bytes[1]);
    std::size_t at = 4;
    const unsigned char type = static_cast<unsigned char>(bytes[3]);
    if (type == 1 || type == 4) { // an IPv4 or IPv6 address, as bytes
        const std::size_t size = type == 1 ? 4 : 16;
        if (bytes.size() < at + size + 2)
            return r;
        char text[INET6_ADDRSTRLEN];
        ::inet_ntop(type == 1 ? AF_INET : AF_INET6, bytes.data() + at, text, sizeof text);
        r.host = text;
        at += size;
    } else if (type == 3) { // a name
        const std::size_t n = static_cast<unsigned char>(bytes[4]);
        if (bytes.size() < at + 1 + n + 2)
            return r;
        r.host = std::string(bytes.substr(at + 1, n));
        if (!isHostName(r.host) && !isIpv4(r.host)) {
            r.state = Parsed::Bad;
            return r;
        }
        at += 1 + n;
    } else {
        r.state = Parsed::Bad;
        return r;
    }
    r.port = static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) << 8 |
                                        static_cast<unsigned char>(bytes[at + 1]));
    r.size = at + 2;
    r.state = r.port == 0 ? Parsed::Bad : Parsed::Done;
    return r;
}

std::string socks5Reply(std::uint8_t code)
{
    return std::string("\x05", 1) + static_cast<char>(code) +
           std::string("\x00\x01\x00\x00\x00\x00\x00\x00", 8);
}

std::string socks5Hello(bool credentials)
{
    return credentials ? std::string("\x05\x02\x00\x02", 4) : std::string("\x05\x01\x00", 3);
}

std::string socks5Auth(std::string_view credentials)
{
    const std::size_t colon = credentials.find(':');
    const std::string_view user = credentials.substr(0, std::min<std::size_t>(colon, 255));
    const std::string_view password =
        colon == std::string_view::npos ? std::string_view() : credentials.substr(colon + 1).substr(0, 255);
    std::string out("\x01", 1);
    out += static_cast<char>(user.size());
    out += user;
    out += static_cast<char>(password.size());
    out += password;
    return out;
}

std::string socks5Connect(std::string_view host, std::uint16_t port)
{
    std::string out("\x05\x01\x00", 3);
    unsigned char buf[16];
    const std::string h(host);
    if (::inet_pton(AF_INET, h.c_str(), buf) == 1) {
        out += '\x01';
        out.append(reinterpret_cast<const char*>(buf), 4);
    } else if (::inet_pton(AF_INET6, h.c_str(), buf) == 1) {
        out += '\x04';
        out.append(reinterpret_cast<const char*>(buf), 16);
    } else {
        out += '\x03';
        out += static_cast<char>(std::min<std::size_t>(host.size(), 255));
        out += host.substr(0, 255);
    }
    out += static_cast<char>(port >> 8);
    out += static_cast<char>(port & 0xFF);
    return out;
}

std::optional<std::size_t> socks5ReplySize(std::string_view bytes)
{
    if (bytes.size() < 5)
        return std::nullopt;
    if (bytes[0] != 5)
        return 0;
    switch (static_cast<unsigned char>(bytes[3])) {
    case 1:
        return 4 + 4 + 2;
    case 4:
        return 4 + 16 + 2;
    case 3:
        return 4 + 1 + static_cast<unsigned char>(bytes[4]) + 2;
    default:
        return 0;
    }
}

std::string socks4Connect(const std::uint8_t (&ipv4)[4], std::uint16_t port, std::string_view credentials)
{
    std::string out("\x04\x01", 2);
    out += static_cast<char>(port >> 8);
    out += static_cast<char>(port & 0xFF);
    out.append(reinterpret_cast<const char*>(ipv4), 4);
    const std::string_view user = credentials.substr(0, credentials.find(':'));
    out += user.substr(0, 255);
    out += '\0';
    return out;
}

std::string socks4aConnect(std::string_view host, std::uint16_t port, std::string_view credentials)
{
    static constexpr std::uint8_t marker[4] = {0, 0, 0, 1};
    std::string out = socks4Connect(marker, port, credentials);
    out += host.substr(0, host.find('\0'));
    out += '\0';
    return out;
}

std::string noUpstreamAnswer()
{
    const std::string page =
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>本地中转</title></head>"
        "<body><h1>没有可用的上游代理</h1><p>Vorin智能代理的本地中转找不到能转发此请求的代理。"
        "请重新验证代理列表，或在程序中停用代理。</p></body></html>\n";
    return "HTTP/1.1 502 Bad Gateway\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
           std::to_string(page.size()) + "\r\nConnection: close\r\n\r\n" + page;
}

std::string refusal(int status, std::string_view reason)
{
    const std::string text = std::string(reason) + "\n";
    return "HTTP/1.1 " + std::to_string(status) + " " + std::string(reason) +
           "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(text.size()) +
           "\r\nConnection: close\r\n\r\n" + text;
}

} // namespace vorin::relay::wire
