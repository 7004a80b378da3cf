// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "config/endpoints.h"

#include "platform/process.h"
#include "platform/texts.h"
#include "platform/trim.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vorin {
namespace {

struct Site {
    const char* key;
    const char* root;
    const char* label; // short name in the status texts
};

// The one table of site roots.
constexpr Site kDefaults[] = {
    {"softsite", "http://www.vorinsoft.com", "vorinsoft"}, // the maker's software site: "/daili5" pages
    {"mainsite", "http://www.vorin.net", "vorin"},         // the maker's main site: "/yourip.php"
    {"homepage", "http://www.vorinsoft.com/daili5", "vorinsoft"}, // opened by the home button
    // The start-page offer: the two partner pages (full URLs), partner B's domain and the site names.
    {"partnerA", "http://www.hao123.com/?tn=vorin_pg", "hao123"},
    {"partnerB", "http://www.265.com/?vorin", "265"},
    {"partnerBdomain", "265.com", "265"},
    {"partnerAname", "hao123", "hao123"},
    {"partnerBname", "265", "265"},
    {"cnp", "http://www.cnproxy.com", "cnproxy"},
    {"proxycn", "http://www.proxycn.com", "proxycn"},
    {"proxynet", "http://www.proxynet.es", "proxynet"},
    {"ros", "http://tools.rosinstrument.com", "rosinstrument"},
    {"proxylists", "http://www.proxylists.net", "proxylists"},
    {"antipalivo", "http://www.antipalivo.ru", "antipalivo"},
    {"iplookup", "http://www.ip138.com", "ip138"}, // the test page "/ip2city.asp" and the location lookup
    // The news-style sites the discovery reads at start-up.
    {"admin", "http://www.proxy360.cn", "admin"},
    {"sooip", "http://www.sooip.cn", "sooip"},
    {"3ghttp", "http://www.3ghttp.com", "3ghttp"},
    {"haozs", "http://www.haozs.net", "haozs"},
    {"itmop", "http://www.itmop.com", "itmop"},
    // The sites the default sources and judges files name: a file made on first use names the roots in
    // force, so that a configuration (a test's loopback) reaches these too.
    {"github", "https://raw.githubusercontent.com", "github"},
    {"azenv", "http://azenv.net", "azenv"},
    {"proxylisten", "http://www.proxy-listen.de", "proxy-listen"},
    {"httpheader", "http://httpheader.net", "httpheader"},
    {"proxyscrape1", "http://judge1.api.proxyscrape.com", "proxyscrape"},
    {"proxyscrape2", "http://judge2.api.proxyscrape.com", "proxyscrape"},
    {"httpbin", "http://httpbin.org", "httpbin"},
    {"httpbingo", "http://httpbingo.org", "httpbingo"},
    {"httpbintls", "https://httpbin.org", "httpbin"},
};

std::string withoutTrailingSlash(std::string_view s)
{
    while (!s.empty() && s.back() == '/')
        s.remove_suffix(1);
    return std::string(s);
}

} // namespace

Endpoints Endpoints::defaults()
{
    Endpoints e;
    for (const Site& site : kDefaults) {
        e.set(site.key, site.root);
        e.setLabel(site.key, site.label);
    }
    return e;
}

Endpoints Endpoints::fromEnvironment()
{
    Endpoints e = defaults();
    if (const auto path = process::environmentPath("VORIN_ENDPOINTS")) {
        if (auto r = e.applyOverrideFile(*path); !r) {
            e = defaults();
            e.loadError_ = r.message;
        }
    }
    return e;
}

std::string Endpoints::localized(std::string_view text) const
{
    std::string out(text);
    for (const Site& site : kDefaults) {
        const std::string& now = root(site.key);
        const std::string_view was = site.root;
        if (now == was || now.empty())
            continue;
        // Only a whole root: followed by a path, a blank or the end of a line.
        for (std::size_t at = out.find(was); at != std::string::npos; at = out.find(was, at)) {
            const std::size_t end = at + was.size();
            if (end < out.size() && out[end] != '/' && out[end] != ' ' && out[end] != '\n' &&
                out[end] != '\r') {
                at = end;
                continue;
            }
            out.replace(at, was.size(), now);
            at += now.size();
        }
    }
    return out;
}

const std::string& Endpoints::root(std::string_view key) const
{
    static const std::string none;
    auto it = roots_.find(key);
    return it == roots_.end() ? none : it->second;
}

void Endpoints::set(std::string key, std::string root)
{
    roots_[std::move(key)] = withoutTrailingSlash(root);
}

std::string Endpoints::label(std::string_view key) const
{
    auto it = labels_.find(key);
    return it == labels_.end() ? std::string(key) : it->second;
}

void Endpoints::setLabel(std::string key, std::string label)
{
    labels_[std::move(key)] = std::move(label);
}

std::vector<std::string> Endpoints::keys() const
{
    std::vector<std::string> out;
    for (const auto& entry : roots_)
        out.push_back(entry.first);
    return out;
}

std::string Endpoints::applyOverrides(std::string_view text)
{
    std::istringstream in{std::string(text)};
    std::string line;
    std::string problem;
    int number = 0;
    auto note = [&](const std::string& what) {
        if (problem.empty())
            problem = say("第 " + std::to_string(number) + " 行", "line " + std::to_string(number)) + what;
    };
    while (std::getline(in, line)) {
        ++number;
        std::string_view l = trim(line);
        if (l.empty() || l.front() == '#')
            continue;
        auto eq = l.find('=');
        if (eq == std::string_view::npos) {
            note(say("没有“=”", ": no \"=\""));
            continue;
        }
        std::string_view key = trim(l.substr(0, eq));
        std::string_view root = trim(l.substr(eq + 1));
        constexpr std::string_view suffix = ".label";
        const bool isLabel = key.size() > suffix.size() && key.substr(key.size() - suffix.size()) == suffix;
        std::string_view site = isLabel ? key.substr(0, key.size() - suffix.size()) : key;
        if (site.empty())
            continue;
        if (roots_.find(site) == roots_.end())
            note(say("：未知的键 ", ": unknown key ") + std::string(site));
        if (isLabel)
            setLabel(std::string(site), std::string(root));
        else
            set(std::string(key), std::string(root));
    }
    return problem;
}

IoResult Endpoints::applyOverrideFile(const std::filesystem::path& file)
{
    const std::string path = process::argumentText(file); // as messages name it
    std::ifstream in(file, std::ios::binary);
    std::error_code ec;
    if (!in || std::filesystem::is_directory(file, ec))
        return IoResult::failure(say("无法读取 ", "cannot read ") + path);
    std::ostringstream buf;
    buf << in.rdbuf();
    if (in.bad())
        return IoResult::failure(say("无法读取 ", "cannot read ") + path);
    if (std::string problem = applyOverrides(buf.str()); !problem.empty())
        return IoResult::failure(path + " " + problem);
    return IoResult::success();
}

} // namespace vorin
