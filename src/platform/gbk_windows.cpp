// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// GBK through Windows' own code page 936. Code page 936 also maps 0x80 (the euro sign), which GBK proper
// does not: it is treated as GBK treats it, so texts convert as they do on Linux.
#include "platform/gbk.h"

#include <windows.h>

#include <algorithm>

namespace vorin::gbk {
namespace {

constexpr UINT kGbk = kCodePage;

bool isAscii(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::wstring toWide(UINT codePage, std::string_view s, DWORD flags, bool& ok)
{
    ok = true;
    if (s.empty())
        return {};
    const int n = MultiByteToWideChar(codePage, flags, s.data(), static_cast<int>(s.size()), nullptr, 0);
    if (n <= 0) {
        ok = false;
        return {};
    }
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, flags, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

std::string fromWide(UINT codePage, std::wstring_view w, bool* lossy = nullptr)
{
    if (w.empty())
        return {};
    BOOL usedDefault = FALSE;
    const bool gbk = codePage == kGbk;
    BOOL* used = gbk ? &usedDefault : nullptr;
    const DWORD flags = gbk ? WC_NO_BEST_FIT_CHARS : 0;
    const char* fallback = gbk ? "?" : nullptr;
    const int n = WideCharToMultiByte(codePage, flags, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                      fallback, used);
    std::string out(static_cast<std::size_t>(std::max(n, 0)), '\0');
    WideCharToMultiByte(codePage, flags, w.data(), static_cast<int>(w.size()), out.data(), n, fallback, used);
    if (lossy)
        *lossy = usedDefault != FALSE;
    return out;
}

// Length of the UTF-8 sequence that starts at s[i] when it is well formed, else 0.
std::size_t utf8Length(std::string_view s, std::size_t i)
{
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80             ? 1
                          : (c & 0xE0) == 0xC0 ? 2
                          : (c & 0xF0) == 0xE0 ? 3
                          : (c & 0xF8) == 0xF0 ? 4
                                               : 0;
    if (n == 0 || i + n > s.size())
        return 0;
    bool ok = false;
    toWide(CP_UTF8, s.substr(i, n), MB_ERR_INVALID_CHARS, ok);
    return ok ? n : 0;
}

} // namespace

std::string fromUtf8(std::string_view utf8)
{
    if (isAscii(utf8))
        return std::string(utf8);
    // Well-formed text that GBK holds whole converts in one call; anything else character by character.
    bool ok = false;
    if (const std::wstring w = toWide(CP_UTF8, utf8, MB_ERR_INVALID_CHARS, ok); ok) {
        bool lossy = false;
        std::string g = fromWide(kGbk, w, &lossy);
        if (!lossy && g.find('\x80') == std::string::npos)
            return g;
    }
    std::string out;
    out.reserve(utf8.size());
    // One character at a time, so that one character GBK lacks (or one malformed byte) gives one '?'.
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += utf8[i++];
            continue;
        }
        const std::size_t n = utf8Length(utf8, i);
        if (n == 0) {
            out += '?';
            ++i;
            continue;
        }
        bool ok = false;
        const std::wstring w = toWide(CP_UTF8, utf8.substr(i, n), MB_ERR_INVALID_CHARS, ok);
        bool lossy = false;
        const std::string g = fromWide(kGbk, w, &lossy);
        out += lossy || g.empty() || g == "\x80" ? std::string("?") : g;
        i += n;
    }
    return out;
}

std::string toUtf8(std::string_view gbk)
{
    if (isAscii(gbk))
        return std::string(gbk);
    // Text of whole GBK characters converts in one call; anything else byte by byte.
    bool ok = false;
    if (gbk.find('\x80') == std::string_view::npos) {
        if (const std::wstring w = toWide(kGbk, gbk, MB_ERR_INVALID_CHARS, ok); ok)
            return fromWide(CP_UTF8, w);
    }
    std::string out;
    out.reserve(gbk.size() * 3 / 2);
    for (std::size_t i = 0; i < gbk.size();) {
        const auto c = static_cast<unsigned char>(gbk[i]);
        if (c < 0x80) {
            out += gbk[i++];
            continue;
        }
        bool ok = false;
        const std::wstring w = charLength(gbk, i) == 2
                                   ? toWide(kGbk, gbk.substr(i, 2), MB_ERR_INVALID_CHARS, ok)
                                   : std::wstring();
        if (ok && w.size() == 1) {
            out += fromWide(CP_UTF8, w);
            i += 2;
        } else {
            out += "\xEF\xBF\xBD"; // a byte that starts no character; the next byte starts afresh
            ++i;
        }
    }
    return out;
}

} // namespace vorin::gbk
