// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/asyncfetch.h"

#include "platform/curlinit.h"

#include <algorithm>
#include <cerrno>
#include <curl/curl.h>
#include <mutex>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <unordered_set>

namespace vorin {

struct FetchEngine::Transfer {
    std::uint64_t id = 0;
    Request request;
    Done done;
    CURL* easy = nullptr;
    curl_slist* headers = nullptr;
    Result result;
    bool stoppedReading = false; // the body limit was reached, or the answer was no "200"
    int socketErrno = 0;         // why the last socket could not be opened; 0 when it could

    ~Transfer()
    {
        if (easy)
            curl_easy_cleanup(easy);
        curl_slist_free_all(headers);
    }
};

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

// Drops whatever the answer's headers say; the status code is read from curl afterwards.
std::size_t onHeader(char*, std::size_t size, std::size_t count, void*)
{
    return size * count;
}

// The network thread's event loop: libcurl tells which sockets to watch and when its next time-out is due,
// and is told of exactly the sockets that are ready, so a loop turn costs what happened, not what is open.
struct EventLoop {
    int epoll = -1;
    bool timerSet = false;
    std::chrono::steady_clock::time_point due;
    std::unordered_set<int> watched; // the sockets in the epoll set
};

// The network thread's loop, for the close callback, which libcurl calls without it.
thread_local EventLoop* networkLoop = nullptr;

// A socket leaves the epoll set before it is closed, so that its number, free again, is never touched
// for it afterwards.
int closeSocket(void*, curl_socket_t s)
{
    if (networkLoop && networkLoop->watched.erase(s))
        ::epoll_ctl(networkLoop->epoll, EPOLL_CTL_DEL, s, nullptr);
    return ::close(s);
}

// Opens the sockets of a transfer as libcurl would, keeping the reason of a failure: libcurl reports a
// socket it could not open only as a failed connection.
curl_socket_t openSocket(void* data, curlsocktype, curl_sockaddr* address)
{
    auto& t = *static_cast<FetchEngine::Transfer*>(data);
    const int fd = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    t.socketErrno = fd < 0 ? errno : 0;
    return fd < 0 ? CURL_SOCKET_BAD : fd;
}

CURL* prepare(FetchEngine::Transfer& t)
{
    CURL* easy = curl_easy_init();
    if (!easy)
        return nullptr;
    const FetchEngine::Request& r = t.request;
    t.headers = curl_slist_append(t.headers, "Pragma: no-cache");
    t.headers = curl_slist_append(t.headers, "Cache-Control: no-cache");
    curl_easy_setopt(easy, CURLOPT_URL, r.url.c_str());
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
            curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, r.proxyUser.c_str());
            curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, r.proxyPassword.c_str());
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
    curl_easy_setopt(easy, CURLOPT_PRIVATE, &t);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, openSocket);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, &t);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION, closeSocket);
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
    const auto shortOfResources = [](long e) {
        return e == EMFILE || e == ENFILE || e == EADDRNOTAVAIL || e == ENOBUFS || e == ENOMEM;
    };
    const bool machineShort = shortOfResources(t.socketErrno) || shortOfResources(osErrno);
    t.result.localFailure = rc == CURLE_OUT_OF_MEMORY || (rc == CURLE_COULDNT_CONNECT && machineShort);
}

// Every check in flight holds a socket, and a run keeps hundreds to thousands in flight; the usual soft
// limit of 1024 descriptors is raised to what the system allows.
void raiseDescriptorLimit()
{
    static std::once_flag once;
    std::call_once(once, [] {
        rlimit limit{};
        if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
            limit.rlim_cur = limit.rlim_max;
            ::setrlimit(RLIMIT_NOFILE, &limit);
        }
    });
}

} // namespace

std::size_t FetchEngine::descriptorLimit()
{
    raiseDescriptorLimit();
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return 1u << 20;
    return static_cast<std::size_t>(limit.rlim_cur);
}

