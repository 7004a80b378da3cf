// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The fetch engine's parts that are the same everywhere: a request made into a libcurl transfer, its answer
// read, the hand-over of requests and results with the callers. The network thread's wait is the
// platform's (asyncfetch_linux.cpp, asyncfetch_windows.cpp).
#include "platform/asyncfetch.h"

#include "platform/asyncfetch_internal.h"
#include "platform/curlinit.h"
#include "platform/trim.h"

#include <algorithm>
#include <mutex>

namespace vorin {

namespace {

// Receives the body: only a "200" answer is read, and only up to the limit. Returning less than was
// offered makes curl end the transfer there, which is how the read stops early.
std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* t = static_cast<FetchEngine::Transfer*>(user);
    long code = 0;
    curl_easy_getinfo(t->easy, CURLINFO_RESPONSE_CODE, &code);
    if (code != 200) {
        t->stoppedReading = true;
        return 0;
    }
    std::size_t n = size * count;
    std::size_t room = t->request.bodyLimit - t->result.body.size();
    t->result.body.append(data, std::min(n, room));
    if (n >= room) {
        t->stoppedReading = true;
        return 0;
    }
    return n;
}

// Keeps the Server header of the last answer (a status line starts a new one: an interim 100 answer);
// the status code is read from curl afterwards. A proxy's CONNECT answer never comes here (suppressed).
std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* t = static_cast<FetchEngine::Transfer*>(user);
    const std::string_view line(data, size * count);
    if (line.rfind("HTTP/", 0) == 0) {
        t->result.server.clear();
    } else if (line.size() > 7 && equalsNoCase(line.substr(0, 7), "server:")) {
        const std::string_view value = trim(line.substr(7));
        t->result.server.assign(value.substr(0, 200)); // a header is no place for more
    }
    return size * count;
}

} // namespace

CURL* prepare(FetchEngine::Transfer& t)
{
    CURL* easy = curl_easy_init();
    if (!easy)
        return nullptr;
    const FetchEngine::Request& r = t.request;
    t.headers = curl_slist_append(t.headers, "Pragma: no-cache");
    t.headers = curl_slist_append(t.headers, "Cache-Control: no-cache");
    curlCommonOptions(easy);
    curl_easy_setopt(easy, CURLOPT_URL, curlUrl(r.url).c_str()); // libcurl keeps a copy
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    // The kind is set here, never read from the address: text such as "socks5" or "https" taken from a page
    // is a host name to libcurl, not a scheme. An empty proxy means direct, the environment ignored.
    curl_easy_setopt(easy, CURLOPT_PROXY, r.proxy.host.c_str());
    if (!r.proxy.host.empty()) {
        curl_easy_setopt(easy, CURLOPT_PROXYPORT, static_cast<long>(r.proxy.portNumber()));
        long type = CURLPROXY_HTTP;
        switch (r.kind) {
        case Protocol::Http:
            break;
        case Protocol::Https:
            curl_easy_setopt(easy, CURLOPT_HTTPPROXYTUNNEL, 1L);
            break;
        case Protocol::Socks4:
            type = CURLPROXY_SOCKS4;
            break;
        case Protocol::Socks5:
            type = CURLPROXY_SOCKS5;
            break;
        }
        curl_easy_setopt(easy, CURLOPT_PROXYTYPE, type);
        if (!r.proxyUser.empty()) {
            // Apart, not as "user:password": a colon in the password stays the password's.
            curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, curlCredential(r.proxyUser).c_str());
            curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, curlCredential(r.proxyPassword).c_str());
            curl_easy_setopt(easy, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC));
        }
    }
    if (r.family != FetchEngine::Request::Family::Any)
        curl_easy_setopt(easy, CURLOPT_IPRESOLVE,
                         r.family == FetchEngine::Request::Family::V4 ? CURL_IPRESOLVE_V4
                                                                      : CURL_IPRESOLVE_V6);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, r.agent.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, t.headers);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(r.connectTimeout.count()));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(r.totalTimeout.count()));
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_FRESH_CONNECT, 1L); // every verdict is about the proxy as it is now
    curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
    // No name cache: a run names thousands of proxies once each, and libcurl's cache is a small hash that
    // it walks on every lookup.
    curl_easy_setopt(easy, CURLOPT_DNS_CACHE_TIMEOUT, 0L);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(easy, CURLOPT_PRIVATE, &t);
    watchSockets(easy, t);
    t.easy = easy;
    return easy;
}

