// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The GBK code page (Windows code page 936). Every text of the core is GBK bytes; these two conversions are
// used only where text crosses into Qt (UTF-8) and where the program builds its own GBK constants.
// Both are safe on any input and callable from any thread.
namespace vorin::gbk {

// GBK's number as a Windows code page, for every conversion through Windows' own.
inline constexpr unsigned kCodePage = 936;

// UTF-8 to GBK. A character GBK cannot hold becomes '?'; malformed UTF-8 bytes become '?' one by one.
std::string fromUtf8(std::string_view utf8);

// GBK to UTF-8. A byte that starts no valid GBK character becomes U+FFFD; conversion goes on after it.
std::string toUtf8(std::string_view gbk);

// Number of bytes of the character that starts at s[i]: 2 for a GBK lead byte with a trail byte after it,
// else 1. Used by byte-wise text code that must not split a two-byte character.
std::size_t charLength(std::string_view s, std::size_t i);

} // namespace vorin::gbk
