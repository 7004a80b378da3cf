// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "platform/ioresult.h"

#include <filesystem>
#include <string_view>

namespace vorin {

// Writes data to path through a temporary file in the same folder that is renamed into place, so that a
// failed write leaves the earlier file intact. Creates missing parent folders. Any thread.
IoResult writeFileAtomically(const std::filesystem::path& path, std::string_view data);

} // namespace vorin
