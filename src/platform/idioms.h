// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "platform/trim.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

// The text-cutting idioms of the harvest sources. Positions count bytes from 1 and 0 means "not found";
// every function is total: out-of-range arguments give empty results, never an error. Pure, any thread.
namespace vorin::idioms {

// 1-based position of the first occurrence of x in s, or 0. Case-sensitive, byte-wise. An empty x gives 0.
std::int64_t Pos(std::string_view x, std::string_view s);

// count bytes of s from position start. A start below 1 counts as 1; a start beyond the end, a count of 0
// or less, or an empty s give "". A count running past the end stops at the end.
std::string_view Copy(std::string_view s, std::int64_t start, std::int64_t count);

using vorin::trim;

// Byte-wise ASCII case conversion. The second byte of a two-byte GBK character is left alone even where
// it has the code of a letter, so Chinese text survives the conversion unchanged.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);

// Replaces every occurrence of from by to, left to right; replaced text is not scanned again. An empty
// from changes nothing.
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);

// The text before the first colon and everything after it. Without a colon: "" and the whole text.
std::pair<std::string, std::string> splitFirstColon(std::string_view t);

// Takes the first element with tag name tag (a case-sensitive prefix match on the name) out of line and
// returns its inner text; every occurrence of the element's text is removed from line, so the next call
// returns the next element. Missing tags give empty or meaningless results, never an error.
std::string cuttag(std::string& line, std::string_view tag);

// The decimal number in s, as a conversion that allows leading blanks and nothing after the digits;
// empty when s is not such a number or does not fit 32 bits.
std::optional<std::int32_t> toInt(std::string_view s);

} // namespace vorin::idioms
