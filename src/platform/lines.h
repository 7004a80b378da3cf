// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorin {

// A downloaded page as a list of lines, indexed from 0. A line ends at CR LF, CR or LF; a last line without
// an end counts, an end at the very end adds no empty line; the text ends at the first NUL byte. The lines
// are views into the text the object holds. Pure, any thread.
class Lines {
public:
    Lines() = default;
    explicit Lines(std::string text);
    // The file's lines, or nothing when the file does not exist or cannot be read.
    static std::optional<Lines> load(const std::filesystem::path& file);

    std::size_t size() const { return lines_.size(); }
    // The whole text, as loaded.
    std::string_view text() const { return text_; }
    std::string_view operator[](std::size_t i) const { return lines_[i]; }
    // Index of the first line that contains text (byte-wise, case-sensitive), or nothing.
    std::optional<std::size_t> find(std::string_view text) const;

    // Signed count, for the bounds the sources write as "line count - k".
    std::int64_t count() const { return static_cast<std::int64_t>(lines_.size()); }

    Lines(const Lines&) = delete;
    Lines& operator=(const Lines&) = delete;
    Lines(Lines&&) noexcept;
    Lines& operator=(Lines&&) noexcept;

private:
    void split();

    std::string text_;
    std::vector<std::string_view> lines_;
};

} // namespace vorin
