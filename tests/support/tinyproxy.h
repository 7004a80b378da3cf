// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>

namespace vorin::test {

// A real proxy from Debian, listening on a free loopback port, with its configuration and log in dir and
// extra lines of configuration added ("ConnectPort 443\n": CONNECT to port 443 only, as Debian ships it).
// Stopped when destroyed.
class Tinyproxy {
public:
    explicit Tinyproxy(const std::filesystem::path& dir, const std::string& extra = {});
    ~Tinyproxy();
    Tinyproxy(const Tinyproxy&) = delete;
    Tinyproxy& operator=(const Tinyproxy&) = delete;

    bool accepting() const;
    std::string hostPort() const { return "127.0.0.1:" + std::to_string(port_); }

    static bool installed();

private:
    int port_ = 0;
    pid_t pid_ = -1;
};

} // namespace vorin::test
