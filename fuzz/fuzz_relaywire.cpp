// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// What a client or an upstream sends the local relay: a request head and body, a SOCKS5 greeting and
// request, an upstream's answer head and body. Nothing may crash or hang; what is read names only a host and
// a port, never a scheme, a path outside the request or a header that would forge another; a message's
// framing never claims more bytes than it was given, nor any once it has ended.
#include "relay/framing.h"
#include "relay/wire.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool clean(const std::string& text)
{
    return text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

// Feeds what follows a head to its framing in pieces of uneven sizes.
void frame(vorin::relay::Framing& f, std::string_view body)
{
    std::size_t piece = 1;
    while (!body.empty()) {
        const std::string_view now = body.substr(0, piece);
        const bool ended = f.done();
        const std::size_t taken = f.take(now);
        if (taken > now.size() || (ended && taken != 0) || (f.done() && f.bad()))
            std::abort();
        body.remove_prefix(now.size());
        piece = piece * 3 % 17 + 1;
    }
    (void)f.closed();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace vorin::relay::wire;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto end = headEnd(bytes);
    if (end && *end > size)
        std::abort();
    if (const auto r = parseRequest(bytes.substr(0, end.value_or(size)))) {
        if (r->host.empty() || r->port == 0 || !clean(r->host) || !clean(r->target) ||
            r->host.find_first_of("/@ ") != std::string::npos)
            std::abort();
        if (!r->tunnel && (r->target.empty() || r->target.front() != '/'))
            std::abort();
        for (const auto& [name, value] : r->headers) {
            if (!clean(name) || !clean(value) || name.find(':') != std::string::npos)
                std::abort();
        }
        // What goes on is one head: a single empty line, at its end.
        const std::string sent = forwardHead(*r, true, "u:p");
        if (headEnd(sent) != sent.size())
            std::abort();
        vorin::relay::Framing f(vorin::relay::Framing::Of::Request, sent);
        frame(f, bytes.substr(end.value_or(size)));
    }
    if (const auto a = parseAnswer(bytes.substr(0, end.value_or(size)))) {
        if (a->status < 100 || a->status > 999 || headEnd(a->head) != a->head.size())
            std::abort();
        vorin::relay::Framing f(vorin::relay::Framing::Of::Answer, a->head, size % 2 == 0);
        frame(f, bytes.substr(end.value_or(size)));
    }
    const Socks5Greeting g = parseSocks5Greeting(bytes);
    if (g.state == Parsed::Done && (g.size > size || g.size < 3))
        std::abort();
    const Socks5Request q = parseSocks5Request(bytes);
    if (q.state == Parsed::Done && (q.size > size || q.host.empty() || q.port == 0 || !clean(q.host)))
        std::abort();
    if (const auto n = socks5ReplySize(bytes); n && *n > 4 + 1 + 255 + 2)
        std::abort();
    return 0;
}
