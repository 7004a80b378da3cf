// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "harvest/sourceworker.h"
#include "harvest/urllist.h"

#include <string>
#include <vector>

namespace vorin {

// The list-page discovery: once per run, fetches six index pages of news-style sites and appends the
// newest article links to the coordinator's two URL lists. Runs in the background; shows nothing.
class Tgetnewurl final : public SourceWorker {
public:
    Tgetnewurl(HarvestEnv& env, UrlList& pageurls, UrlList& haozsurls);
    const char* name() const override { return "Tgetnewurl"; }
    void Execute() override;
    void parse(const Lines&, const EntrySink&) override {}

    // The cutters: the absolute URLs one index page yields, in page order. A page without its marker
    // yields nothing; a page that ends before a line the cutter reads yields the links found up to there.
    static std::vector<std::string> cutadmin(const Lines& lines, const std::string& root);
    static std::vector<std::string> cutsooip(const Lines& lines, const std::string& root);
    static std::vector<std::string> cut3ghttp(const Lines& lines, const std::string& root);
    static std::vector<std::string> cuthaozs(const Lines& lines, const std::string& root);
    static std::vector<std::string> cutitmop(const Lines& lines);
    std::vector<Page> pages() override { return {}; }

private:
    UrlList& pageurls_;
    UrlList& haozsurls_;
};

} // namespace vorin
