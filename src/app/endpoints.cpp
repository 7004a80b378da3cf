// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "app/endpoints.h"

#include "table/trim.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace vorin {
namespace {

// key, root. The one table of site roots; later sources add their rows here.
constexpr std::pair<const char*, const char*> kDefaults[] = {
    {"softsite", "http://www.vorinsoft.com"}, // the maker's site: the browser pane's home page "/daili5"
};

std::string withoutTrailingSlash(std::string_view s) {
    while (!s.empty() && s.back() == '/')
        s.remove_suffix(1);
    return std::string(s);
}

} // namespace

Endpoints Endpoints::defaults() {
    Endpoints e;
    for (const auto& [key, root] : kDefaults)
        e.set(key, root);
    return e;
}

Endpoints Endpoints::fromEnvironment() {
    Endpoints e = defaults();
    if (const char* path = std::getenv("VORIN_ENDPOINTS"); path && *path) {
        if (auto r = e.applyOverrideFile(path); !r)
            e.loadError_ = r.message;
    }
    return e;
}

const std::string& Endpoints::root(std::string_view key) const {
    static const std::string none;
    auto it = roots_.find(key);
    return it == roots_.end() ? none : it->second;
}

void Endpoints::set(std::string key, std::string root) {
    roots_[std::move(key)] = withoutTrailingSlash(root);
}

std::vector<std::string> Endpoints::keys() const {
    std::vector<std::string> out;
    for (const auto& entry : roots_)
        out.push_back(entry.first);
    return out;
}

void Endpoints::applyOverrides(std::string_view text) {
    std::istringstream in{std::string(text)};
    std::string line;
    while (std::getline(in, line)) {
        std::string_view l = trim(line);
        if (l.empty() || l.front() == '#')
            continue;
        auto eq = l.find('=');
        if (eq == std::string_view::npos)
            continue;
        std::string_view key = trim(l.substr(0, eq));
        std::string_view root = trim(l.substr(eq + 1));
        if (!key.empty())
            set(std::string(key), std::string(root));
    }
}

IoResult Endpoints::applyOverrideFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return IoResult::failure("open " + path);
    std::ostringstream buf;
    buf << in.rdbuf();
    applyOverrides(buf.str());
    return IoResult::success();
}

} // namespace vorin
