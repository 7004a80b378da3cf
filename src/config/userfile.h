// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "platform/ioresult.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vorin {

// The shape the files a user edits share (sources.txt, judges.txt): lines of words separated by blanks
// (ASCII ones and the full-width U+3000 a Chinese input method types), '#' at the start of a line or after a
// blank starting a comment; a UTF-8 byte-order mark (Notepad's) at the start is no part of the first line.
// Calls line for each line with words, with its number from 1.
void forEachWordLine(std::string_view text,
                     const std::function<void(int number, const std::vector<std::string_view>& words)>& line);
// "第 N 行：" / "line N: ", the start of a problem's text.
std::string lineProblem(int number);
// What the status line says of a file's problems: the first, and with more, their count and the first few
// of their line numbers (UTF-8).
std::string problemsSummary(const std::vector<std::string>& problems);
// Whether url is an http:// or https:// URL with a host and without blanks or control bytes.
bool plainUrl(std::string_view url);
// Reads the file at path into bytes; a missing file is first written with defaultText. Fails with a
// message (UTF-8) naming the file when it can be neither read nor made.
IoResult readUserFile(const std::filesystem::path& path, const std::string& defaultText, std::string& bytes);

} // namespace vorin
