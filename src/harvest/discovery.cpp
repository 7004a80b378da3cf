// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "harvest/discovery.h"

#include "platform/idioms.h"
#include "platform/texts.h"

#include <functional>
#include <optional>

namespace vorin {

using namespace idioms;

namespace {

// The text between the first occurrence of open and the first occurrence of close, both searched from the
// start of the line.
std::string between(std::string_view line, std::string_view open, std::string_view close)
{
    const std::int64_t start = Pos(open, line) + static_cast<std::int64_t>(open.size());
    return std::string(Copy(line, start, Pos(close, line) - start));
}

// Applies cut to the lines at the given distances after the marker, in order, stopping at the first one
// beyond the page's end.
std::vector<std::string> atOffsets(const Lines& lines, std::string_view marker,
                                   std::initializer_list<std::size_t> offsets,
                                   const std::function<std::string(std::string_view)>& cut)
{
    std::vector<std::string> out;
    auto m = lines.find(marker);
    if (!m)
        return out;
    for (std::size_t offset : offsets) {
        if (*m + offset >= lines.size())
            break;
        out.push_back(cut(lines[*m + offset]));
    }
    return out;
}

} // namespace

Tgetnewurl::Tgetnewurl(HarvestEnv& env, UrlList& pageurls, UrlList& haozsurls)
    : SourceWorker(env)
    , pageurls_(pageurls)
    , haozsurls_(haozsurls)
{
}

std::vector<std::string> Tgetnewurl::cutadmin(const Lines& lines, const std::string& root)
{
    return atOffsets(lines, texts().markerAdmin, {2, 3}, [&](std::string_view line) {
        // Breaking the list-page links first lets the search land on the article link.
        std::string fixed = ReplaceAll(line, "href=\"/ip/list", "\"");
        return root + "/ip/" + between(fixed, "<a href=\"/ip/", "\" title=");
    });
}

std::vector<std::string> Tgetnewurl::cutsooip(const Lines& lines, const std::string& root)
{
    return atOffsets(lines, texts().markerSooip, {4, 8},
                     [&](std::string_view line) { return root + between(line, "<a href=\"", "\" target"); });
}

std::vector<std::string> Tgetnewurl::cut3ghttp(const Lines& lines, const std::string& root)
{
    return atOffsets(lines, "<div class=\"newslist\">", {2},
                     [&](std::string_view line) { return root + between(line, "<a href=\"", "\">"); });
}

std::vector<std::string> Tgetnewurl::cuthaozs(const Lines& lines, const std::string& root)
{
    std::vector<std::string> out;
    auto m = lines.find("<div id=\"nw_left\">");
    if (!m)
        return out;
    for (std::size_t i = *m; i < lines.size() && out.size() < 7; ++i) {
        std::string_view line = lines[i];
        if (Pos(".html", line) == 0 || Pos(texts().haozsPinned, line) > 0)
            continue;
        const std::int64_t start = Pos("href=\"", line) + 6;
        const std::int64_t end = Pos("html\"", line) + 4;
        out.push_back(root + "/" + std::string(Copy(line, start, end - start)));
    }
    return out;
}

std::vector<std::string> Tgetnewurl::cutitmop(const Lines& lines)
{
    std::vector<std::string> out;
    auto m = lines.find("<DIV ID=\"NEW_INFO_LIST\">");
    if (!m)
        return out;
    for (std::size_t i = *m + 1; i < lines.size() && out.size() < 2; ++i) {
        if (Pos("<DT><a href", lines[i]) == 0)
            continue;
        std::string rest = ReplaceAll(lines[i], "<DT><a href=\"", "");
        out.emplace_back(Copy(rest, 1, Pos("\"", rest) - 1));
    }
    return out;
}

void Tgetnewurl::Execute()
{
    using Cutter = std::function<std::vector<std::string>(const Lines&)>;
    struct Row {
        const char* key;
        const char* label;
        const char* path;
        Cutter cut;
        UrlList& target;
    };
    auto rootOf = [this](const char* key) { return root(key); };
    const Row rows[] = {
        {"admin", "admin.url", "/ip/", [&](const Lines& l) { return cutadmin(l, rootOf("admin")); },
         pageurls_},
        {"sooip", "sooip.url", "/html/26/category-catid-126.html",
         [&](const Lines& l) { return cutsooip(l, rootOf("sooip")); }, pageurls_},
        {"3ghttp", "3ghttp.url", "/daili/zxhttp/",
         [&](const Lines& l) { return cut3ghttp(l, rootOf("3ghttp")); }, pageurls_},
        {"haozs", "haozs.1st", "/Class.asp?ID=37",
         [&](const Lines& l) { return cuthaozs(l, rootOf("haozs")); }, haozsurls_},
        {"haozs", "haozs.2st", "/Class.asp?ID=36",
         [&](const Lines& l) { return cuthaozs(l, rootOf("haozs")); }, haozsurls_},
        {"itmop", "itmop.1st", "/proxy/", [](const Lines& l) { return cutitmop(l); }, pageurls_},
    };
    for (const Row& row : rows) {
        if (env_.cancel.load())
            return;
        fetchAndCut({root(row.key) + row.path, TempPaths::Dir::Executable, row.label},
                    [&](const Lines& lines) {
                        for (auto& url : row.cut(lines))
                            row.target.append(std::move(url));
                    });
    }
}

} // namespace vorin
