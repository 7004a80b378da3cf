// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The GBK code page both ways: any bytes give valid UTF-8, and any text gives GBK that reads back.
#include "platform/gbk.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool validUtf8(const std::string& s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2)
                return false;
        }
        i += n;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string utf8 = vorin::gbk::toUtf8(bytes);
    if (!validUtf8(utf8))
        std::abort();
    const std::string gbk = vorin::gbk::fromUtf8(bytes);
    if (!gbk.empty() && vorin::gbk::toUtf8(gbk).empty())
        std::abort();
    for (std::size_t i = 0; i < size; ++i) {
        const std::size_t n = vorin::gbk::charLength(bytes, i);
        if (n < 1 || n > 2 || i + n > size)
            std::abort();
    }
    return 0;
}
