// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "platform/hostport.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What the local relay reads and writes on the wire: a client's HTTP proxy request or SOCKS5 greeting,
// and the answers of its upstreams (an HTTP proxy's CONNECT, SOCKS5 and SOCKS4). Every reader takes bytes
// as they came and says whether they are complete, well formed or not; nothing read names anything but a
// host and a port.
namespace vorin::relay::wire {

// Where the head (the lines up to the first empty one, CR LF or LF) ends in bytes: the offset after the
// empty line; nothing while it is incomplete.
std::optional<std::size_t> headEnd(std::string_view bytes);

// A client's request to a proxy.
struct Request {
    bool tunnel = false; // CONNECT host:port
    std::string method;  // upper case, as written
    std::string host;    // a host name, a dotted IPv4 address or an IPv6 address (no brackets)
    std::uint16_t port = 0;
    std::string target;  // the origin-form target of a plain request ("/path?query")
    std::string version; // "HTTP/1.1"
    // The header lines as they came, but the proxy's own (Proxy-Authorization, Proxy-Connection) and the
    // connection's (Connection, Keep-Alive and those Connection names), which are hop by hop.
    std::vector<std::pair<std::string, std::string>> headers;
    bool body = false; // Content-Length above 0 or a Transfer-Encoding: a body follows the head
};

// Reads a complete head; nothing for one that is not a proxy request (an origin-form target, a scheme
// other than http, a bad host or port, a malformed line) or whose body's end cannot be told for certain
// (a Content-Length beside a Transfer-Encoding, two different Content-Lengths). A plain request's Host
// header is left out: the one sent on is made from the absolute URL.
std::optional<Request> parseRequest(std::string_view head);

// Whether a request may be made again through another upstream: nothing of it but the head, and a method
// that changes nothing (GET, HEAD, OPTIONS).
bool retryable(const Request& request);

// host:port as a request line or a Host header names it (an IPv6 address in brackets).
std::string authority(std::string_view host, std::uint16_t port);

// The head sent on for a plain request: to an HTTP upstream in absolute form with its credentials, or to
// the origin server (through a tunnel) in origin form; "Connection: close" either way.
std::string forwardHead(const Request& request, bool absolute, std::string_view credentials);
// The CONNECT head asking an HTTP upstream for a tunnel to host:port.
std::string connectHead(std::string_view host, std::uint16_t port, std::string_view credentials);

// An upstream's (or origin's) answer head: its status code (0 when the status line is not HTTP's), and the
// head rewritten for the client with "Connection: close" in place of the connection's headers.
struct Answer {
    int status = 0;
    std::string head;
};
std::optional<Answer> parseAnswer(std::string_view head);

// Base64 of user:password for a Proxy-Authorization: Basic header.
std::string basic(std::string_view credentials);

// SOCKS5, the client's side of the relay. Greeting: version 5, the methods it offers.
enum class Parsed { Incomplete, Bad, Done };
struct Socks5Greeting {
    Parsed state = Parsed::Incomplete;
    bool noAuth = false; // it offers "no authentication"
    std::size_t size = 0;
};
Socks5Greeting parseSocks5Greeting(std::string_view bytes);
// Its request: CONNECT to an IPv4 address, a name or an IPv6 address.
struct Socks5Request {
    Parsed state = Parsed::Incomplete;
    std::uint8_t command = 0; // 1 CONNECT; any other is refused with reply 7
    std::string host;
    std::uint16_t port = 0;
    std::size_t size = 0;
};
Socks5Request parseSocks5Request(std::string_view bytes);
// The relay's reply: code 0 success, 1 general failure, 2 not allowed, 7 command not supported.
std::string socks5Reply(std::uint8_t code);

// SOCKS5, the relay as the client of an upstream: the greeting (with user name and password when it has
// credentials), the RFC 1929 authentication, the CONNECT (a name goes as a name: the upstream resolves it).
std::string socks5Hello(bool credentials);
std::string socks5Auth(std::string_view credentials);
std::string socks5Connect(std::string_view host, std::uint16_t port);
// The length of the upstream's CONNECT reply once its first bytes are there (it depends on the address
// type); nothing while too little is there, 0 for a reply that is not SOCKS5.
std::optional<std::size_t> socks5ReplySize(std::string_view bytes);
// SOCKS4: a CONNECT to an IPv4 address (resolved here) with the credentials' user as its user id; the
// reply is 8 bytes, granted when its second is 0x5A.
std::string socks4Connect(const std::uint8_t (&ipv4)[4], std::uint16_t port, std::string_view credentials);
// SOCKS4a: the target's name goes to the upstream (address 0.0.0.1, the name after the user id), which
// resolves it, so no lookup of the target happens on this machine.
std::string socks4aConnect(std::string_view host, std::uint16_t port, std::string_view credentials);

// The page a client gets when no upstream could take its request (UTF-8, Chinese).
std::string noUpstreamAnswer();
// The answer to a request the relay refuses itself (a bad request, a loop to the relay): status and text.
std::string refusal(int status, std::string_view reason);

} // namespace vorin::relay::wire
