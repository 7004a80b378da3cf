// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "config/sources.h"

#include "config/defaultsources.h"

#include "config/userfile.h"
#include "platform/hostport.h"
#include "platform/registry.h"
#include "platform/texts.h"

namespace vorin {

SourceList parseSources(std::string_view text)
{
    SourceList list;
    forEachWordLine(text, [&](int number, const std::vector<std::string_view>& words) {
        const std::string where = lineProblem(number);
        if (words.size() > 2) {
            list.problems.push_back(where + say("应为“网址 [协议]”", "expected \"URL [protocol]\""));
            return;
        }
        if (!plainUrl(words[0])) {
            const std::string url(words[0]);
            list.problems.push_back(where + say("“" + url + "”不是 http:// 或 https:// 网址",
                                                "\"" + url + "\" is not an http:// or https:// URL"));
            return;
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
                return;
            }
        }
        list.sources.push_back({std::string(words[0]), protocol, words.size() == 2});
    });
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

IoResult loadSources(const std::filesystem::path& path, const Endpoints& endpoints, SourceList& list,
                     std::string* text)
{
    std::string bytes;
    if (IoResult r = readUserFile(path, endpoints.localized(defaultSourcesText()), bytes); !r)
        return r;
    list = parseSources(bytes);
    if (text)
        *text = std::move(bytes);
    return IoResult::success();
}

} // namespace vorin
