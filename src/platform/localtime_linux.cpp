// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/localtime.h"

#include "platform/gbk.h"

#include <iomanip>
#include <locale>
#include <sstream>

namespace vorin {
namespace {

// The user's locale for dates, without touching the process-wide C locale; the classic one when the
// environment names a locale that is not installed.
std::locale userLocale()
{
    try {
        return std::locale("");
    } catch (const std::runtime_error&) {
        return std::locale::classic();
    }
}

} // namespace

std::string localDateTime(std::time_t t)
{
    std::tm tm{};
    localtime_r(&t, &tm);
    std::ostringstream out;
    out.imbue(userLocale());
    out << std::put_time(&tm, "%x");
    if (tm.tm_hour != 0 || tm.tm_min != 0 || tm.tm_sec != 0)
        out << ' ' << std::put_time(&tm, "%X");
    // The locale writes its own encoding, UTF-8 on every current system; the program's texts are GBK.
    return gbk::fromUtf8(out.str());
}

} // namespace vorin