FetchEngine::FetchEngine()
{
    curlGlobalInit();
    raiseDescriptorLimit();
    multi_ = curl_multi_init();
    wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

void FetchEngine::wake()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto n = ::write(wake_, &one, sizeof one);
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
    ::close(wake_);
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

namespace {

// libcurl tells the network thread's event loop which sockets to watch (onSocket) and when its next
// time-out is due (onTimer).
int onSocket(CURL*, curl_socket_t s, int what, void* data, void*)
{
    auto& loop = *static_cast<EventLoop*>(data);
    if (what == CURL_POLL_REMOVE) {
        // Only a socket still in the set: one already closed may have given its number to another
        // (a descriptor of this process's, or of another thread's).
        if (loop.watched.erase(s))
            ::epoll_ctl(loop.epoll, EPOLL_CTL_DEL, s, nullptr);
        return 0;
    }
    loop.watched.insert(s);
    epoll_event ev{};
    ev.data.fd = s;
    ev.events = ((what & CURL_POLL_IN) ? EPOLLIN : 0u) | ((what & CURL_POLL_OUT) ? EPOLLOUT : 0u);
    if (::epoll_ctl(loop.epoll, EPOLL_CTL_MOD, s, &ev) != 0)
        ::epoll_ctl(loop.epoll, EPOLL_CTL_ADD, s, &ev);
    return 0;
}

int onTimer(CURLM*, long timeoutMs, void* data)
{
    auto& loop = *static_cast<EventLoop*>(data);
    loop.timerSet = timeoutMs >= 0;
    loop.due = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0L));
    return 0;
}

} // namespace

void FetchEngine::run()
{
    auto* multi = static_cast<CURLM*>(multi_);
    EventLoop loop;
    networkLoop = &loop;
    loop.epoll = ::epoll_create1(EPOLL_CLOEXEC);
    curl_multi_setopt(multi, CURLMOPT_SOCKETFUNCTION, onSocket);
    curl_multi_setopt(multi, CURLMOPT_SOCKETDATA, &loop);
    curl_multi_setopt(multi, CURLMOPT_TIMERFUNCTION, onTimer);
    curl_multi_setopt(multi, CURLMOPT_TIMERDATA, &loop);
    epoll_event wakeEvent{};
    wakeEvent.events = EPOLLIN;
    wakeEvent.data.fd = wake_;
    ::epoll_ctl(loop.epoll, EPOLL_CTL_ADD, wake_, &wakeEvent);
    std::vector<epoll_event> events(1024);
    int running = 0;
    for (;;) {
        std::vector<std::unique_ptr<Transfer>> added;
        std::vector<std::uint64_t> dropped;
        {
            std::lock_guard lock(mutex_);
            if (stopping_)
                break;
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

        // Waits for a socket, the wake-up or libcurl's next time-out, whichever comes first.
        int waitMs = 200;
        if (loop.timerSet) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                loop.due - std::chrono::steady_clock::now());
            waitMs = static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, 200));
        }
        const int ready = ::epoll_wait(loop.epoll, events.data(), static_cast<int>(events.size()), waitMs);
        if (ready < 0 && errno != EINTR) {
            // No epoll (the descriptor limit was reached when it was made): the thread waits as it would
            // have, rather than spin, and makes it again once a descriptor is free.
            std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
            if (loop.epoll < 0 && (loop.epoll = ::epoll_create1(EPOLL_CLOEXEC)) >= 0)
                ::epoll_ctl(loop.epoll, EPOLL_CTL_ADD, wake_, &wakeEvent);
        }
        for (int i = 0; i < ready; ++i) {
            const int fd = events[static_cast<std::size_t>(i)].data.fd;
            const std::uint32_t what = events[static_cast<std::size_t>(i)].events;
            if (fd == wake_) {
                std::uint64_t count;
                [[maybe_unused]] const auto n = ::read(wake_, &count, sizeof count);
                continue;
            }
            const int flags = ((what & EPOLLIN) ? CURL_CSELECT_IN : 0) |
                              ((what & EPOLLOUT) ? CURL_CSELECT_OUT : 0) |
                              ((what & (EPOLLERR | EPOLLHUP)) ? CURL_CSELECT_ERR : 0);
            curl_multi_socket_action(multi, fd, flags, &running);
        }
        if (loop.timerSet && std::chrono::steady_clock::now() >= loop.due) {
            loop.timerSet = false;
            curl_multi_socket_action(multi, CURL_SOCKET_TIMEOUT, 0, &running);
        }

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
    // Stopping: transfers under way end without their Done, while the loop libcurl reports to still exists.
    for (auto& [id, t] : active_)
        curl_multi_remove_handle(multi, t->easy);
    active_.clear();
    curl_multi_setopt(multi, CURLMOPT_SOCKETFUNCTION, nullptr);
    curl_multi_setopt(multi, CURLMOPT_TIMERFUNCTION, nullptr);
    ::close(loop.epoll);
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
