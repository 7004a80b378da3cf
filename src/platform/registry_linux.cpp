// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/registry.h"

#include "platform/atomicfile.h"
#include "platform/regfile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <sstream>
#include <sys/file.h>
#include <unistd.h>

namespace vorin::registry {
namespace {

// A hive larger than this is not a settings file of ours; it is backed up rather than read.
constexpr std::uintmax_t kMaxHiveBytes = 4u << 20;

std::mutex& storeMutex()
{
    static std::mutex m;
    return m;
}

// Holds the store's lock across a read-modify-write, against this process's other threads and against a
// second copy of the program (an advisory lock on "<hive>.lock" beside the hive). Without a folder it can
// write in, the store cannot be written either, and no lock is taken.
class StoreLock {
public:
    explicit StoreLock(const std::filesystem::path& hive) : threads_(storeMutex())
    {
        std::error_code ec;
        std::filesystem::create_directories(hive.parent_path(), ec);
        auto lockPath = hive;
        lockPath += ".lock";
        fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd_ >= 0) {
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~StoreLock()
    {
        if (fd_ >= 0)
            ::close(fd_); // releases the lock
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

private:
    std::lock_guard<std::mutex> threads_;
    int fd_ = -1;
};

const char* rootName(Hive hive)
{
    return hive == Hive::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

// The hive as it stands on disk. damaged is set when the file exists but cannot be a hive; its contents
// then read as empty and the file is moved aside before anything is written over it.
struct Loaded {
    RegFile file;
    bool damaged = false;
};

Loaded load(const std::filesystem::path& path)
{
    std::error_code ec;
    auto size = std::filesystem::file_size(path, ec);
    if (ec)
        return {}; // missing or unreadable: an empty hive
    if (size > kMaxHiveBytes)
        return {RegFile{}, true};
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::ostringstream buf;
    buf << in.rdbuf();
    auto parsed = RegFile::parse(buf.str());
    if (!parsed)
        return {RegFile{}, true};
    return {std::move(*parsed), false};
}

// Moves a damaged hive to the first free name "<file>.damaged", "<file>.damaged.1", ... so that whatever it
// held can still be recovered by hand.
IoResult backUp(const std::filesystem::path& path)
{
    std::error_code ec;
    for (int n = 0; n < 1000; ++n) {
        auto target = path;
        target += n == 0 ? std::string(".damaged") : ".damaged." + std::to_string(n);
        if (std::filesystem::exists(target, ec))
            continue;
        std::filesystem::rename(path, target, ec);
        if (ec)
            return IoResult::failure("rename " + path.string() + ": " + ec.message());
        return IoResult::success();
    }
    return IoResult::failure("rename " + path.string() + ": no free backup name");
}

// The current user's hive is private (0600), as the user's registry is on Windows: it keeps what the
// desktop had before the program changed it, credentials included, and the system proxy's credentials.
Access accessOf(std::string_view keyPath)
{
    return keyPath.rfind("HKEY_CURRENT_USER", 0) == 0 ? Access::Private : Access::Usual;
}

IoResult save(const std::filesystem::path& path, const Loaded& loaded, Access access)
{
    if (loaded.damaged) {
        if (auto r = backUp(path); !r)
            return r;
    }
    return writeFileAtomically(path, loaded.file.serialize(), MissingFolder::Create, access);
}

template <typename Fn> IoResult modify(const std::filesystem::path& path, const std::string& key, Fn&& change)
{
    StoreLock lock(path);
    Loaded loaded = load(path);
    RegFile::Section* section = loaded.file.find(key, true);
    change(*section);
    return save(path, loaded, accessOf(key));
}

} // namespace

std::filesystem::path hiveFile(Hive hive)
{
    const char* fileName = hive == Hive::CurrentUser ? "HKCU.reg" : "HKLM.reg";
    if (const char* dir = std::getenv("VORIN_REGISTRY_DIR"); dir && *dir)
        return std::filesystem::path(dir) / fileName;
    if (hive == Hive::LocalMachine)
        return std::filesystem::path("/etc/vorindaili") / fileName;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        return std::filesystem::path(xdg) / "vorindaili" / fileName;
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : ".") / ".config" / "vorindaili" / fileName;
}

Key Key::open(Hive hive, std::string path)
{
    std::string full = std::string(rootName(hive)) + "\\" + path;
    auto file = hiveFile(hive);
    {
        StoreLock lock(file);
        Loaded loaded = load(file);
        if (!loaded.file.find(full)) {
            loaded.file.find(full, true);
            (void)save(file, loaded, accessOf(full)); // a read-only store still opens for reading
        }
    }
    return Key(std::move(file), std::move(full));
}

std::optional<std::string> Key::readString(std::string_view name) const
{
    std::lock_guard lock(storeMutex());
    Loaded loaded = load(file_);
    const RegFile::Section* section = loaded.file.find(path_);
    const RegFile::Entry* e = section ? RegFile::findValue(*section, name) : nullptr;
    if (!e || e->kind != RegFile::Entry::Kind::String)
        return std::nullopt;
    return e->text;
}

std::optional<std::uint32_t> Key::readDword(std::string_view name) const
{
    std::lock_guard lock(storeMutex());
    Loaded loaded = load(file_);
    const RegFile::Section* section = loaded.file.find(path_);
    const RegFile::Entry* e = section ? RegFile::findValue(*section, name) : nullptr;
    if (!e || e->kind != RegFile::Entry::Kind::Dword)
        return std::nullopt;
    return e->dword;
}

IoResult Key::writeString(std::string_view name, std::string_view value) const
{
    return modify(file_, path_, [&](RegFile::Section& s) {
        RegFile::setValue(s, {RegFile::Entry::Kind::String, std::string(name), std::string(value), 0});
    });
}

IoResult Key::writeDword(std::string_view name, std::uint32_t value) const
{
    return modify(file_, path_, [&](RegFile::Section& s) {
        RegFile::setValue(s, {RegFile::Entry::Kind::Dword, std::string(name), {}, value});
    });
}

IoResult Key::deleteValue(std::string_view name) const
{
    if (!readString(name) && !readDword(name))
        return IoResult::success(); // nothing to remove: the store is not rewritten
    return modify(file_, path_, [&](RegFile::Section& s) { RegFile::removeValue(s, name); });
}

} // namespace vorin::registry
