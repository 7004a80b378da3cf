// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/asyncfetch.h"

#include "platform/asyncfetch_internal.h"
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

namespace {

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

} // namespace

void watchSockets(CURL* easy, FetchEngine::Transfer& t)
{
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, openSocket);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, &t);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION, closeSocket);
}

bool shortOfResources(long e)
{
    return e == EMFILE || e == ENFILE || e == EADDRNOTAVAIL || e == ENOBUFS || e == ENOMEM;
}

namespace {

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

void FetchEngine::closeWake()
{
    ::close(wake_);
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
        if (!takeWork())
            break;

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

        deliverFinished();
    }
    // Stopping: transfers under way end without their Done, while the loop libcurl reports to still exists.
    dropActive();
    curl_multi_setopt(multi, CURLMOPT_SOCKETFUNCTION, nullptr);
    curl_multi_setopt(multi, CURLMOPT_TIMERFUNCTION, nullptr);
    ::close(loop.epoll);
}

} // namespace vorin
