// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "harvest/discovered.h"

#include "harvest/patterns.h"
#include "platform/idioms.h"

namespace vorin {

using namespace idioms;

// ---- Tdownurl ----

Tdownurl::Tdownurl(HarvestEnv& env, const UrlList& pageurls) : SourceWorker(env), pageurls_(pageurls) {}

std::vector<SourceWorker::Page> Tdownurl::pages()
{
    std::vector<Page> out;
    auto urls = pageurls_.snapshot();
    for (std::size_t i = 0; i < urls.size(); ++i)
        out.push_back({urls[i], TempPaths::Dir::Current, std::to_string(i) + ".xurl"});
    return out;
}

void Tdownurl::parse(const Lines& lines, const EntrySink& add)
{
    // The page is searched as one text, its lines joined again with CR LF, so an address never spans a
    // line end but a match may sit anywhere in a line.
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text.append(lines[i]);
        text.append("\r\n");
    }
    std::size_t from = 0;
    while (auto m = patterns::findAddressWithPort(text, from)) {
        auto [ip, port] = splitFirstColon(std::string_view(text).substr(m->pos, m->len));
        add(Entry{std::move(ip), std::move(port), std::nullopt, std::nullopt, std::nullopt});
        from = m->pos + m->len;
    }
}

// ---- Tgethaozs ----

Tgethaozs::Tgethaozs(HarvestEnv& env, const UrlList& haozsurls) : SourceWorker(env), haozsurls_(haozsurls) {}

std::vector<SourceWorker::Page> Tgethaozs::pages()
{
    std::vector<Page> out;
    auto urls = haozsurls_.snapshot();
    for (std::size_t i = 1; i < urls.size(); ++i) // the first entry is never fetched
        out.push_back({urls[i], TempPaths::Dir::Executable, std::to_string(i) + ".hao"});
    return out;
}

void Tgethaozs::parse(const Lines& lines, const EntrySink& add)
{
    const std::int64_t n = lines.count();
    auto line = [&](std::int64_t k) {
        return k >= 0 && k < n ? lines[static_cast<std::size_t>(k)] : std::string_view();
    };
    // The first data row's opening line, among lines 0 to n - 20. A page without one adds no rows.
    std::int64_t r = -1;
    for (std::int64_t k = 0; k <= n - 20; ++k) {
        std::string lower = LowerCase(line(k));
        if (Pos("<tr bgcolor=", lower) > 0 && Pos("#ffffff", lower) > 0) {
            r = k;
            break;
        }
    }
    if (r < 0)
        return;
    std::int64_t k = r + 1;
    do {
        std::string first = UpperCase(line(k));
        if (Pos("TD", first) == 0)
            return;
        Entry e;
        e.ip = cuttag(first, "TD");
        std::string second = UpperCase(line(k + 1));
        e.port = cuttag(second, "TD");
        std::string third = UpperCase(line(k + 2));
        e.location = cuttag(third, "TD");
        add(std::move(e));
        k += 5;
        if (Pos("<tr", line(k)) > 0)
            ++k;
    } while (k <= n - 15);
}

} // namespace vorin
