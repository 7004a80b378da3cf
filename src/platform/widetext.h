// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <string>
#include <string_view>

// Windows' own texts (UTF-16) and the program's: UTF-8 both ways, and GBK by way of UTF-8, so that GBK keeps
// the conversion rules of platform/gbk.h. A malformed sequence becomes U+FFFD. Windows only; any thread.
namespace vorin::wide {

std::wstring fromUtf8(std::string_view utf8);
std::string toUtf8(std::wstring_view text);
std::wstring fromGbk(std::string_view gbk);
std::string toGbk(std::wstring_view text);

} // namespace vorin::wide
