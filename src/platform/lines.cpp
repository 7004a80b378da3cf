// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/lines.h"

#include <cstring>
#include <fstream>

namespace vorin {

Lines::Lines(std::string text) : text_(std::move(text))
{
    split();
}

// The views point into text_; a moved std::string may move its short buffer, so the lines are cut again.
Lines::Lines(Lines&& other) noexcept : text_(std::move(other.text_))
{
    other.lines_.clear();
    split();
}

Lines& Lines::operator=(Lines&& other) noexcept
{
    text_ = std::move(other.text_);
    other.lines_.clear();
    split();
    return *this;
}

std::optional<Lines> Lines::load(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string text;
    in.seekg(0, std::ios::end);
    auto size = in.tellg();
    if (size < 0)
        return std::nullopt;
    text.resize(static_cast<std::size_t>(size));
    in.seekg(0);
    in.read(text.data(), size);
    text.resize(static_cast<std::size_t>(in.gcount()));
    return Lines(std::move(text));
}

std::optional<std::size_t> Lines::find(std::string_view text) const
{
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].find(text) != std::string_view::npos)
            return i;
    }
    return std::nullopt;
}

void Lines::split()
{
    lines_.clear();
    std::string_view text = text_;
    if (const void* nul = std::memchr(text.data(), '\0', text.size()))
        text = text.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - text.data()));
    const char* p = text.data();
    const char* end = p + text.size();
    const char* start = p;
    while (p < end) {
        char c = *p;
        if (c == '\n' || c == '\r') {
            lines_.emplace_back(start, static_cast<std::size_t>(p - start));
            ++p;
            if (c == '\r' && p < end && *p == '\n')
                ++p;
            start = p;
        } else {
            ++p;
        }
    }
    if (start < end)
        lines_.emplace_back(start, static_cast<std::size_t>(end - start));
}

} // namespace vorin
