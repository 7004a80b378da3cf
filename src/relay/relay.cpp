// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "relay/relay.h"

#include "platform/idioms.h"
#include "relay/framing.h"
#include "relay/wire.h"

#include <array>
#include <asio.hpp>
#include <asio/experimental/as_tuple.hpp>
#include <asio/experimental/awaitable_operators.hpp>
#include <atomic>
#include <thread>
#include <unordered_set>

#ifndef _WIN32
#include <arpa/inet.h>
#endif

namespace vorin::relay {
namespace {

using asio::awaitable;
using asio::ip::tcp;
using Clock = std::chrono::steady_clock;
constexpr auto nothrow = asio::experimental::as_tuple(asio::use_awaitable);
constexpr std::size_t kBuffer = 32 * 1024; // each way of a connection

// One client's connection and the upstream it goes through. A watchdog closes both once the client's
// deadline has passed (the idle limit while bytes flow, a short one after a refusal); each attempt at an
// upstream has a time limit of its own that ends only that attempt (Relay::State::through).
struct Conn {
    explicit Conn(tcp::socket s)
        : client(std::move(s))
        , upstream(client.get_executor())
        , timer(client.get_executor())
    {
    }
    tcp::socket client;
    tcp::socket upstream;
    asio::steady_timer timer;
    Clock::time_point deadline = Clock::now();
    bool done = false;
    const tcp::socket* firstEnded = nullptr; // the side of a tunnel whose end came first
    std::string trying;                      // the upstream (host:port) an attempt waits for, if any
    Clock::time_point tryingSince;

