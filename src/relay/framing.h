// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

// Where one HTTP message ends, as its head says (RFC 9112: a Content-Length, the chunked coding, no body at
// all, or the end of the connection): the relay passes on exactly one request and one answer per
// connection, so that bytes a client sent after its request (a pipelined one) never reach an upstream
// unread, and an answer's end closes the upstream even when it ignores "Connection: close". The framing is
// Boost.Beast's parser, which is kept by others and tested far beyond this program (chunk sizes, trailers,
// conflicting lengths); this class only counts.
namespace vorin::relay {

class Framing {
public:
    enum class Of { Request, Answer };
    // head: the message's complete head as it is sent on (CR LF lines); noBody: an answer to HEAD.
    Framing(Of of, std::string_view head, bool noBody = false);
    ~Framing();
    Framing(const Framing&) = delete;
    Framing& operator=(const Framing&) = delete;

    // The next bytes after the head: how many of them belong to this message (all while it goes on; once it
    // has ended, the bytes that follow belong to no one). Nothing once it is bad.
    std::size_t take(std::string_view bytes);
    // The connection ended: whether that is the message's proper end (a body that runs until the close).
    bool closed();

    bool done() const; // the message has ended
    bool bad() const;  // its head or its framing is broken (a bad chunk, a length beside a coding, ...)

    struct Parser;

private:
    std::unique_ptr<Parser> parser_;
    std::string pending_; // bytes taken that the parser has not used yet (a chunk's size line in pieces)
    bool bad_ = false;
};

} // namespace vorin::relay
