// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "platform/ioresult.h"

#include <filesystem>
#include <string_view>

namespace vorin {

enum class MissingFolder {
    Create, // the program's own stores: their folder is made when first written
    Fail,   // files the user named: a folder that is not there is an error, not something to make
};

enum class Access {
    Usual,   // a file that existed keeps its permission bits; a new one gets 0666 under the umask
    Private, // 0600 whatever it had: the file holds what only its user may read (credentials)
};

// Writes data to path through a temporary file in the same folder that is renamed into place, so that a
// failed write leaves the earlier file intact, with the rights access says. Any thread.
IoResult writeFileAtomically(const std::filesystem::path& path, std::string_view data,
                             MissingFolder missing = MissingFolder::Create, Access access = Access::Usual);

} // namespace vorin
