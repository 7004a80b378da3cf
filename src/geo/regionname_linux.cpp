// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "geo/offline.h"

#include <unicode/locid.h>
#include <unicode/unistr.h>

namespace vorin {

std::string chineseRegionName(std::string_view isoCode)
{
    const std::string code(isoCode);
    const icu::Locale region("", code.c_str());
    icu::UnicodeString name;
    region.getDisplayCountry(icu::Locale("zh", "CN"), name);
    std::string out;
    name.toUTF8String(out);
    // ICU gives the code back for a region it has no name for.
    return out == code ? std::string() : out;
}

} // namespace vorin