    // A new deadline; one sooner than the watchdog waits for wakes it, so that it waits for this one.
    void touch(std::chrono::milliseconds limit)
    {
        deadline = Clock::now() + limit;
        if (deadline < timer.expiry())
            timer.cancel();
    }
    void close()
    {
        asio::error_code ignored;
        client.close(ignored);
        upstream.close(ignored);
    }
};

awaitable<void> watchdog(std::shared_ptr<Conn> c)
{
    while (!c->done) {
        c->timer.expires_at(c->deadline);
        co_await c->timer.async_wait(nothrow);
        if (c->done)
            co_return;
        if (c->deadline <= Clock::now()) {
            c->close();
            co_return;
        }
    }
}

awaitable<bool> writeAll(tcp::socket& s, std::string_view bytes)
{
    if (bytes.empty())
        co_return true;
    auto [ec, n] = co_await asio::async_write(s, asio::buffer(bytes.data(), bytes.size()), nothrow);
    co_return !ec;
}

// Answers the client and ends: what it still sends is read and dropped for a moment, so that a reset does
// not take the answer with it.
awaitable<void> refuse(std::shared_ptr<Conn> c, std::string answer)
{
    if (!co_await writeAll(c->client, answer))
        co_return;
    asio::error_code ignored;
    c->client.shutdown(tcp::socket::shutdown_send, ignored);
    c->touch(std::chrono::seconds(2));
    std::array<char, 4096> chunk;
    while (true) {
        auto [ec, n] = co_await c->client.async_read_some(asio::buffer(chunk), nothrow);
        if (ec)
            co_return;
    }
}

// Reads from s into buf until a head is complete (at most limit bytes); its end, or nothing.
awaitable<std::optional<std::size_t>> readHead(tcp::socket& s, std::string& buf, std::size_t limit, Conn& c,
                                               std::chrono::milliseconds idle)
{
    std::array<char, 4096> chunk;
    std::size_t from = 0; // the bytes before it hold no end: each is looked at once
    while (true) {
        if (auto end = wire::headEnd(std::string_view(buf).substr(from)))
            co_return from + *end;
        if (buf.size() > limit)
            co_return std::nullopt;
        from = buf.size() > 2 ? buf.size() - 2 : 0; // an end may begin in the last bytes ("\n\r")
        auto [ec, n] = co_await s.async_read_some(asio::buffer(chunk), nothrow);
        if (ec)
            co_return std::nullopt;
        buf.append(chunk.data(), n);
        c.touch(idle);
    }
}

awaitable<bool> readAtLeast(tcp::socket& s, std::string& buf, std::size_t size)
{
    std::array<char, 512> chunk;
    while (buf.size() < size) {
        auto [ec, n] = co_await s.async_read_some(asio::buffer(chunk), nothrow);
        if (ec)
            co_return false;
        buf.append(chunk.data(), n);
    }
    co_return true;
}

// Copies from one socket to the other until the first ends; the other's sending side is shut then. Returns
// the bytes copied.
awaitable<std::size_t> copy(std::shared_ptr<Conn> c, tcp::socket& from, tcp::socket& to,
                            std::chrono::milliseconds idle)
{
    std::unique_ptr<char[]> buf(new char[kBuffer]);
    std::size_t total = 0;
    while (true) {
        auto [ec, n] = co_await from.async_read_some(asio::buffer(buf.get(), kBuffer), nothrow);
        if (ec) {
            if (!c->firstEnded)
                c->firstEnded = &from;
            asio::error_code ignored;
            to.shutdown(tcp::socket::shutdown_send, ignored);
            co_return total;
        }
        c->touch(idle);
        auto [wec, written] = co_await asio::async_write(to, asio::buffer(buf.get(), n), nothrow);
        total += written;
        if (wec) {
            c->close();
            co_return total;
        }
    }
}

// As copy, one message: until its framing says it has ended (what follows is not sent on), or the first
// side ends.
awaitable<void> copyMessage(std::shared_ptr<Conn> c, tcp::socket& from, tcp::socket& to,
                            std::chrono::milliseconds idle, std::shared_ptr<Framing> framing)
{
    std::unique_ptr<char[]> buf(new char[kBuffer]);
    while (!framing->done() && !framing->bad()) {
        auto [ec, n] = co_await from.async_read_some(asio::buffer(buf.get(), kBuffer), nothrow);
        if (ec) {
            framing->closed();
            asio::error_code ignored;
            to.shutdown(tcp::socket::shutdown_send, ignored);
            co_return;
        }
        c->touch(idle);
        const std::size_t part = framing->take(std::string_view(buf.get(), n));
        auto [wec, written] = co_await asio::async_write(to, asio::buffer(buf.get(), part), nothrow);
        if (wec) {
            c->close();
            co_return;
        }
    }
}

// What an attempt at an upstream came to, and whose fault a failure was.
enum class Reach {
    Ok,
    Upstream, // the upstream's: it is benched and the next is tried
    Target,   // the target's, as the upstream answered: passed to the client, the upstream stays
};

awaitable<void> sleepFor(std::chrono::milliseconds d)
{
    asio::steady_timer t(co_await asio::this_coro::executor);
    t.expires_after(d);
    co_await t.async_wait(nothrow);
}

// Whether an address is this machine's own: loopback or unspecified, an IPv4-mapped one unmapped first.
bool ownAddress(asio::ip::address a)
{
    if (a.is_v6() && a.to_v6().is_v4_mapped())
        a = asio::ip::make_address_v4(asio::ip::v4_mapped, a.to_v6());
    return a.is_loopback() || a.is_unspecified();
}

// Whether host (brackets removed) names this machine however it is spelt: "LOCALHOST", "0x7f000001",
// "[0:0:0:0:0:0:0:1]", "::ffff:7f00:1". Numbers are read as the system reads them, without a lookup.
bool loopbackName(std::string host)
{
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    const std::string lower = idioms::LowerCase(host);
    if (lower == "localhost" || lower == "localhost." ||
        (lower.size() > 10 && lower.compare(lower.size() - 10, 10, ".localhost") == 0))
        return true;
    asio::error_code ec;
    if (const auto a = asio::ip::make_address(lower, ec); !ec)
        return ownAddress(a);
    // The classic forms: hex, octal, fewer than four parts ("127.1", "2130706433").
    const auto v4 = ::inet_addr(lower.c_str());
    return v4 != INADDR_NONE && ownAddress(asio::ip::address_v4(ntohl(v4)));
}

} // namespace

bool namesRelay(const HostPort& endpoint, std::uint16_t port)
{
    return loopbackName(endpoint.host) && endpoint.portNumber() == port;
}

struct Relay::State {
    State(Options o, Listener l) : options(o), listener(std::move(l)), pool(o.rotate) {}

    asio::io_context io{1};
    std::vector<tcp::acceptor> acceptors;
    Options options;
    Listener listener;
    UpstreamPool pool;
    std::uint16_t port = 0;
    std::size_t clients = 0;
    std::optional<ProxyEntry> using_; // the upstream that carried the last connection
    std::atomic<std::size_t> seenClients{0}, seenUpstreams{0}, seenHealthy{0};
    std::atomic<int> resolving{0};  // lookups of upstreams' names under way
    std::unordered_set<Conn*> live; // the connections being served
    std::thread thread;

    void say(const Event& e)
    {
        if (listener)
            listener(e);
    }
    void mirror()
    {
        seenClients = clients;
        seenUpstreams = pool.size();
        seenHealthy = pool.healthy();
    }
    bool isSelf(const HostPort& endpoint) const { return namesRelay(endpoint, port); }

