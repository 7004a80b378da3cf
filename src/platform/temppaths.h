// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <filesystem>
#include <string>

namespace vorin {

// The two folders downloaded pages are cut in: the executable's folder and the current folder. A folder
// the user cannot write to (an installed program) is replaced by the per-user cache folder
// $XDG_CACHE_HOME/vorindaili (default ~/.cache/vorindaili), since pages that cannot be stored would
// silently harvest nothing. Immutable after construction; any thread.
class TempPaths {
public:
    enum class Dir {
        Executable,
        Current,
    };

    TempPaths(std::filesystem::path executableDir, std::filesystem::path currentDir);
    // The program's folders, with the fallback applied.
    static TempPaths forProcess();

    // The file for a page: base name (for example "3.cnp") made unique to this process and worker by tag,
    // so two workers of one source, or two running copies of the program, never share a file.
    std::filesystem::path file(Dir dir, const std::string& name, const std::string& tag) const;

    const std::filesystem::path& dir(Dir d) const { return d == Dir::Executable ? exeDir_ : curDir_; }

    // dir itself when the user may write there, else the per-user cache folder (created).
    static std::filesystem::path writableOrCache(const std::filesystem::path& dir);

private:
    std::filesystem::path exeDir_;
    std::filesystem::path curDir_;
};

} // namespace vorin
