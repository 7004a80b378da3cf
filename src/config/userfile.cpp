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
    int number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t eol = text.find('\n');
        std::string_view l = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        for (std::size_t i = 0; i < l.size(); ++i) {
            if (l[i] == '#' && (i == 0 || l[i - 1] == ' ' || l[i - 1] == '\t')) {
                l = l.substr(0, i);
                break;
            }
        }
        l = trim(l);
        std::vector<std::string_view> words;
        while (!l.empty()) {
            std::size_t end = 0;
            while (end < l.size() && static_cast<unsigned char>(l[end]) > 32)
                ++end;
            words.push_back(l.substr(0, end));
            l = trim(l.substr(end));
        }
        if (!words.empty())
            line(number, words);
    }
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
