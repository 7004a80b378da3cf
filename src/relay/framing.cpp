// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "relay/framing.h"

#include <boost/beast/http/basic_parser.hpp>
#include <boost/beast/http/error.hpp>
#include <limits>

namespace vorin::relay {
namespace {

namespace http = boost::beast::http;
using boost::beast::error_code;
using boost::beast::string_view;

// A parser that keeps nothing: the relay passes the bytes on itself and needs only where they end.
template <bool isRequest> class Counter final : public http::basic_parser<isRequest> {
    void on_request_impl(http::verb, string_view, string_view, int, error_code&) override {}
    void on_response_impl(int, string_view, int, error_code&) override {}
    void on_field_impl(http::field, string_view, string_view, error_code&) override {}
    void on_header_impl(error_code&) override {}
    void on_body_init_impl(const boost::optional<std::uint64_t>&, error_code&) override {}
    std::size_t on_body_impl(string_view body, error_code&) override { return body.size(); }
    void on_chunk_header_impl(std::uint64_t, string_view, error_code&) override {}
    std::size_t on_chunk_body_impl(std::uint64_t, string_view body, error_code&) override
    {
        return body.size();
    }
    void on_finish_impl(error_code&) override {}
};

} // namespace

struct Framing::Parser {
    std::unique_ptr<http::basic_parser<true>> request;
    std::unique_ptr<http::basic_parser<false>> answer;

    std::size_t put(std::string_view bytes, error_code& ec)
    {
        const boost::asio::const_buffer b(bytes.data(), bytes.size());
        return request ? request->put(b, ec) : answer->put(b, ec);
    }
    bool done() const { return request ? request->is_done() : answer->is_done(); }
    void eof(error_code& ec) { request ? request->put_eof(ec) : answer->put_eof(ec); }
};

Framing::Framing(Of of, std::string_view head, bool noBody) : parser_(std::make_unique<Parser>())
{
    auto limits = [&](auto& p) {
        p.header_limit(static_cast<std::uint32_t>(head.size() + 1));
        // The relay streams bodies and keeps none. (No limit is the largest one: Boost 1.74 compares a length
        // with an empty limit as larger.)
        p.body_limit(std::numeric_limits<std::uint64_t>::max());
        p.skip(noBody);
    };
    if (of == Of::Request) {
        parser_->request = std::make_unique<Counter<true>>();
        limits(*parser_->request);
    } else {
        parser_->answer = std::make_unique<Counter<false>>();
        limits(*parser_->answer);
    }
    error_code ec;
    const std::size_t used = parser_->put(head, ec);
    bad_ = ec || used != head.size();
}

Framing::~Framing() = default;

std::size_t Framing::take(std::string_view bytes)
{
    if (bad_ || done())
        return 0;
    pending_.append(bytes);
    while (!pending_.empty() && !done()) {
        error_code ec;
        const std::size_t used = parser_->put(pending_, ec);
        pending_.erase(0, used);
        if (ec == http::error::need_more)
            break;
        if (ec) {
            bad_ = true;
            pending_.clear();
            return 0;
        }
        if (used == 0)
            break;
    }
    if (!done())
        return bytes.size();
    // What is left over came after the message's end, and so from the end of these bytes.
    const std::size_t after = std::min(pending_.size(), bytes.size());
    pending_.clear();
    return bytes.size() - after;
}

bool Framing::closed()
{
    if (bad_ || done())
        return done();
    error_code ec;
    parser_->eof(ec);
    return !ec && done();
}

bool Framing::done() const
{
    return !bad_ && parser_->done();
}

bool Framing::bad() const
{
    return bad_;
}

} // namespace vorin::relay
