// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "check/KeloInetChecker.h"

#include "platform/gbk.h"
#include "platform/hostport.h"
#include "platform/texts.h"

#include <atomic>

namespace vorin {
namespace {

std::atomic<long long> overallLimitMs{15000};

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

FetchEngine::Request TKeloInetChecker::request() const
{
    FetchEngine::Request r;
    r.url = Url;
    r.agent = UserAgent;
    r.proxy = HostPort::parse(proxyText());
    r.connectTimeout = std::chrono::milliseconds(timeout);
    r.totalTimeout = overallLimit();
    r.bodyLimit = 120;
    return r;
}

bool TKeloInetChecker::Start()
{
    if (Url.empty())
        return false;
    if (OnStart)
        OnStart(this);
    timeout = 3000;
    const FetchEngine::Request req = request();
    // Text that names no endpoint (a scheme cut into the address, a path in the port) is never fetched.
    const bool fetchable = req.proxy.empty() || req.proxy.valid();
    if (!AsynRequest)
        return fetchable && !FetchEngine::fetchNow(req).status.empty();
    cancelFetch(); // a checker serves one fetch at a time
    const std::uint64_t generation = ++generation_;
    if (!fetchable) {
        fetch_ = kNoFetch;
        postCompletion(dispatcher_, token_, false, generation);
        return true;
    }
    // The network thread never touches the checker: it hands the verdict to the main thread.
    std::weak_ptr<Token> weak = token_;
    Dispatcher* dispatcher = &dispatcher_;
    fetch_ = engine_.submit(req, [weak, dispatcher, generation](const FetchEngine::Result& result) {
        postCompletion(*dispatcher, weak, verdict(result), generation);
    });
    return true;
}

void TKeloInetChecker::postCompletion(Dispatcher& dispatcher, std::weak_ptr<Token> weak, bool connected,
                                      std::uint64_t generation)
{
    // Any thread; touches nothing of the checker itself. On the main thread the token says whether the
    // checker still exists and the generation whether it still waits for this answer.
    dispatcher.post([weak = std::move(weak), connected, generation] {
        auto token = weak.lock();
        if (!token || !token->alive || token->self->generation_ != generation || token->self->fetch_ == 0)
            return;
        TKeloInetChecker* self = token->self;
        self->fetch_ = 0;
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

void TKeloInetChecker::postStatusChange(std::uint32_t statusCode)
{
    std::weak_ptr<Token> weak = token_;
    dispatcher_.post([weak, statusCode] {
        auto token = weak.lock();
        if (token && token->alive && token->self->OnStatusChange)
            token->self->OnStatusChange(token->self, statusCode);
    });
}

} // namespace vorin