    void setUpstreams(const std::vector<ProxyEntry>& list)
    {
        std::vector<ProxyEntry> kept;
        for (const ProxyEntry& e : list) {
            if (e.endpoint.valid() && !isSelf(e.endpoint))
                kept.push_back(e);
        }
        pool.set(kept);
        mirror();
        arrivals.cancel();
    }

    // Upstreams came (a new list, a revived one): requests waiting for one try again.
    asio::steady_timer arrivals{io, Clock::time_point::max()};

    // With none left, a request waits a while for one to come (its owner refilling, a judge reviving one)
    // before it gets its 502; whether one came.
    awaitable<bool> arrival()
    {
        using namespace asio::experimental::awaitable_operators;
        if (options.awaitUpstreams.count() <= 0)
            co_return false;
        auto r = co_await (arrivals.async_wait(nothrow) || sleepFor(options.awaitUpstreams));
        co_return r.index() == 0;
    }

    void used(std::size_t i, const std::string& host)
    {
        pool.worked(i, host);
        if (!using_ || !(*using_ == pool.at(i))) {
            using_ = pool.at(i);
            say({Event::Kind::Using, {}, *using_, {}});
        }
    }

    // An attempt at up begins or ends: while it waits, up may be found slow (stalling) and the attempt
    // ended at once when up is benched.
    static void attempting(Conn& c, const ProxyEntry& up)
    {
        c.trying = up.endpoint.text();
        c.tryingSince = Clock::now();
    }
    static void attempted(Conn& c) { c.trying.clear(); }

    // Whether an attempt at upstream i has waited longer than the stall limit: a free proxy that has gone
    // silent looks like this long before any attempt's own limit ends it.
    bool stalling(std::size_t i) const
    {
        const std::string key = pool.at(i).endpoint.text();
        const auto since = Clock::now() - options.stall;
        return std::any_of(live.begin(), live.end(),
                           [&](const Conn* c) { return c->trying == key && c->tryingSince < since; });
    }

    // The upstream for a new attempt: as the pool chooses, passing over those that are stalling while
    // another is free (not so for Rotate::Host, whose sites stay with their upstream).
    std::optional<std::size_t> pick(const std::string& host, const std::vector<std::size_t>& tried)
    {
        if (options.rotate != Rotate::Host) {
            std::vector<std::size_t> avoid = tried;
            while (const auto i = pool.choose(host, avoid)) {
                if (!stalling(*i))
                    return i;
                avoid.push_back(*i);
            }
        }
        return pool.choose(host, tried);
    }

    // As below, for up wherever it is in the pool now (a new list may have come while an attempt waited);
    // nothing when it has left it.
    void used(const ProxyEntry& up, const std::string& host)
    {
        if (const auto i = pool.find(up))
            used(*i, host);
    }
    void fail(const ProxyEntry& up, const std::string& host, const std::vector<std::size_t>& tried)
    {
        if (const auto i = pool.find(up))
            fail(*i, host, tried);
    }

    void fail(std::size_t i, const std::string& host, const std::vector<std::size_t>& tried)
    {
        const ProxyEntry from = pool.at(i);
        const UpstreamPool::Benched b = pool.failed(i);
        mirror();
        if (!b.now)
            return;
        // The other attempts waiting for it end now and go on to the next upstream.
        const std::string key = from.endpoint.text();
        for (Conn* other : live) {
            if (other->trying == key) {
                asio::error_code ignored;
                other->upstream.close(ignored);
            }
        }
        say({Event::Kind::Benched, from, {}, b.backOff});
        const auto next = pool.choose(host, tried);
        say({Event::Kind::Failover, from, next ? pool.at(*next) : ProxyEntry{}, {}});
        if (using_ && *using_ == from)
            using_.reset();
    }

