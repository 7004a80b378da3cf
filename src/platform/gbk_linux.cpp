// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/gbk.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace vorin::gbk {
namespace {

bool isAscii(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// One converter per thread and direction: iconv handles carry state and are not shareable, and opening one
// costs far more than a short conversion.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (cd_ != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts in, replacing each unconvertible or malformed input character with `replacement`. With
    // utf8Source a whole UTF-8 sequence is skipped at once, so one character GBK lacks gives one replacement.
    std::string run(std::string_view in, std::string_view replacement, bool utf8Source)
    {
        std::string out;
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            out.assign(in);
            return out;
        }
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        out.resize(in.size() * 2 + 16);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        std::size_t used = 0;
        while (srcLeft > 0) {
            char* dst = out.data() + used;
            std::size_t dstLeft = out.size() - used;
            std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            used = out.size() - dstLeft;
            if (r != static_cast<std::size_t>(-1))
                break;
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            // EILSEQ or EINVAL (a truncated character at the end): replace the character and go on.
            if (out.size() - used < replacement.size())
                out.resize(out.size() + replacement.size() + 16);
            out.replace(used, replacement.size(), replacement);
            used += replacement.size();
            ++src;
            --srcLeft;
            while (utf8Source && srcLeft > 0 && (static_cast<unsigned char>(*src) & 0xC0) == 0x80) {
                ++src;
                --srcLeft;
            }
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        out.resize(used);
        return out;
    }

private:
    iconv_t cd_;
};

} // namespace

std::string fromUtf8(std::string_view utf8)
{
    if (isAscii(utf8))
        return std::string(utf8);
    thread_local Converter conv("GBK", "UTF-8");
    return conv.run(utf8, "?", true);
}

std::string toUtf8(std::string_view gbk)
{
    if (isAscii(gbk))
        return std::string(gbk);
    thread_local Converter conv("UTF-8", "GBK");
    return conv.run(gbk, "\xEF\xBF\xBD", false);
}

} // namespace vorin::gbk
