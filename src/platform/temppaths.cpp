// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/temppaths.h"

#include "platform/process.h"

namespace vorin {

std::filesystem::path TempPaths::writableOrCache(const std::filesystem::path& dir)
{
    if (process::folderWritable(dir))
        return dir;
    auto cache = process::cacheFolder();
    std::error_code ec;
    std::filesystem::create_directories(cache, ec);
    return cache;
}

TempPaths::TempPaths(std::filesystem::path executableDir, std::filesystem::path currentDir)
    : exeDir_(std::move(executableDir))
    , curDir_(std::move(currentDir))
{
}

TempPaths TempPaths::forProcess()
{
    std::error_code ec;
    const auto exe = process::executable();
    auto exeDir = exe.empty() ? std::filesystem::current_path(ec) : exe.parent_path();
    auto curDir = std::filesystem::current_path(ec);
    return TempPaths(writableOrCache(exeDir), writableOrCache(ec ? std::filesystem::path(".") : curDir));
}

std::filesystem::path TempPaths::file(Dir d, const std::string& name, const std::string& tag) const
{
    return dir(d) / (name + "." + tag);
}

} // namespace vorin
