// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "support/tinyproxy.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vorin::test {

namespace {

sockaddr_in loopback(int port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

int freePort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = loopback(0);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

} // namespace

Tinyproxy::Tinyproxy(const std::filesystem::path& dir, const std::string& extra)
{
    port_ = freePort();
    auto conf = dir / "tinyproxy.conf";
    std::ofstream(conf) << "Port " << port_ << "\nListen 127.0.0.1\nTimeout 10\nMaxClients 50\n"
                        << "LogLevel Critical\nLogFile \"" << (dir / "tinyproxy.log").string() << "\"\n"
                        << "PidFile \"" << (dir / "tinyproxy.pid").string() << "\"\nAllow 127.0.0.1\n"
                        << extra;
    pid_ = ::fork();
    if (pid_ == 0) {
        ::execlp("tinyproxy", "tinyproxy", "-d", "-c", conf.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Ready when it accepts connections.
    for (int i = 0; i < 200 && !accepting(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

Tinyproxy::~Tinyproxy()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
}

bool Tinyproxy::accepting() const
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = loopback(port_);
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

bool Tinyproxy::installed()
{
    return std::system("command -v tinyproxy >/dev/null 2>&1") == 0;
}

} // namespace vorin::test
