// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>

namespace vorin::test {

// A judge over TLS on a loopback address and port (tlsjudge.py: every GET answers 200 "ALIVE <peer>"), with
// a certificate for that address made in dir by openssl; caFile() is what the program must trust
// (VORIN_CA_BUNDLE). Stopped when destroyed. running() is false where python3 or openssl is missing or the
// port cannot be bound (443 needs root).
class TlsJudge {
public:
    TlsJudge(const std::filesystem::path& dir, const std::string& address, int port);
    ~TlsJudge();
    TlsJudge(const TlsJudge&) = delete;
    TlsJudge& operator=(const TlsJudge&) = delete;

    bool running() const { return running_; }
    std::string root() const;
    std::string caFile() const { return cert_.string(); }

private:
    std::string address_;
    int port_;
    std::filesystem::path cert_;
    pid_t pid_ = -1;
    bool running_ = false;
};

} // namespace vorin::test