    // Reaches upstream i and, for a tunnel (or a plain request through a proxy that is no HTTP proxy), has
    // it open a connection to host:port. extra: bytes of the tunnel that came with the upstream's answer.
    // What failed is told apart: the upstream (no connection, no handshake, a malformed answer, 407), or the
    // target (the upstream answered that it could not reach it). A name that resolves to the relay itself,
    // however spelt, is refused: the relay would be its own upstream.
    // (Every co_await here stands in a statement of its own, never inside a condition with temporaries.)
    awaitable<Reach> reach(std::shared_ptr<Conn> c, const ProxyEntry& up, const std::string& host,
                           std::uint16_t port, bool tunnel, std::string& extra)
    {
        asio::error_code ignored;
        c->upstream.close(ignored);
        c->upstream = tcp::socket(c->client.get_executor());
        std::string upHost = up.endpoint.host;
        if (upHost.size() > 2 && upHost.front() == '[')
            upHost = upHost.substr(1, upHost.size() - 2);
        tcp::resolver resolver(c->client.get_executor());
        ++resolving;
        auto [rec, found] = co_await resolver.async_resolve(upHost, up.endpoint.port, nothrow);
        --resolving;
        if (rec)
            co_return Reach::Upstream;
        for (const auto& entry : found) {
            if (entry.endpoint().port() == this->port && ownAddress(entry.endpoint().address()))
                co_return Reach::Upstream; // the relay itself
        }
        auto [cec, ep] = co_await asio::async_connect(c->upstream, found, nothrow);
        if (cec)
            co_return Reach::Upstream;
        c->upstream.set_option(tcp::no_delay(true), ignored);
        const Protocol kind = kindOf(up);
        if (!tunnel && kind == Protocol::Http)
            co_return Reach::Ok; // the request goes to the proxy itself
        std::string buf;
        bool ok = false;
        if (kind == Protocol::Http || kind == Protocol::Https) {
            const std::string ask = wire::connectHead(host, port, up.credentials);
            ok = co_await writeAll(c->upstream, ask);
            if (!ok)
                co_return Reach::Upstream;
            const auto end = co_await readHead(c->upstream, buf, options.maxHead, *c, options.idle);
            if (!end)
                co_return Reach::Upstream;
            const auto answer = wire::parseAnswer(std::string_view(buf).substr(0, *end));
            if (!answer || answer->status == 407)
                co_return Reach::Upstream;
            if (answer->status / 100 != 2)
                co_return Reach::Target; // it answered: the target is what it could not reach
            extra = buf.substr(*end);
            co_return Reach::Ok;
        }
        if (kind == Protocol::Socks5) {
            const bool credentials = !up.credentials.empty();
            const std::string hello = wire::socks5Hello(credentials);
            ok = co_await writeAll(c->upstream, hello);
            if (ok)
                ok = co_await readAtLeast(c->upstream, buf, 2);
            if (!ok || buf[0] != 5)
                co_return Reach::Upstream;
            if (buf[1] == 2 && credentials) {
                buf.erase(0, 2);
                const std::string auth = wire::socks5Auth(up.credentials);
                ok = co_await writeAll(c->upstream, auth);
                if (ok)
                    ok = co_await readAtLeast(c->upstream, buf, 2);
                if (!ok || buf[1] != 0)
                    co_return Reach::Upstream;
            } else if (buf[1] != 0) {
                co_return Reach::Upstream;
            }
            buf.erase(0, 2);
            const std::string connect = wire::socks5Connect(host, port);
            ok = co_await writeAll(c->upstream, connect);
            if (ok)
                ok = co_await readAtLeast(c->upstream, buf, 5);
            if (!ok)
                co_return Reach::Upstream;
            const auto size = wire::socks5ReplySize(buf);
            if (!size || *size == 0)
                co_return Reach::Upstream;
            ok = co_await readAtLeast(c->upstream, buf, *size);
            if (!ok)
                co_return Reach::Upstream;
            if (buf[1] != 0)
                co_return Reach::Target; // a failure reply: the upstream could not reach the target
            extra = buf.substr(*size);
            co_return Reach::Ok;
        }
        // SOCKS4a: the name goes to the upstream, which resolves it; nothing is looked up on this machine.
        const std::string connect = wire::socks4aConnect(host, port, up.credentials);
        ok = co_await writeAll(c->upstream, connect);
        if (ok)
            ok = co_await readAtLeast(c->upstream, buf, 8);
        if (!ok || buf[0] != 0)
            co_return Reach::Upstream;
        if (buf[1] != 0x5A)
            co_return Reach::Target;
        extra = buf.substr(8);
        co_return Reach::Ok;
    }

    // reach() within the upstream limit: an upstream that stalls is given up and only its attempt ends.
    awaitable<Reach> through(std::shared_ptr<Conn> c, const ProxyEntry& up, const std::string& host,
                             std::uint16_t port, bool tunnel, std::string& extra)
    {
        using namespace asio::experimental::awaitable_operators;
        attempting(*c, up);
        auto result = co_await (reach(c, up, host, port, tunnel, extra) || sleepFor(options.upstreamLimit));
        attempted(*c);
        if (result.index() == 0)
            co_return std::get<0>(result);
        asio::error_code ignored;
        c->upstream.close(ignored);
        co_return Reach::Upstream;
    }

