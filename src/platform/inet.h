// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

// inet_pton, inet_ntop and the address structures, from where each system keeps them.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#endif

#include <string>

namespace vorin::inet {

// Whether something accepts TCP connections at the numeric address and port (a loopback one: the call
// blocks until it is answered or refused).
bool accepting(const std::string& address, int port);

} // namespace vorin::inet
