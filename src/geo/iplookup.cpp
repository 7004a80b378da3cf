// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "geo/iplookup.h"

#include "platform/download.h"
#include "platform/idioms.h"
#include "platform/process.h"
#include "platform/texts.h"

#include <atomic>

namespace vorin::iplookup {

using namespace idioms;

std::string cutLocation(const Lines& page)
{
    const auto i = page.find(texts().lookupMarker2);
    if (!i || static_cast<std::int64_t>(*i) >= page.count() - 4)
        return {};
    std::string_view line = page[*i];
    const std::int64_t p = Pos(texts().fullColon, line);
    if (p == 0)
        return {};
    const std::int64_t q = Pos("</li>", line);
    return std::string(Copy(line, p + 2, q - p - 2));
}

std::string percentEncode(std::string_view value)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : value) {
        auto c = static_cast<unsigned char>(ch);
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                     c == '.' || c == '_' || c == '~';
        if (plain) {
            out += ch;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string lookup(const std::string& root, const std::string& address, const std::filesystem::path& folder)
{
    static std::atomic<unsigned> serial{0};
    const auto file =
        folder / ("lookup." + std::to_string(process::id()) + "-" + std::to_string(++serial) + ".ip");
    const std::string url = root + "/ips.asp?ip=" + percentEncode(address) + "&action=2";
    if (download::toFile(url, file) != download::Result::Ok)
        return {};
    std::string location;
    if (auto page = Lines::load(file))
        location = cutLocation(*page);
    std::error_code ec;
    std::filesystem::remove(file, ec);
    return location;
}

} // namespace vorin::iplookup