    // An attempt that failed within this time (a refused connection, a reset) cost the client nothing: it
    // does not count against triesPerRequest.
    static constexpr std::chrono::milliseconds kCheap{1000};

    // A tunnel to host:port through the first upstream that opens one (after at most triesPerRequest that
    // failed slowly): Ok, Target when an upstream answered that the target cannot be reached (no other is
    // tried, none is benched), or Upstream when no upstream could be used.
    awaitable<Reach> tunnel(std::shared_ptr<Conn> c, const std::string& host, std::uint16_t port,
                            std::string& extra, ProxyEntry& chosen)
    {
        std::vector<std::size_t> tried;
        Clock::time_point began;
        bool waited = false;
        const auto cost = [&] { return Clock::now() - began > kCheap ? 1 : 0; };
        for (int slow = 0; slow < options.triesPerRequest; slow += cost()) {
            began = Clock::now();
            auto i = pick(host, tried);
            if (!i && !waited) {
                waited = true;
                const bool came = co_await arrival();
                tried.clear(); // a new list: the indexes tried name others now
                if (came)
                    i = pick(host, tried);
            }
            if (!i)
                break;
            tried.push_back(*i);
            const ProxyEntry up = pool.at(*i); // the pool may change while this waits
            const Reach reached = co_await through(c, up, host, port, true, extra);
            if (reached == Reach::Ok) {
                used(up, host);
                chosen = up;
                co_return Reach::Ok;
            }
            if (reached == Reach::Target)
                co_return Reach::Target; // the upstream works: the target is the client's to know about
            fail(up, host, tried);
        }
        if (pool.healthy() == 0)
            say({Event::Kind::NoneLeft, {}, {}, {}});
        co_return Reach::Upstream;
    }

    // Both ways of an open tunnel until they end. An upstream that opened the tunnel and then closed it
    // without a byte back, first or after the client's bytes (a proxy that answers CONNECT and then drops
    // it), is benched.
    awaitable<void> pipe(std::shared_ptr<Conn> c, const ProxyEntry& up, const std::string& host,
                         bool upstreamSpoke)
    {
        using namespace asio::experimental::awaitable_operators;
        c->touch(options.idle);
        const auto [sent, received] = co_await (copy(c, c->client, c->upstream, options.idle) &&
                                                copy(c, c->upstream, c->client, options.idle));
        if (received == 0 && !upstreamSpoke && (sent > 0 || c->firstEnded == &c->upstream))
            fail(up, host, {});
    }

    awaitable<void> socks5(std::shared_ptr<Conn> c, std::string buf)
    {
        std::array<char, 512> chunk;
        wire::Socks5Greeting g;
        while ((g = wire::parseSocks5Greeting(buf)).state == wire::Parsed::Incomplete) {
            auto [ec, n] = co_await c->client.async_read_some(asio::buffer(chunk), nothrow);
            if (ec)
                co_return;
            buf.append(chunk.data(), n);
        }
        if (g.state == wire::Parsed::Bad)
            co_return;
        static const std::string refused("\x05\xFF", 2), accepted("\x05\x00", 2);
        if (!g.noAuth) {
            co_await writeAll(c->client, refused);
            co_return;
        }
        buf.erase(0, g.size);
        bool ok = co_await writeAll(c->client, accepted);
        if (!ok)
            co_return;
        wire::Socks5Request r;
        while ((r = wire::parseSocks5Request(buf)).state == wire::Parsed::Incomplete) {
            if (buf.size() > 600)
                co_return;
            auto [ec, n] = co_await c->client.async_read_some(asio::buffer(chunk), nothrow);
            if (ec)
                co_return;
            buf.append(chunk.data(), n);
        }
        std::uint8_t code = 0;
        if (r.state == wire::Parsed::Bad)
            code = 1;
        else if (r.command != 1)
            code = 7;
        else if (loopbackName(r.host) && r.port == port)
            code = 2; // the relay itself: a loop
        std::string extra;
        ProxyEntry chosen;
        if (code == 0) {
            const Reach opened = co_await tunnel(c, r.host, r.port, extra, chosen);
            code = opened == Reach::Ok ? 0 : opened == Reach::Target ? 4 : 1; // 4: host unreachable
        }
        const std::string reply = wire::socks5Reply(code);
        ok = co_await writeAll(c->client, reply);
        if (!ok || code != 0)
            co_return;
        const std::string early = buf.substr(r.size);
        ok = co_await writeAll(c->client, extra);
        if (ok)
            ok = co_await writeAll(c->upstream, early);
        if (ok)
            co_await pipe(c, chosen, r.host, !extra.empty());
    }

