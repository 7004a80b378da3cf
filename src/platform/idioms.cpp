// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/idioms.h"

#include "platform/gbk.h"

#include <limits>

namespace vorin::idioms {

std::int64_t Pos(std::string_view x, std::string_view s)
{
    if (x.empty())
        return 0;
    auto p = s.find(x);
    return p == std::string_view::npos ? 0 : static_cast<std::int64_t>(p) + 1;
}

std::string_view Copy(std::string_view s, std::int64_t start, std::int64_t count)
{
    if (start < 1)
        start = 1;
    const auto len = static_cast<std::int64_t>(s.size());
    if (s.empty() || start > len || count <= 0)
        return {};
    if (count > len - start + 1)
        count = len - start + 1;
    return s.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count));
}

namespace {

std::string convertCase(std::string_view s, char from, char to)
{
    std::string out(s);
    const std::size_t n = out.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char c = out[i];
        if (static_cast<unsigned char>(c) >= 0x80) {
            i += gbk::charLength(out, i) - 1; // skip the trail byte of a two-byte character
        } else if (c >= from && c <= to) {
            out[i] = static_cast<char>(c ^ 0x20);
        }
    }
    return out;
}

} // namespace

std::string UpperCase(std::string_view s)
{
    return convertCase(s, 'a', 'z');
}

std::string LowerCase(std::string_view s)
{
    return convertCase(s, 'A', 'Z');
}

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to)
{
    if (from.empty())
        return std::string(s);
    std::string out;
    out.reserve(s.size());
    std::size_t pos = 0;
    for (;;) {
        std::size_t hit = s.find(from, pos);
        if (hit == std::string_view::npos)
            break;
        out.append(s, pos, hit - pos);
        out.append(to);
        pos = hit + from.size();
    }
    out.append(s, pos);
    return out;
}

std::pair<std::string, std::string> splitFirstColon(std::string_view t)
{
    const std::int64_t p = Pos(":", t);
    const auto len = static_cast<std::int64_t>(t.size());
    return {std::string(Copy(t, 1, p - 1)), std::string(Copy(t, p + 1, len - p))};
}

std::string cuttag(std::string& line, std::string_view tag)
{
    const std::string open = "<" + std::string(tag);
    const std::string close = "</" + std::string(tag);
    const std::int64_t from = Pos(open, line);
    const std::int64_t a = Pos(close, line);
    const std::string piece(Copy(line, from, a + static_cast<std::int64_t>(tag.size()) + 3 - from));
    const std::int64_t b = Pos(">", piece);
    const std::int64_t c = Pos(close, piece);
    std::string result(Copy(piece, b + 1, c - b - 1));
    // Replace-all by the empty text, done in place: searching on from each erase point meets only text
    // that followed the occurrence in the original line, as a left-to-right replace would.
    if (!piece.empty()) {
        for (std::size_t at = line.find(piece); at != std::string::npos; at = line.find(piece, at))
            line.erase(at, piece.size());
    }
    return result;
}

std::optional<std::int32_t> toInt(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+'))
        negative = s[i++] == '-';
    if (i == s.size())
        return std::nullopt;
    std::int64_t v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            return std::nullopt;
        v = v * 10 + (s[i] - '0');
        if (v > static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1)
            return std::nullopt;
    }
    v = negative ? -v : v;
    if (v > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(v);
}

} // namespace vorin::idioms
