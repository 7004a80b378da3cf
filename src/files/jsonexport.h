// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "table/proxytable.h"

#include <string>
#include <string_view>

// The table as JSON for scripts, in UTF-8: an array, in table order, of one object per row with the six
// fields under their own names. Texts are strings ("" when unset), "验证" is true or false, "速度" is the
// number of milliseconds or null when unset. After them, what the checks found: "protocols" (the protocols
// that passed, lower-case), "anonymity" ("transparent", "anonymous", "elite" or null), "exit_ip" (or null)
// and "country" (the ISO code the offline location found, or null).
namespace vorin::proxyfiles {

std::string jsonBytes(const ProxyTable& table);

// A GBK text as a quoted JSON string in UTF-8.
std::string jsonString(std::string_view gbkText);

// Replaces the table's rows with those of such an array (the program's own export): the four text fields
// from their names, texts cut to their sizes, and the protocols a row passed as its own; its verdict and
// speed are not read (a list is unchecked until a run checks it); anything else is ignored. False, the table
// untouched, when bytes are no JSON array.
bool importJson(ProxyTable& table, std::string_view bytes);

} // namespace vorin::proxyfiles