    awaitable<void> http(std::shared_ptr<Conn> c, std::string buf)
    {
        using namespace asio::experimental::awaitable_operators;
        // A head has a time of its own, however slowly its bytes come.
        const auto read = co_await (readHead(c->client, buf, options.maxHead, *c, options.idle) ||
                                    sleepFor(options.headLimit));
        const auto end = read.index() == 0 ? std::get<0>(read) : std::nullopt;
        if (!end) {
            if (buf.size() > options.maxHead) {
                std::string answer = wire::refusal(431, "Request Header Fields Too Large");
                co_await refuse(c, std::move(answer));
            }
            co_return;
        }
        const auto request = wire::parseRequest(std::string_view(buf).substr(0, *end));
        if (!request) {
            std::string answer = wire::refusal(400, "Bad Request");
            co_await refuse(c, std::move(answer));
            co_return;
        }
        if (loopbackName(request->host) && request->port == port) {
            std::string answer = wire::refusal(403, "Forbidden");
            co_await refuse(c, std::move(answer));
            co_return;
        }
        std::string rest = buf.substr(*end);
        if (!request->tunnel) {
            co_await plain(c, *request, std::move(rest));
            co_return;
        }
        std::string extra;
        ProxyEntry chosen;
        const Reach opened = co_await tunnel(c, request->host, request->port, extra, chosen);
        if (opened != Reach::Ok) {
            std::string answer =
                opened == Reach::Target ? wire::refusal(502, "Target Unreachable") : wire::noUpstreamAnswer();
            co_await refuse(c, std::move(answer));
            co_return;
        }
        static const std::string established = "HTTP/1.1 200 Connection established\r\n\r\n";
        bool ok = co_await writeAll(c->client, established);
        if (ok)
            ok = co_await writeAll(c->client, extra);
        if (ok)
            ok = co_await writeAll(c->upstream, rest);
        if (ok)
            co_await pipe(c, chosen, request->host, !extra.empty());
    }

    // The head of an upstream's answer read into answer, within the answer limit (which ends only this
    // attempt); its end, or nothing.
    awaitable<std::optional<std::size_t>> answerHead(std::shared_ptr<Conn> c, const ProxyEntry& up,
                                                     std::string& answer, std::chrono::milliseconds limit,
                                                     bool& timedOut)
    {
        using namespace asio::experimental::awaitable_operators;
        attempting(*c, up);
        auto head =
            co_await (readHead(c->upstream, answer, options.maxHead, *c, options.idle) || sleepFor(limit));
        attempted(*c);
        timedOut = head.index() == 1;
        if (head.index() == 0)
            co_return std::get<0>(head);
        co_return std::nullopt;
    }

