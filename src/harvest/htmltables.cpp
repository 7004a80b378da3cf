// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "harvest/htmltables.h"

#include "platform/idioms.h"

namespace vorin {

using namespace idioms;

// ---- tdowncnp ----

std::vector<SourceWorker::Page> tdowncnp::pages()
{
    std::vector<Page> out;
    for (int n = 1; n <= 10; ++n)
        out.push_back({root("cnp") + "/proxy" + std::to_string(n) + ".html", TempPaths::Dir::Executable,
                       std::to_string(n) + ".cnp"});
    return out;
}

std::int32_t tdowncnp::letterport(std::string_view script)
{
    static constexpr std::pair<const char*, const char*> codes[] = {
        {"+r", "8"}, {"+d", "0"}, {"+z", "3"}, {"+m", "4"}, {"+k", "2"},
        {"+l", "9"}, {"+b", "5"}, {"+i", "7"}, {"+w", "6"}, {"+c", "1"},
    };
    std::string s(script);
    for (const auto& [code, digit] : codes)
        s = ReplaceAll(s, code, digit);
    const std::int64_t a = Pos("\":\"", s);
    const auto len = static_cast<std::int64_t>(s.size());
    return toInt(Copy(s, a + 3, len - a - 3)).value_or(80);
}

void tdowncnp::parse(const Lines& lines, const EntrySink& add)
{
    static constexpr std::string_view header =
        "<tr><td width=\"140\">IP:Port</td><td width=\"40\">Type</td><td width=\"90\">Speed</td>"
        "<td width=\"160\"> Country/Area</td></tr>";
    const std::int64_t count = lines.count();
    std::int64_t i = 1; // line 0 is never tested
    while (i < count - 1) {
        if (lines[static_cast<std::size_t>(i++)] == header)
            break;
    }
    while (i < count - 1) {
        std::string_view taken = lines[static_cast<std::size_t>(i)];
        if (taken == "</table>")
            break;
        std::string line(taken);
        std::string script = cuttag(line, "SCRIPT");
        std::int32_t number = letterport(script);
        Entry e;
        e.ip = cuttag(line, "td");
        e.protocol = cuttag(line, "td");
        cuttag(line, "td"); // the speed column
        e.location = cuttag(line, "td");
        e.port = std::to_string(number);
        add(std::move(e));
        ++i;
    }
}

// ---- Tproxycn ----

std::vector<SourceWorker::Page> Tproxycn::pages()
{
    std::vector<Page> out;
    for (int n = 0; n <= 5; ++n) {
        std::string path =
            n == 0 ? "/html_proxy/30fastproxy-1.html" : "/html_proxy/http-" + std::to_string(n) + ".html";
        out.push_back({root("proxycn") + path, TempPaths::Dir::Executable, std::to_string(n) + ".pcn"});
    }
    return out;
}

void Tproxycn::parse(const Lines& lines, const EntrySink& add)
{
    static constexpr std::string_view marker = "<TR align=\"center\" bgcolor=\"#fbfbfb\" onDblClick=\"clip(";
    // The cut starts at a fixed position: the line is taken to begin with the marker and the quote that
    // opens clip's argument.
    constexpr std::int64_t start = static_cast<std::int64_t>(marker.size()) + 2;
    for (std::int64_t i = 0; i < lines.count() - 2; ++i) {
        std::string_view line = lines[static_cast<std::size_t>(i)];
        if (Pos(marker, line) == 0)
            continue;
        const std::int64_t e = Pos(");alert(", line);
        auto [ip, port] = splitFirstColon(Copy(line, start, e - start - 1));
        add(Entry{std::move(ip), std::move(port), std::nullopt, std::nullopt, std::nullopt});
    }
}

// ---- Tproxynet ----

std::vector<SourceWorker::Page> Tproxynet::pages()
{
    std::vector<Page> out;
    for (int n = 1; n <= 5; ++n)
        out.push_back({root("proxynet") + "/lista-proxy/lista-" + std::to_string(n) + "-" +
                           std::to_string(n + 16) + ".html",
                       TempPaths::Dir::Executable, std::to_string(n) + ".pnet"});
    return out;
}

void Tproxynet::parse(const Lines& lines, const EntrySink& add)
{
    static constexpr std::string_view marker =
        "<div class=\"content\"><table id=\"proxy-list\" width=\"100%\">";
    const std::int64_t count = lines.count();
    const auto found = lines.find(marker);
    const std::int64_t h = found ? static_cast<std::int64_t>(*found) : count;
    auto cell = [&](std::int64_t k) {
        std::string upper = UpperCase(lines[static_cast<std::size_t>(k)]);
        return cuttag(upper, "TD");
    };
    for (std::int64_t i = h + 9; i < count - 8; i += 7) {
        if (trim(lines[static_cast<std::size_t>(i)]) == "</table>")
            break;
        Entry e;
        e.ip = cell(i);
        e.port = cell(i + 1);
        e.protocol = cell(i + 2);
        e.location = cell(i + 3);
        add(std::move(e));
    }
}

} // namespace vorin
