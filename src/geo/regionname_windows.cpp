// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// Windows names regions in its display language alone: the Chinese names are the program's own table, the
// names ICU gives on Linux.
#include "geo/offline.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>

namespace vorin {
namespace {

struct Region {
    std::string_view code;
    std::string_view name;
};

constexpr Region kRegions[] = {
#include "geo/regionnames_zh.inc"
};

} // namespace

std::string chineseRegionName(std::string_view isoCode)
{
    const auto* found =
        std::lower_bound(std::begin(kRegions), std::end(kRegions), isoCode,
                         [](const Region& r, std::string_view code) { return r.code < code; });
    if (found == std::end(kRegions) || found->code != isoCode)
        return {};
    return std::string(found->name);
}

} // namespace vorin
