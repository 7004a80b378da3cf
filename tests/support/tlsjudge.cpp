// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "support/tlsjudge.h"

#include "support/fakes.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vorin::test {
TlsJudge::TlsJudge(const std::filesystem::path& dir, const std::string& address, int port)
    : address_(address)
    , port_(port)
    , cert_(dir / "judge-cert.pem")
{
    const std::filesystem::path key = dir / "judge-key.pem";
    const std::string make = "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=" + address +
                             " -addext subjectAltName=IP:" + address + " -keyout '" + key.string() +
                             "' -out '" + cert_.string() + "' >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0 || listening(address, port))
        return;
    pid_ = ::fork();
    if (pid_ == 0) {
        const std::string portText = std::to_string(port);
        ::execlp("python3", "python3", VORIN_TLSJUDGE_SCRIPT, cert_.c_str(), key.c_str(), address.c_str(),
                 portText.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    for (int i = 0; i < 300 && !running_; ++i) {
        running_ = listening(address, port);
        if (!running_)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

TlsJudge::~TlsJudge()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
}

std::string TlsJudge::root() const
{
    return "https://" + address_ + (port_ == 443 ? std::string() : ":" + std::to_string(port_));
}

} // namespace vorin::test
