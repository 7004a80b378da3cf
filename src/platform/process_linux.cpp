// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

namespace vorin::process {
namespace {

void (*interruptHandler)() = nullptr;

void onSignal(int)
{
    if (interruptHandler)
        interruptHandler();
}

} // namespace

std::vector<std::string> arguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

void setUpStandardStreams() {}

bool terminalEscapes(std::FILE*)
{
    return true;
}

void cleanedUp() {}

bool isTerminal(std::FILE* stream)
{
    return ::isatty(::fileno(stream)) != 0;
}

void onInterrupt(void (*handler)())
{
    interruptHandler = handler;
    // The handler resets itself, so a second Ctrl-C ends the program at once.
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sa.sa_flags = SA_RESETHAND;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

int id()
{
    return static_cast<int>(::getpid());
}

std::filesystem::path executable()
{
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : exe;
}

bool folderWritable(const std::filesystem::path& dir)
{
    return ::access(dir.c_str(), W_OK | X_OK) == 0;
}

bool randomBytes(void* buf, std::size_t size)
{
    auto* bytes = static_cast<unsigned char*>(buf);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::getrandom(bytes + got, size - got, 0);
        if (n > 0)
            got += static_cast<std::size_t>(n);
        else if (errno != EINTR)
            return false;
    }
    return true;
}

std::FILE* createNewFile(const std::filesystem::path& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    std::FILE* f = ::fdopen(fd, "wb");
    if (!f)
        ::close(fd);
    return f;
}

std::filesystem::path pathOf(std::string_view gbk)
{
    return std::filesystem::path(std::string(gbk));
}

std::string textOf(const std::filesystem::path& path)
{
    return path.string();
}

std::filesystem::path argumentPath(std::string_view text)
{
    return std::filesystem::path(std::string(text));
}

std::string argumentText(const std::filesystem::path& path)
{
    return path.string();
}

std::string narrowPath(const std::filesystem::path& path)
{
    return path.string();
}

std::optional<bool> chineseUserInterface()
{
    return std::nullopt;
}

std::optional<std::filesystem::path> environmentPath(const char* name)
{
    const char* v = std::getenv(name);
    if (!v || !*v)
        return std::nullopt;
    return std::filesystem::path(v);
}

std::filesystem::path cacheFolder()
{
    if (auto xdg = environmentPath("XDG_CACHE_HOME"))
        return *xdg / "vorindaili";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/tmp") / ".cache" / "vorindaili";
}

} // namespace vorin::process
