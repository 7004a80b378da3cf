// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "check/KeloInetChecker.h"

#include "check/echo.h"
#include "platform/gbk.h"
#include "platform/hostport.h"
#include "platform/process.h"
#include "platform/texts.h"

#include <atomic>
#include <cerrno>
#include <random>
#include <tuple>

namespace vorin {
namespace {

std::atomic<long long> overallLimitMs{15000};

// 128 bits from the system's random source in hex: no proxy can have seen the token before this check,
// nor predict it from tokens it has seen (a seeded generator's output can be learned).
std::string freshToken()
{
    unsigned char bits[16];
    if (!process::randomBytes(bits, sizeof bits)) { // no system source: the C++ library's own device
        std::random_device device;
        for (unsigned char& b : bits)
            b = static_cast<unsigned char>(device());
    }
    static constexpr char hex[] = "0123456789abcdef";
    std::string token;
    for (unsigned char b : bits) {
        token += hex[b >> 4];
        token += hex[b & 15];
    }
    return token;
}

} // namespace

TKeloInetChecker::TKeloInetChecker(FetchEngine& engine, Dispatcher& dispatcher)
    : engine_(engine)
    , dispatcher_(dispatcher)
    , token_(std::make_shared<Token>(Token{this}))
{
}

TKeloInetChecker::~TKeloInetChecker()
{
    token_->alive = false;
    cancelFetch();
}

void TKeloInetChecker::setOverallLimit(std::chrono::milliseconds limit)
{
    overallLimitMs = limit.count();
}

std::chrono::milliseconds TKeloInetChecker::overallLimit()
{
    return std::chrono::milliseconds(overallLimitMs.load());
}

bool TKeloInetChecker::verdict(const FetchEngine::Result& result)
{
    if (result.status != "200" || !result.bodyRead)
        return false;
    // Searched character by character, not byte by byte, so the marker cannot match across two GBK
    // characters.
    const std::string& body = result.body;
    const std::string& marker = texts().lookupMarker;
    for (std::size_t i = 0; i + marker.size() <= body.size(); i += gbk::charLength(body, i)) {
        if (body.compare(i, marker.size(), marker) == 0)
            return true;
    }
    return false;
}

void TKeloInetChecker::setJudge(const Judge& judge)
{
    Url = judge.url;
    Echo = judge.rule == Judge::Rule::Echo;
    Marker = judge.marker;
    MarkerBytes = judge.markerBytes;
}

std::string TKeloInetChecker::proxyText() const
{
    switch (AccessType) {
    case TAccessType::atProxy:
        return Proxy;
    case TAccessType::atPreConfig:
    case TAccessType::atPreConfigWithNoProxy:
        return SystemProxy;
    case TAccessType::atDirectConnect:
        break;
    }
    return {};
}

std::unique_ptr<TKeloInetChecker> TKeloInetChecker::directAsk(FetchEngine& engine, Dispatcher& dispatcher,
                                                              const Judge& judge)
{
    auto ask = std::make_unique<TKeloInetChecker>(engine, dispatcher);
    ask->AccessType = TAccessType::atDirectConnect;
    ask->setJudge(judge);
    ask->UserAgent = "Internet Explorer 7.0";
    return ask;
}

bool TKeloInetChecker::verdict(const FetchEngine::Result& result, std::string_view marker)
{
    return result.status == "200" && result.bodyRead && result.body.find(marker) != std::string::npos;
}

bool TKeloInetChecker::echoVerdict(const FetchEngine::Result& result, const std::string& token)
{
    if (result.status != "200" || !result.bodyRead)
        return false;
    return echoedParam(parseEcho(result.body), kTokenParam) == token;
}

FetchEngine::Request TKeloInetChecker::request(const std::string& token) const
{
    FetchEngine::Request r;
    r.url = Echo ? withQueryParam(Url, kTokenParam, token) : Url;
    r.agent = UserAgent;
    r.proxy = HostPort::parse(proxyText());
    if (AccessType == TAccessType::atProxy) {
        r.kind = Kind;
        std::tie(r.proxyUser, r.proxyPassword) = splitCredentials(Credentials);
    }
    r.family = IpFamily;
    r.connectTimeout = std::chrono::milliseconds(timeout);
    r.totalTimeout = overallLimit();
    // An echo page lists the whole request; 64 KiB holds any judge's answer.
    r.bodyLimit = Echo ? std::size_t{64} << 10 : MarkerBytes;
    return r;
}

bool TKeloInetChecker::Start()
{
    if (Url.empty())
        return false;
    if (OnStart)
        OnStart(this);
    timeout = 3000;
    const std::string token = Echo ? freshToken() : std::string();
    const FetchEngine::Request req = request(token);
    // Text that names no endpoint (a scheme cut into the address, a path in the port) is never fetched.
    const bool fetchable = req.proxy.empty() || req.proxy.valid();
    if (!AsynRequest)
        return fetchable && !FetchEngine::fetchNow(req).status.empty();
    cancelFetch(); // a checker serves one fetch at a time
    const std::uint64_t generation = ++generation_;
    if (!fetchable) {
        fetch_ = kNoFetch;
        postCompletion(dispatcher_, token_, false, generation, Answer{});
        return true;
    }
    // The network thread never touches the checker: it hands the verdict to the main thread.
    std::weak_ptr<Token> weak = token_;
    Dispatcher* dispatcher = &dispatcher_;
    // The rule travels with the fetch by value: the network thread reads nothing of the checker.
    if (Echo) {
        fetch_ = engine_.submit(req, [weak, dispatcher, generation, token, self = SelfAddress,
                                      own = JudgeHeaders](const FetchEngine::Result& result) {
            const bool passed = echoVerdict(result, token);
            Answer answer = answerOf(result);
            const EchoAnswer echo = result.bodyRead ? parseEcho(result.body) : EchoAnswer{};
            answer.echoPage = echo.shape != EchoAnswer::Shape::None;
            if (passed)
                answer.facts = echoFacts(echo, self, own);
            postCompletion(*dispatcher, weak, passed, generation, std::move(answer));
        });
        return true;
    }
    std::function<bool(const FetchEngine::Result&)> judge;
    if (!Marker.empty())
        judge = [marker = Marker](const FetchEngine::Result& r) { return verdict(r, marker); };
    else
        judge = [](const FetchEngine::Result& r) { return verdict(r); };
    fetch_ = engine_.submit(req, [weak, dispatcher, generation, judge](const FetchEngine::Result& result) {
        postCompletion(*dispatcher, weak, judge(result), generation, answerOf(result));
    });
    return true;
}

TKeloInetChecker::Answer TKeloInetChecker::answerOf(const FetchEngine::Result& result)
{
    Answer answer;
    answer.localFailure = result.localFailure;
    answer.status = result.status;
    answer.server = result.server;
    return answer;
}

void TKeloInetChecker::postCompletion(Dispatcher& dispatcher, std::weak_ptr<Token> weak, bool connected,
                                      std::uint64_t generation, Answer answer)
{
    // Any thread; touches nothing of the checker itself. On the main thread the token says whether the
    // checker still exists and the generation whether it still waits for this answer.
    dispatcher.post([weak = std::move(weak), connected, generation, answer = std::move(answer)]() mutable {
        auto token = weak.lock();
        if (!token || !token->alive || token->self->generation_ != generation || token->self->fetch_ == 0)
            return;
        TKeloInetChecker* self = token->self;
        self->fetch_ = 0;
        self->answer_ = std::move(answer);
        auto complete = self->OnComplete; // the handler may destroy the checker
        if (complete)
            complete(self, connected);
    });
}

void TKeloInetChecker::cancelFetch()
{
    if (fetch_ != 0 && fetch_ != kNoFetch)
        engine_.cancel(fetch_);
}

bool TKeloInetChecker::running() const
{
    return fetch_ != 0;
}

} // namespace vorin
