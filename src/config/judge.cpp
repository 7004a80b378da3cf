// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "config/judge.h"

#include "config/defaultsources.h"
#include "config/userfile.h"
#include "platform/registry.h"
#include "platform/texts.h"

#include <charconv>

namespace vorin {

Judge Judge::builtin(const Endpoints& endpoints)
{
    Judge j;
    j.url = endpoints.root("iplookup") + "/ip2city.asp";
    return j;
}

bool Judge::usable(std::string& why) const
{
    const bool http = url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0;
    const auto host = url.find("://") + 3;
    if (!http || host >= url.size() || url[host] == '/') {
        why = say("“" + url + "”不是 http:// 或 https:// 网址",
                  "\"" + url + "\" is not an http:// or https:// URL");
        return false;
    }
    for (char c : url) {
        if (static_cast<unsigned char>(c) <= 32 || c == 127) {
            why = say("网址中不能有空白或控制字符", "a URL cannot hold blanks or control characters");
            return false;
        }
    }
    if (rule == Rule::Marker && (marker.empty() || markerBytes < marker.size() || markerBytes > (1u << 20))) {
        why = say("标记不能为空，字节数应在标记长度到 1048576 之间",
                  "the marker cannot be empty, and its bytes must lie between its length and 1048576");
        return false;
    }
    return true;
}

bool Judge::isBuiltin(const Endpoints& endpoints) const
{
    return rule == Rule::Marker && marker.empty() && url == builtin(endpoints).url;
}

JudgeList parseJudges(std::string_view text, const Endpoints& endpoints)
{
    JudgeList list;
    forEachWordLine(text, [&](int number, const std::vector<std::string_view>& words) {
        const std::string where = lineProblem(number);
        if (words.size() == 1 && words[0] == "builtin") {
            list.judges.push_back(Judge::builtin(endpoints));
            return;
        }
        Judge j;
        j.url = std::string(words[0]);
        j.rule = words.size() == 1 ? Judge::Rule::Echo : Judge::Rule::Marker;
        bool shaped = words.size() == 1 || ((words.size() == 3 || words.size() == 4) && words[1] == "marker");
        if (shaped && words.size() >= 3)
            j.marker = std::string(words[2]);
        if (shaped && words.size() == 4) {
            std::size_t bytes = 0;
            const auto [end, ec] = std::from_chars(words[3].data(), words[3].data() + words[3].size(), bytes);
            shaped = ec == std::errc() && end == words[3].data() + words[3].size();
            j.markerBytes = bytes;
        }
        if (!shaped) {
            list.problems.push_back(where +
                                    say("应为“网址”、“网址 marker 文字 [字节数]”或“builtin”",
                                        "expected \"URL\", \"URL marker TEXT [BYTES]\" or \"builtin\""));
            return;
        }
        std::string why;
        if (!plainUrl(j.url) || !j.usable(why)) {
            if (why.empty())
                why = say("“" + j.url + "”不是 http:// 或 https:// 网址",
                          "\"" + j.url + "\" is not an http:// or https:// URL");
            list.problems.push_back(where + why);
            return;
        }
        list.judges.push_back(std::move(j));
    });
    return list;
}

const std::string& defaultJudgesText()
{
    static const std::string text = kDefaultJudgesText;
    return text;
}

std::filesystem::path judgesFile()
{
    return registry::hiveFile(registry::Hive::CurrentUser).parent_path() / "judges.txt";
}

IoResult loadJudges(const std::filesystem::path& path, const Endpoints& endpoints, JudgeList& list,
                    std::string* text)
{
    std::string bytes;
    if (IoResult r = readUserFile(path, endpoints.localized(defaultJudgesText()), bytes); !r)
        return r;
    list = parseJudges(bytes, endpoints);
    if (text)
        *text = std::move(bytes);
    return IoResult::success();
}

} // namespace vorin
