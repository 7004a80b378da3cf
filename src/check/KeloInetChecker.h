// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "check/echo.h"
#include "config/judge.h"
#include "platform/asyncfetch.h"
#include "platform/dispatcher.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vorin {

enum class TAccessType {
    atDirectConnect,
    atPreConfig,            // the system proxy setting
    atPreConfigWithNoProxy, // the system proxy setting, no automatic discovery (there is none here)
    atProxy,                // the proxy named in Proxy
};

// Fetches one URL once, through a proxy or not, without blocking, and reports on the main thread whether
// the answer was the expected page: status "200" and "您的IP地址" within the first 120 bytes of the body.
// The network work runs on the engine's thread; the verdict comes back through the dispatcher, and a
// checker destroyed before it arrives cancels its fetch and hears nothing more. Main thread only.
class TKeloInetChecker {
public:
    using NotifyEvent = std::function<void(TKeloInetChecker* sender)>;
    using CompleteEvent = std::function<void(TKeloInetChecker* sender, bool connected)>;

    TKeloInetChecker(FetchEngine& engine, Dispatcher& dispatcher);
    ~TKeloInetChecker();
    TKeloInetChecker(const TKeloInetChecker&) = delete;
    TKeloInetChecker& operator=(const TKeloInetChecker&) = delete;

    TAccessType AccessType = TAccessType::atDirectConnect;
    bool AsynRequest = true;
    std::string UserAgent = "KeloSoft Internet Checker 1.0";
    std::string Proxy;
    // The stored system proxy (host:port, "" for none) that the atPreConfig access types go through; the
    // caller reads it from the settings store.
    std::string SystemProxy;
    std::string Url;
    NotifyEvent OnStart;
    CompleteEvent OnComplete;
    std::int32_t starttime = 0;
    std::int32_t timeout = 12500; // the connect time-out; Start sets it to 3000
    int Tag = 0;
    // The judge's rule for checks against a page the user chose. Echo: a fresh random token goes in the
    // query string and the check passes only when the answer (status 200) echoes it. Otherwise, with
    // Marker set, its bytes must come within the first MarkerBytes of the body. Left as they are, the check
    // looks for "您的IP地址" in 120 bytes.
    bool Echo = false;
    std::string Marker;
    std::size_t MarkerBytes = 120;
    // How the proxy is spoken to (HTTP unless set), and "user:password" for one that wants credentials.
    Protocol Kind = Protocol::Http;
    std::string Credentials;
    // Echo checks: the program's own address as the judge sees it, and the header keys of the judge's
    // answer to the program itself; with them the check's facts tell the anonymity.
    // (Every address it has, comma-separated: a proxy may forward the IPv4 one where the program's own ask
    // went over IPv6.)
    std::string SelfAddress;
    // Direct asks: the family the judge is reached over.
    FetchEngine::Request::Family IpFamily = FetchEngine::Request::Family::Any;
    std::vector<std::string> JudgeHeaders;

    // Sets Url and the rule (Echo, Marker, MarkerBytes) to the judge's.
    void setJudge(const Judge& judge);
    // A checker that asks judge directly, as the program asks a judge whether it answers (not started).
    static std::unique_ptr<TKeloInetChecker> directAsk(FetchEngine& engine, Dispatcher& dispatcher,
                                                       const Judge& judge);

    // The status code of the last check's answer ("200"); empty when no answer came. Set before
    // OnComplete is raised.
    const std::string& status() const { return answer_.status; }
    // What the last echo check's answer said (its exit address and anonymity, the echoed header keys);
    // set before OnComplete is raised.
    const EchoFacts& facts() const { return answer_.facts; }
    // Whether the last check failed on this machine (no descriptor or local port left) rather than at the
    // proxy; set before OnComplete is raised. Such a failure is no verdict on the proxy.
    bool localFailure() const { return answer_.localFailure; }
    // The Server header of the last answer (empty when none came or it had none), and whether an echo
    // check's answer was an echo page at all (of another request, when the check failed); set before
    // OnComplete is raised. With the judge's own Server they tell a judge refusing the proxy from a proxy
    // that failed (checkpolicy.h).
    const std::string& server() const { return answer_.server; }
    bool echoPage() const { return answer_.echoPage; }

    // Issues the fetch and returns at once: true when a completion will follow (asynchronous mode), false
    // when Url is empty or the fetch cannot be issued. In synchronous mode it blocks and returns whether
    // an answer came; no completion follows. A proxy that is no host name or IP address with a port fails
    // without a fetch: its completion, not connected, is posted all the same.
    bool Start();
    bool running() const;

    // The verdict on an answer: status text exactly "200" and the marker in the body bytes read.
    static bool verdict(const FetchEngine::Result& result);
    // The same for a marker of the user's (bytes, searched byte by byte).
    static bool verdict(const FetchEngine::Result& result, std::string_view marker);
    // The verdict of an echo judge's answer on the check that sent token.
    static bool echoVerdict(const FetchEngine::Result& result, const std::string& token);
    // The query parameter that carries an echo check's token.
    static constexpr const char* kTokenParam = "vorin";

    // The limit on a whole check besides the connect time-out, so that a proxy that accepts and never
    // answers still ends in a completion. 15 s unless set otherwise (tests).
    static void setOverallLimit(std::chrono::milliseconds limit);
    static std::chrono::milliseconds overallLimit();

private:
    // Shared with the closures posted to the main thread; alive is cleared when the checker goes, so a
    // late completion finds nothing to call.
    struct Token {
        TKeloInetChecker* self;
        bool alive = true;
    };
    FetchEngine::Request request(const std::string& token) const;
    // The proxy the access type goes through; empty for a direct connection.
    std::string proxyText() const;
    // What an answer said besides the verdict, carried from the network thread.
    struct Answer {
        EchoFacts facts;
        bool localFailure = false;
        std::string status;
        std::string server;
        bool echoPage = false;
    };
    static Answer answerOf(const FetchEngine::Result& result);
    static void postCompletion(Dispatcher& dispatcher, std::weak_ptr<Token> weak, bool connected,
                               std::uint64_t generation, Answer answer);
    // Drops the engine's fetch under way, if any.
    void cancelFetch();
    // fetch_ while a verdict reached without a fetch waits for the main thread.
    static constexpr std::uint64_t kNoFetch = ~std::uint64_t{0};

    FetchEngine& engine_;
    Dispatcher& dispatcher_;
    std::shared_ptr<Token> token_;
    std::uint64_t fetch_ = 0;      // the fetch under way, 0 when none
    std::uint64_t generation_ = 0; // counts Starts, so an answer to an earlier one is told apart
    Answer answer_;
};

} // namespace vorin
