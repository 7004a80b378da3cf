// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "harvest/antipalivo.h"

#include "harvest/idioms.h"

namespace vorin {

using namespace idioms;

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Length of the match of \d+\.\d+\.\d+\.\d+ at s[i], or 0.
std::size_t matchAt(std::string_view s, std::size_t i)
{
    std::size_t p = i;
    for (int group = 0; group < 4; ++group) {
        if (group > 0) {
            if (p >= s.size() || s[p] != '.')
                return 0;
            ++p;
        }
        std::size_t digits = p;
        while (p < s.size() && isDigit(s[p]))
            ++p;
        if (p == digits)
            return 0;
    }
    return p - i;
}

} // namespace

std::optional<std::string_view> findDottedQuad(std::string_view s)
{
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (!isDigit(s[i]) || (i > 0 && isDigit(s[i - 1])))
            continue; // only the start of a digit run can start a match
        if (std::size_t n = matchAt(s, i))
            return s.substr(i, n);
    }
    return std::nullopt;
}

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
    std::int64_t h = count;
    for (std::int64_t k = 0; k < count; ++k) {
        if (Pos(marker, lines[static_cast<std::size_t>(k)]) > 0) {
            h = k;
            break;
        }
    }
    for (std::int64_t i = h + 2; i < count - 210; ++i) {
        std::string s = LowerCase(lines[static_cast<std::size_t>(i)]);
        auto ip = findDottedQuad(s);
        if (!ip)
            return;
        add(Entry{std::string(*ip), codeport(s), std::nullopt, std::nullopt});
    }
}

} // namespace vorin