    // A plain request: sent on through an upstream, moved to another only while nothing of the answer has
    // reached the client and the request may be made again.
    awaitable<void> plain(std::shared_ptr<Conn> c, const wire::Request& request, std::string body)
    {
        // The request ends where its framing says: bytes after it (a pipelined request) are never sent on;
        // the client, answered with "Connection: close", sends them again on a connection of their own. A
        // request without a length or a coding has no body.
        std::shared_ptr<Framing> sending;
        if (request.body) {
            sending = std::make_shared<Framing>(Framing::Of::Request, wire::forwardHead(request, true, {}));
            if (sending->bad()) {
                std::string answer = wire::refusal(400, "Bad Request");
                co_await refuse(c, std::move(answer));
                co_return;
            }
            body.resize(sending->take(body));
        } else {
            body.clear();
        }
        std::vector<std::size_t> tried;
        Clock::time_point began;
        bool waited = false;
        // Attempts given up early (hurried) cost nothing either, while they all fit in the answer limit.
        const Clock::time_point start = Clock::now();
        bool quietened = false;
        const auto cost = [&] { return !quietened && Clock::now() - began > kCheap ? 1 : 0; };
        for (int slow = 0; slow < options.triesPerRequest; slow += cost()) {
            began = Clock::now();
            quietened = false;
            auto i = pick(request.host, tried);
            if (!i && !waited) {
                waited = true;
                const bool came = co_await arrival();
                tried.clear();
                if (came)
                    i = pick(request.host, tried);
            }
            if (!i)
                break;
            tried.push_back(*i);
            const ProxyEntry up = pool.at(*i);
            std::string extra;
            const Reach reached = co_await through(c, up, request.host, request.port, false, extra);
            if (reached == Reach::Target) {
                std::string answer = wire::refusal(502, "Target Unreachable");
                co_await refuse(c, std::move(answer));
                co_return;
            }
            if (reached != Reach::Ok) {
                fail(up, request.host, tried);
                continue;
            }
            const bool direct = kindOf(up) == Protocol::Http;
            const std::string head =
                wire::forwardHead(request, direct, direct ? up.credentials : std::string());
            bool sent = co_await writeAll(c->upstream, head);
            if (sent)
                sent = co_await writeAll(c->upstream, body);
            if (!sent) {
                fail(up, request.host, tried);
                if (!wire::retryable(request))
                    break;
                continue;
            }
            // The rest of a body goes on while the answer comes (such a request is never made again).
            if (sending && !sending->done())
                asio::co_spawn(c->client.get_executor(),
                               copyMessage(c, c->client, c->upstream, options.idle, sending), asio::detached);
            // An upstream that took the request and says nothing is given a while (its own limit, which
            // ends only this attempt), then the next; a 407 is its fault, never the client's answer. A
            // request that may be made again and has another upstream to try waits only the silence limit
            // (a free proxy gone silent looks like this): the upstream is then quiet, not benched (it may
            // only be slow), and the next is tried; the last try waits the whole limit.
            const auto silence = std::min(options.silence, options.upstreamLimit * 3);
            const bool hurried = wire::retryable(request) && slow + 1 < options.triesPerRequest &&
                                 Clock::now() + silence - start < options.upstreamLimit * 3 &&
                                 pick(request.host, tried).has_value();
            std::string answer = extra;
            bool timedOut = false;
            std::optional<std::size_t> end =
                co_await answerHead(c, up, answer, hurried ? silence : options.upstreamLimit * 3, timedOut);
            if (!end && timedOut && hurried) {
                // Silent twice running without working in between: benched, and so checked by a judge.
                if (const auto now = pool.find(up); now && pool.quiet(*now))
                    fail(*now, request.host, tried);
                quietened = true;
                mirror();
                asio::error_code ignored;
                c->upstream.close(ignored);
                continue;
            }
            std::optional<wire::Answer> parsed;
            if (end)
                parsed = wire::parseAnswer(std::string_view(answer).substr(0, *end));
            // Interim answers (100 Continue, 103) go to the client as they are; the final one follows.
            while (parsed && parsed->status >= 100 && parsed->status < 200 && parsed->status != 101) {
                const bool passed = co_await writeAll(c->client, std::string_view(answer).substr(0, *end));
                answer.erase(0, *end);
                parsed.reset();
                end.reset();
                if (!passed)
                    co_return;
                end = co_await answerHead(c, up, answer, options.upstreamLimit * 3, timedOut);
                if (end)
                    parsed = wire::parseAnswer(std::string_view(answer).substr(0, *end));
            }
            if (parsed && parsed->status == 407)
                parsed.reset();
            // The answer ends where its framing says, and the upstream's connection with it, whether or not
            // the upstream heeds "Connection: close"; an answer whose end cannot be told is the upstream's
            // fault.
            std::shared_ptr<Framing> receiving;
            if (parsed) {
                receiving =
                    std::make_shared<Framing>(Framing::Of::Answer, parsed->head, request.method == "HEAD");
                if (receiving->bad())
                    parsed.reset();
            }
            if (!parsed) {
                fail(up, request.host, tried);
                if (!wire::retryable(request) || !c->client.is_open())
                    break;
                asio::error_code ignored;
                c->upstream.close(ignored);
                continue;
            }
            used(up, request.host);
            std::string early = answer.substr(*end);
            early.resize(receiving->take(early));
            bool ok = co_await writeAll(c->client, parsed->head);
            if (ok)
                ok = co_await writeAll(c->client, early);
            if (!ok || receiving->done())
                co_return;
            c->touch(options.idle);
            co_await copyMessage(c, c->upstream, c->client, options.idle, receiving);
            co_return;
        }
        if (pool.healthy() == 0)
            say({Event::Kind::NoneLeft, {}, {}, {}});
        std::string answer = wire::noUpstreamAnswer();
        co_await refuse(c, std::move(answer));
    }

