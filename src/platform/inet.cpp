// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/inet.h"

#ifndef _WIN32
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <cstdint>

namespace vorin::inet {

bool accepting(const std::string& address, int port)
{
    if (port <= 0 || port > 65535)
        return false;
    sockaddr_storage storage{};
    auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
    int size = 0;
    if (::inet_pton(AF_INET, address.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(static_cast<std::uint16_t>(port));
        size = sizeof *v4;
    } else if (::inet_pton(AF_INET6, address.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(static_cast<std::uint16_t>(port));
        size = sizeof *v6;
    } else {
        return false;
    }
#ifdef _WIN32
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return false;
    const SOCKET s = ::socket(storage.ss_family, SOCK_STREAM, IPPROTO_TCP);
    const bool ok =
        s != INVALID_SOCKET && ::connect(s, reinterpret_cast<const sockaddr*>(&storage), size) == 0;
    if (s != INVALID_SOCKET)
        closesocket(s);
    WSACleanup();
    return ok;
#else
    const int s = ::socket(storage.ss_family, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    const bool ok = s >= 0 && ::connect(s, reinterpret_cast<const sockaddr*>(&storage),
                                        static_cast<socklen_t>(size)) == 0;
    if (s >= 0)
        ::close(s);
    return ok;
#endif
}

} // namespace vorin::inet
