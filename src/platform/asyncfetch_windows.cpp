// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The network thread on libcurl's own wait: curl_multi_poll watches the transfers' sockets (on Windows
// through one socket event, however many there are) and curl_multi_wakeup ends a wait from another thread.
#include "platform/asyncfetch.h"

#include "platform/asyncfetch_internal.h"
#include "platform/curlinit.h"

#include <winsock2.h>

namespace vorin {
namespace {

// Keeps why a socket could not be opened: libcurl reports it only as a failed connection.
curl_socket_t openSocket(void* data, curlsocktype, curl_sockaddr* address)
{
    auto& t = *static_cast<FetchEngine::Transfer*>(data);
    const SOCKET s = ::socket(address->family, address->socktype, address->protocol);
    t.socketErrno = s == INVALID_SOCKET ? WSAGetLastError() : 0;
    return s == INVALID_SOCKET ? CURL_SOCKET_BAD : s;
}

} // namespace

void watchSockets(CURL* easy, FetchEngine::Transfer& t)
{
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, openSocket);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, &t);
}

bool shortOfResources(long e)
{
    return e == WSAEMFILE || e == WSAENOBUFS || e == WSAEADDRNOTAVAIL || e == ERROR_NOT_ENOUGH_MEMORY;
}

std::size_t FetchEngine::descriptorLimit()
{
    // Windows sockets are handles, not numbered descriptors: no small limit applies.
    return 1u << 20;
}

FetchEngine::FetchEngine()
{
    curlGlobalInit();
    multi_ = curl_multi_init();
}

void FetchEngine::wake()
{
    curl_multi_wakeup(static_cast<CURLM*>(multi_));
}

void FetchEngine::closeWake() {}

void FetchEngine::run()
{
    auto* multi = static_cast<CURLM*>(multi_);
    int running = 0;
    for (;;) {
        if (!takeWork())
            break;
        curl_multi_perform(multi, &running);
        deliverFinished();
        // Waits for a socket, a wake-up or libcurl's next time-out (which curl_multi_poll keeps to),
        // at most 200 ms.
        curl_multi_poll(multi, nullptr, 0, 200, nullptr);
    }
    dropActive();
}

} // namespace vorin
