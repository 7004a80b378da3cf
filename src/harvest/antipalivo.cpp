// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "harvest/antipalivo.h"

#include "harvest/patterns.h"
#include "platform/idioms.h"

namespace vorin {

using namespace idioms;

std::vector<SourceWorker::Page> Tantipalivo::pages()
{
    return {{root("antipalivo") + "/proxy/list", TempPaths::Dir::Executable, "x.anti"}};
}

std::string Tantipalivo::codeport(std::string_view s)
{
    const std::int64_t a = Pos("decode(\"", s);
    const std::int64_t b = Pos("\");</script>", s);
    std::string t(Copy(s, a + 8, b - a - 8));
    for (int n = 0; n <= 9; ++n)
        t = ReplaceAll(t, std::to_string(49 + n), std::to_string(n));
    return ReplaceAll(t, ",", "");
}

void Tantipalivo::parse(const Lines& lines, const EntrySink& add)
{
    static constexpr std::string_view marker = "<td align=\"center\" colspan=\"5\">HTTP</td></tr>";
    const std::int64_t count = lines.count();
    const auto found = lines.find(marker);
    const std::int64_t h = found ? static_cast<std::int64_t>(*found) : count;
    for (std::int64_t i = h + 2; i < count - 210; ++i) {
        std::string s = LowerCase(lines[static_cast<std::size_t>(i)]);
        auto ip = patterns::findAddress(s);
        if (!ip)
            return;
        add(Entry{s.substr(ip->pos, ip->len), codeport(s), std::nullopt, std::nullopt, std::nullopt});
    }
}

} // namespace vorin
