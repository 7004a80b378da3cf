// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "harvest/sourceworker.h"
#include "harvest/urllist.h"

namespace vorin {

// The article pages the discovery found. Each worker takes a snapshot of its list when it starts, so it
// reads the entries without racing the discovery thread, in discovery order.

// Every address:port text anywhere on each page of pageurls.
class Tdownurl final : public SourceWorker {
public:
    Tdownurl(HarvestEnv& env, const UrlList& pageurls);
    const char* name() const override { return "Tdownurl"; }
    void parse(const Lines& lines, const EntrySink& add) override;
    std::vector<Page> pages() override;

private:
    const UrlList& pageurls_;
};

// The haozs article pages from the second entry of haozsurls on: table rows with one cell per line.
class Tgethaozs final : public SourceWorker {
public:
    Tgethaozs(HarvestEnv& env, const UrlList& haozsurls);
    const char* name() const override { return "Tgethaozs"; }
    void parse(const Lines& lines, const EntrySink& add) override;
    std::vector<Page> pages() override;

private:
    const UrlList& haozsurls_;
};

} // namespace vorin
