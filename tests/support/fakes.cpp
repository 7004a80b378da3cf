// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "support/fakes.h"

#include "platform/gbk.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace vorin::test {

// A closed port on loopback: every request to it is refused at once.
static const char* const kClosedLoopbackRoot = "http://127.0.0.1:9";

std::string g(const char* utf8)
{
    return gbk::fromUtf8(utf8);
}

TempDir::TempDir(const std::string& prefix)
{
#ifdef _WIN32
    // Windows has no mkdtemp: a random name, made only when it is new.
    std::random_device random;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        auto candidate = std::filesystem::temp_directory_path() / (prefix + "-" + std::to_string(random()));
        if (std::filesystem::create_directory(candidate))
            path_ = candidate;
    }
    if (path_.empty())
        std::abort();
#else
    std::string tmpl = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (!mkdtemp(tmpl.data()))
        std::abort();
    path_ = tmpl;
#endif
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ec);
    std::filesystem::remove_all(path_, ec);
}

// A URL moved to the closed loopback port, path and query kept; values that are no URL (names, domains)
// stay as they are.
static std::string onLoopback(const std::string& value)
{
    if (value.rfind("http://", 0) != 0 && value.rfind("https://", 0) != 0)
        return value;
    auto hostStart = value.find("//") + 2;
    auto rest = value.find('/', hostStart);
    return kClosedLoopbackRoot + (rest == std::string::npos ? std::string() : value.substr(rest));
}

std::filesystem::path writeLoopbackEndpoints(const std::filesystem::path& dir)
{
    auto path = dir / "endpoints.conf";
    std::ofstream out(path);
    Endpoints defaults = Endpoints::defaults();
    for (const auto& key : defaults.keys())
        out << key << '=' << onLoopback(defaults.root(key)) << '\n';
    return path;
}

std::filesystem::path writeEndpointsAt(const std::filesystem::path& dir, const std::string& root)
{
    auto path = dir / "endpoints.conf";
    std::ofstream out(path);
    for (const auto& key : Endpoints::defaults().keys())
        out << key << '=' << root << '\n';
    return path;
}

Endpoints endpointsAt(const std::string& root)
{
    Endpoints e = Endpoints::defaults();
    for (const auto& key : e.keys())
        e.set(key, root);
    return e;
}

Endpoints loopbackEndpoints()
{
    Endpoints e = Endpoints::defaults();
    for (const auto& key : e.keys())
        e.set(key, onLoopback(e.root(key)));
    return e;
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool listening(const std::string& ip, int port)
{
    const auto fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    ::inet_pton(AF_INET, ip.c_str(), &a.sin_addr);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
#ifdef _WIN32
    ::closesocket(fd);
#else
    ::close(fd);
#endif
    return ok;
}

void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::size_t filesIn(const std::filesystem::path& dir)
{
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir))
        ++n;
    return n;
}

bool pumpUntil(Dispatcher& dispatcher, const std::function<bool()>& done, std::chrono::milliseconds limit,
               const std::function<void()>& eachTurn)
{
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        if (dispatcher.drain() == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (eachTurn)
            eachTurn();
    }
    dispatcher.drain();
    return true;
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name)
{
    if (const char* old = std::getenv(name))
        old_ = old;
    setEnv(name, value);
}

ScopedEnv::~ScopedEnv()
{
    if (old_)
        setEnv(name_.c_str(), *old_);
    else
#ifdef _WIN32
        _putenv_s(name_.c_str(), "");
#else
        unsetenv(name_.c_str());
#endif
}

void ScopedEnv::setEnv(const char* name, const std::string& value)
{
#ifdef _WIN32
    _putenv_s(name, value.c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

bool folderModesApply()
{
#ifdef _WIN32
    return false; // access lists, not mode bits, keep a user out of a folder
#else
    return ::geteuid() != 0; // root writes anywhere
#endif
}

std::string FakeView::marks() const
{
    std::string s;
    for (int i = 0; i < kSourceEntries; ++i)
        s += checked[static_cast<std::size_t>(i)] ? '1' : '0';
    return s;
}

} // namespace vorin::test