    awaitable<void> serve(std::shared_ptr<Conn> c)
    {
        ++clients;
        live.insert(c.get());
        mirror();
        c->touch(options.idle);
        asio::co_spawn(io, watchdog(c), asio::detached);
        std::string buf;
        std::array<char, 4096> chunk;
        auto [ec, n] = co_await c->client.async_read_some(asio::buffer(chunk), nothrow);
        if (!ec) {
            buf.assign(chunk.data(), n);
            if (buf[0] == 5)
                co_await socks5(c, std::move(buf));
            else
                co_await http(c, std::move(buf));
        }
        c->done = true;
        c->timer.cancel();
        c->close();
        live.erase(c.get());
        --clients;
        mirror();
    }

    awaitable<void> accept(tcp::acceptor& acceptor)
    {
        while (acceptor.is_open()) {
            auto [ec, socket] = co_await acceptor.async_accept(nothrow);
            if (ec) {
                if (ec == asio::error::operation_aborted)
                    co_return;
                // A descriptor shortage: the connection waits in the backlog while one is given back, and
                // the loop does not spin meanwhile.
                co_await sleepFor(std::chrono::milliseconds(100));
                continue;
            }
            if (clients >= options.maxClients)
                continue; // closed at once: more than the relay serves
            asio::error_code ignored;
            socket.set_option(tcp::no_delay(true), ignored);
            asio::co_spawn(io, serve(std::make_shared<Conn>(std::move(socket))), asio::detached);
        }
    }
};

Relay::Relay(Options options, Listener listener)
    : options_(options)
    , state_(std::make_shared<State>(options, std::move(listener)))
{
}

Relay::~Relay()
{
    state_->io.stop();
    if (state_->thread.joinable())
        state_->thread.join();
    // A lookup cannot be stopped, and the end of the io_context waits for it (seconds, with a DNS that does
    // not answer): then the state ends on a thread of its own, so that whoever stops the relay (the window's
    // thread) goes on at once. Nothing of it runs any more: its sockets, timers and listener only go.
    if (state_->resolving > 0)
        std::thread([state = std::move(state_)]() mutable { state.reset(); }).detach();
}

IoResult Relay::start()
{
    State& s = *state_;
    asio::error_code ec;
    std::uint16_t port = options_.port;
    for (const char* address : {"127.0.0.1", "::1"}) {
        tcp::acceptor a(s.io);
        const tcp::endpoint at(asio::ip::make_address(address), port);
        a.open(at.protocol(), ec);
        if (!ec)
            a.set_option(tcp::acceptor::reuse_address(true), ec);
        if (!ec)
            a.bind(at, ec);
        if (!ec)
            a.listen(asio::socket_base::max_listen_connections, ec);
        if (ec) {
            if (s.acceptors.empty())
                return IoResult::failure(std::string("127.0.0.1:") + std::to_string(port) + ": " +
                                         ec.message());
            continue; // no IPv6 loopback here: IPv4 alone
        }
        port = a.local_endpoint().port();
        s.acceptors.push_back(std::move(a));
    }
    port_ = port;
    s.port = port;
    for (tcp::acceptor& a : s.acceptors)
        asio::co_spawn(s.io, s.accept(a), asio::detached);
    s.thread = std::thread([state = state_] { state->io.run(); });
    return IoResult::success();
}

void Relay::setUpstreams(std::vector<ProxyEntry> fastestFirst)
{
    asio::post(state_->io, [s = state_.get(), list = std::move(fastestFirst)] { s->setUpstreams(list); });
}

void Relay::prefer(ProxyEntry proxy)
{
    asio::post(state_->io, [s = state_.get(), proxy = std::move(proxy)] {
        if (proxy.endpoint.valid() && !s->isSelf(proxy.endpoint))
            s->pool.prefer(proxy);
        s->mirror();
        s->arrivals.cancel();
    });
}

void Relay::revive(ProxyEntry proxy)
{
    asio::post(state_->io, [s = state_.get(), proxy = std::move(proxy)] {
        s->pool.revive(proxy);
        s->mirror();
        s->arrivals.cancel();
    });
}

void Relay::stillDead(ProxyEntry proxy)
{
    asio::post(state_->io, [s = state_.get(), proxy = std::move(proxy)] {
        for (std::size_t i = 0; i < s->pool.size(); ++i) {
            if (s->pool.at(i) == proxy) {
                s->pool.revive(proxy); // and at once benched again, for longer
                const auto b = s->pool.failed(i);
                s->say({Event::Kind::Benched, proxy, {}, b.backOff});
            }
        }
        s->mirror();
    });
}

Relay::Counts Relay::counts() const
{
    return {state_->seenClients.load(), state_->seenUpstreams.load(), state_->seenHealthy.load()};
}

} // namespace vorin::relay
