// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "config/userfile.h"

#include "platform/atomicfile.h"
#include "platform/process.h"
#include "platform/texts.h"
#include "platform/trim.h"

#include <fstream>
#include <sstream>

namespace vorin {
namespace {

bool startsWithNoCase(std::string_view s, std::string_view prefix)
{
    if (s.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

} // namespace

void forEachWordLine(std::string_view text,
                     const std::function<void(int number, const std::vector<std::string_view>& words)>& line)
{
    static constexpr std::string_view kBom = "\xEF\xBB\xBF";
    static constexpr std::string_view kWideBlank = "\xE3\x80\x80"; // U+3000
    if (text.substr(0, kBom.size()) == kBom)
        text.remove_prefix(kBom.size());
    // The length of the blank at i (an ASCII blank or control byte, or U+3000), 0 for none.
    auto blankAt = [](std::string_view l, std::size_t i) -> std::size_t {
        if (static_cast<unsigned char>(l[i]) <= 32)
            return 1;
        return l.substr(i, kWideBlank.size()) == kWideBlank ? kWideBlank.size() : 0;
    };
    int number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t eol = text.find('\n');
        std::string_view l = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        std::vector<std::string_view> words;
        for (std::size_t i = 0; i < l.size();) {
            if (const std::size_t blank = blankAt(l, i)) {
                i += blank;
                continue;
            }
            if (l[i] == '#')
                break; // a comment: at the start of the line or after a blank
            std::size_t end = i;
            while (end < l.size() && !blankAt(l, end))
                ++end;
            words.push_back(l.substr(i, end - i));
            i = end;
        }
        if (!words.empty())
            line(number, words);
    }
}

std::string problemsSummary(const std::vector<std::string>& problems)
{
    if (problems.empty())
        return {};
    std::string out = problems.front();
    if (problems.size() == 1)
        return out;
    // Each problem's text starts with its line number.
    std::string lines;
    for (std::size_t i = 1; i < problems.size() && i <= 5; ++i) {
        const std::string& p = problems[i];
        const std::size_t digit = p.find_first_of("0123456789");
        if (digit == std::string::npos)
            continue;
        lines += (lines.empty() ? "" : say("、", ", ")) +
                 p.substr(digit, p.find_first_not_of("0123456789", digit) - digit);
    }
    if (problems.size() > 6)
        lines += say("……", "...");
    const std::string more = std::to_string(problems.size() - 1);
    return out + say("（另有 " + more + " 行有误：第 " + lines + " 行）",
                     " (" + more + " more: lines " + lines + ")");
}

std::string lineProblem(int number)
{
    return say("第 " + std::to_string(number) + " 行：", "line " + std::to_string(number) + ": ");
}

bool plainUrl(std::string_view url)
{
    if (!startsWithNoCase(url, "http://") && !startsWithNoCase(url, "https://"))
        return false;
    const std::size_t host = url.find("://") + 3;
    if (host >= url.size() || url[host] == '/')
        return false;
    for (char c : url) {
        if (static_cast<unsigned char>(c) <= 32 || c == 127)
            return false;
    }
    return true;
}

IoResult readUserFile(const std::filesystem::path& path, const std::string& defaultText, std::string& bytes)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        if (IoResult made = writeFileAtomically(path, defaultText); !made)
            return IoResult::failure(say("无法创建 ", "cannot create ") + process::argumentText(path) +
                                     say("：", ": ") + made.message);
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream read;
    if (in)
        read << in.rdbuf();
    if (!in || in.bad() || std::filesystem::is_directory(path, ec))
        return IoResult::failure(say("无法读取 ", "cannot read ") + process::argumentText(path));
    bytes = read.str();
    return IoResult::success();
}

} // namespace vorin