void finish(FetchEngine::Transfer& t, CURLcode rc)
{
    long code = 0;
    curl_easy_getinfo(t.easy, CURLINFO_RESPONSE_CODE, &code);
    t.result.status = code > 0 ? std::to_string(code) : std::string();
    bool bodyDone = rc == CURLE_OK || (rc == CURLE_WRITE_ERROR && t.stoppedReading);
    t.result.bodyRead = t.result.status == "200" && bodyDone;
    // A socket that could not be opened, or a connection with no local port left, is this machine's
    // shortage, not a proxy that refused.
    long osErrno = 0;
    curl_easy_getinfo(t.easy, CURLINFO_OS_ERRNO, &osErrno);
    const bool machineShort = shortOfResources(t.socketErrno) || shortOfResources(osErrno);
    t.result.localFailure = rc == CURLE_OUT_OF_MEMORY || (rc == CURLE_COULDNT_CONNECT && machineShort);
}

std::uint64_t FetchEngine::submit(Request request, Done done)
{
    auto t = std::make_unique<Transfer>();
    t->request = std::move(request);
    t->done = std::move(done);
    std::uint64_t id;
    bool woken;
    {
        std::lock_guard lock(mutex_);
        id = t->id = ++nextId_;
        // The network thread takes everything that came in at once: one wake-up for a batch.
        woken = !incoming_.empty();
        incoming_.push_back(std::move(t));
        ++inFlight_;
        if (!thread_.joinable())
            thread_ = std::thread([this] { run(); });
    }
    if (!woken)
        wake();
    return id;
}

void FetchEngine::cancel(std::uint64_t id)
{
    {
        std::lock_guard lock(mutex_);
        auto it =
            std::find_if(incoming_.begin(), incoming_.end(), [&](const auto& t) { return t->id == id; });
        if (it != incoming_.end()) {
            incoming_.erase(it);
            --inFlight_;
            return;
        }
        cancelled_.push_back(id);
    }
    wake();
}

std::size_t FetchEngine::inFlight() const
{
    std::lock_guard lock(mutex_);
    return inFlight_;
}

FetchEngine::~FetchEngine()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake();
    if (thread_.joinable())
        thread_.join(); // the network thread drops the transfers still under way
    curl_multi_cleanup(static_cast<CURLM*>(multi_));
    closeWake();
}

bool FetchEngine::takeWork()
{
    auto* multi = static_cast<CURLM*>(multi_);
    std::vector<std::unique_ptr<Transfer>> added;
    std::vector<std::uint64_t> dropped;
    {
        std::lock_guard lock(mutex_);
        if (stopping_)
            return false;
        added.swap(incoming_);
        dropped.swap(cancelled_);
    }
    for (auto& t : added) {
        Transfer& ref = *t;
        if (!prepare(ref) || curl_multi_add_handle(multi, ref.easy) != CURLM_OK) {
            // Never issued on the wire: it ends at once, as a failed fetch of this machine's.
            ref.result.localFailure = true;
            auto done = std::move(ref.done);
            {
                std::lock_guard lock(mutex_);
                --inFlight_;
            }
            if (done)
                done(ref.result);
            continue;
        }
        active_[ref.id] = std::move(t);
    }
    for (std::uint64_t id : dropped) {
        auto it = active_.find(id);
        if (it == active_.end())
            continue;
        curl_multi_remove_handle(multi, it->second->easy);
        active_.erase(it);
        std::lock_guard lock(mutex_);
        --inFlight_;
    }
    return true;
}

void FetchEngine::deliverFinished()
{
    auto* multi = static_cast<CURLM*>(multi_);
    int queued = 0;
    while (CURLMsg* msg = curl_multi_info_read(multi, &queued)) {
        if (msg->msg != CURLMSG_DONE)
            continue;
        Transfer* raw = nullptr;
        curl_easy_getinfo(msg->easy_handle, CURLINFO_PRIVATE, &raw);
        CURLcode rc = msg->data.result;
        finish(*raw, rc);
        curl_multi_remove_handle(multi, raw->easy);
        auto owned = std::move(active_[raw->id]);
        active_.erase(raw->id);
        bool wasCancelled;
        {
            std::lock_guard lock(mutex_);
            wasCancelled = std::find(cancelled_.begin(), cancelled_.end(), owned->id) != cancelled_.end();
            --inFlight_;
        }
        // The engine is done with the request (handle removed); only then is the caller told.
        if (!wasCancelled && owned->done)
            owned->done(owned->result);
    }
}

void FetchEngine::dropActive()
{
    auto* multi = static_cast<CURLM*>(multi_);
    for (auto& [id, t] : active_)
        curl_multi_remove_handle(multi, t->easy);
    active_.clear();
}

FetchEngine::Result FetchEngine::fetchNow(const Request& request)
{
    curlGlobalInit();
    Transfer t;
    t.request = request;
    if (!prepare(t))
        return {};
    CURLcode rc = curl_easy_perform(t.easy);
    finish(t, rc);
    return t.result;
}

} // namespace vorin
