// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/atomicfile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace vorin {
namespace {

IoResult fail(const char* operation, const std::filesystem::path& path, int err)
{
    return IoResult::failure(std::string(operation) + " " + path.string() + ": " + std::strerror(err));
}

// The process's umask, read without changing it (umask(2) would briefly change it for every thread).
mode_t currentUmask()
{
    static const mode_t mask = [] {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("Umask:", 0) == 0)
                return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
        }
        return static_cast<mode_t>(022);
    }();
    return mask;
}

} // namespace

IoResult writeFileAtomically(const std::filesystem::path& path, std::string_view data, MissingFolder missing,
                             Access access)
{
    std::error_code ec;
    if (path.has_parent_path() && missing == MissingFolder::Create)
        std::filesystem::create_directories(path.parent_path(), ec);
    if (ec)
        return IoResult::failure("mkdir " + path.parent_path().string() + ": " + ec.message());
    struct stat existing {};
    const mode_t mode = access == Access::Private ? 0600
                        : ::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)
                            ? existing.st_mode & 07777
                            : 0666 & ~currentUmask();

    std::string tmpl = path.string() + ".XXXXXX";
    int fd = mkstemp(tmpl.data());
    if (fd < 0)
        return fail("create", tmpl, errno);
    std::filesystem::path tmp = tmpl;
    auto discard = [&](const char* op, int err) {
        ::close(fd);
        ::unlink(tmpl.c_str());
        return fail(op, tmp, err);
    };
    const char* p = data.data();
    std::size_t left = data.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return discard("write", errno);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    // mkstemp creates the file 0600: the file gets its earlier rights, or the usual ones under the umask
    // (a private one keeps 0600).
    ::fchmod(fd, mode);
    if (::fsync(fd) != 0)
        return discard("fsync", errno);
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(tmpl.c_str());
        return fail("close", tmp, err);
    }
    if (::rename(tmpl.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(tmpl.c_str());
        return fail("rename", path, err);
    }
    return IoResult::success();
}

} // namespace vorin
