// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "harvest/feeds.h"

#include "platform/idioms.h"

namespace vorin {

using namespace idioms;

std::vector<SourceWorker::Page> tdownros::pages()
{
    const std::string& r = root("ros");
    return {
        {r + "/proxy/l100.xml", TempPaths::Dir::Current, "1.ros"},
        {r + "/proxy/plab100.xml", TempPaths::Dir::Current, "2.ros"},
    };
}

void tdownros::parse(const Lines& lines, const EntrySink& add)
{
    const std::int64_t count = lines.count();
    std::int64_t i = 0;
    while (i <= count - 2 && lines[static_cast<std::size_t>(i)] != "</image>")
        ++i;
    if (i > count - 2)
        return; // no "</image>" line: the channel's titles would be all there is
    for (; i < count - 2; ++i) {
        std::string_view line = lines[static_cast<std::size_t>(i)];
        if (Pos("</title>", line) == 0)
            continue;
        std::string copy(line);
        auto [ip, port] = splitFirstColon(cuttag(copy, "title"));
        add(Entry{std::move(ip), std::move(port), std::nullopt, std::nullopt, std::nullopt});
    }
}

std::vector<SourceWorker::Page> Tproxylists::pages()
{
    const std::string& r = root("proxylists");
    return {
        {r + "/http_highanon.txt", TempPaths::Dir::Current, "pn.1st"},
        {r + "/http.txt", TempPaths::Dir::Current, "pn.2st"},
    };
}

void Tproxylists::parse(const Lines& lines, const EntrySink& add)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (Pos(":", lines[i]) == 0)
            continue;
        auto [ip, port] = splitFirstColon(lines[i]);
        add(Entry{std::move(ip), std::move(port), std::nullopt, std::nullopt, std::nullopt});
    }
}

} // namespace vorin
