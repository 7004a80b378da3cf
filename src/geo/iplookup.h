// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "platform/lines.h"
#include "platform/temppaths.h"

#include <string>
#include <string_view>

// The IP location lookup: one blocking question to the lookup site per address, the location cut out of
// the answer page. Main thread.
namespace vorin::iplookup {

// The location on an answer page: in the first line holding the marker, and only when four more lines
// follow it, the text between its first "：" and its first "</li>". Empty when there is none.
std::string cutLocation(const Lines& page);

// The query value: every byte but letters, digits and -._~ percent-encoded, so an address taken from a
// page or a file cannot add parameters or change the request.
std::string percentEncode(std::string_view value);

// The location of address as the site at root knows it, or "" when the lookup fails. The answer is stored
// under a name of the program's own in folder (never one derived from the address) and deleted after.
std::string lookup(const std::string& root, const std::string& address, const std::filesystem::path& folder);

} // namespace vorin::iplookup
