// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "harvest/sourceworker.h"

// The sources that publish machine-readable lists: two XML feeds and two plain-text lists.
namespace vorin {

// rosinstrument feeds: one proxy per item title, after the feed's image element.
class tdownros final : public SourceWorker {
public:
    using SourceWorker::SourceWorker;
    const char* name() const override { return "tdownros"; }
    void parse(const Lines& lines, const EntrySink& add) override;
    std::vector<Page> pages() override;
};

// proxylists text lists: every line with a colon is address:port.
class Tproxylists final : public SourceWorker {
public:
    using SourceWorker::SourceWorker;
    const char* name() const override { return "Tproxylists"; }
    void parse(const Lines& lines, const EntrySink& add) override;
    std::vector<Page> pages() override;
};

} // namespace vorin
