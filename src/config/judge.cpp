// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "config/judge.h"

#include "platform/texts.h"

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

} // namespace vorin
