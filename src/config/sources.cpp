// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "config/sources.h"

#include "config/defaultsources.h"

#include "platform/atomicfile.h"
#include "platform/hostport.h"
#include "platform/registry.h"
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

} // namespace

SourceList parseSources(std::string_view text)
{
    SourceList list;
    std::istringstream in{std::string(text)};
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        std::string_view l = line;
        for (std::size_t i = 0; i < l.size(); ++i) {
            if (l[i] == '#' && (i == 0 || l[i - 1] == ' ' || l[i - 1] == '\t')) {
                l = l.substr(0, i);
                break;
            }
        }
        l = trim(l);
        if (l.empty())
            continue;
        std::vector<std::string_view> words;
        while (!l.empty()) {
            std::size_t end = 0;
            while (end < l.size() && static_cast<unsigned char>(l[end]) > 32)
                ++end;
            words.push_back(l.substr(0, end));
            l = trim(l.substr(end));
        }
        const std::string where =
            say("第 " + std::to_string(number) + " 行：", "line " + std::to_string(number) + ": ");
        if (words.size() > 2) {
            list.problems.push_back(where + say("应为“网址 [协议]”", "expected \"URL [protocol]\""));
            continue;
        }
        if (!plainUrl(words[0])) {
            const std::string url(words[0]);
            list.problems.push_back(where + say("“" + url + "”不是 http:// 或 https:// 网址",
                                                "\"" + url + "\" is not an http:// or https:// URL"));
            continue;
        }
        std::string protocol = "http";
        if (words.size() == 2) {
            protocol = knownProtocol(words[1]);
            if (protocol.empty()) {
                const std::string name(words[1]);
                list.problems.push_back(
                    where +
                    say("未知的协议“" + name + "”（应为 http、https、socks4 或 socks5）",
                        "unknown protocol \"" + name + "\" (expected http, https, socks4 or socks5)"));
                continue;
            }
        }
        list.sources.push_back({std::string(words[0]), protocol, words.size() == 2});
    }
    return list;
}

const std::string& defaultSourcesText()
{
    static const std::string text = kDefaultSourcesText;
    return text;
}

std::filesystem::path sourcesFile()
{
    return registry::hiveFile(registry::Hive::CurrentUser).parent_path() / "sources.txt";
}

IoResult loadSources(const std::filesystem::path& path, SourceList& list, std::string* text)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        if (IoResult made = writeFileAtomically(path, defaultSourcesText()); !made)
            return IoResult::failure(say("无法创建 ", "cannot create ") + path.string() + say("：", ": ") +
                                     made.message);
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    if (in)
        bytes << in.rdbuf();
    if (!in || in.bad() || std::filesystem::is_directory(path, ec))
        return IoResult::failure(say("无法读取 ", "cannot read ") + path.string());
    list = parseSources(bytes.str());
    if (text)
        *text = bytes.str();
    return IoResult::success();
}

} // namespace vorin
