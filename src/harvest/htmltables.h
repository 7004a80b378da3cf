// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "harvest/sourceworker.h"

#include <cstdint>

// The sources that publish their proxies as rows of an HTML table.
namespace vorin {

// cnproxy list pages /proxy1.html to /proxy10.html; the port is spelt in letter codes inside a script.
class tdowncnp final : public SourceWorker {
public:
    using SourceWorker::SourceWorker;
    const char* name() const override { return "tdowncnp"; }
    void parse(const Lines& lines, const EntrySink& add) override;
    // The port a script spells in letter codes, or 80 when it spells none.
    static std::int32_t letterport(std::string_view script);
    std::vector<Page> pages() override;
};

// proxycn list pages: each row's clip("ip:port") argument.
class Tproxycn final : public SourceWorker {
public:
    using SourceWorker::SourceWorker;
    const char* name() const override { return "Tproxycn"; }
    void parse(const Lines& lines, const EntrySink& add) override;
    std::vector<Page> pages() override;
};

// proxynet list pages: seven lines per entry, one cell per line, values upper-cased.
class Tproxynet final : public SourceWorker {
public:
    using SourceWorker::SourceWorker;
    const char* name() const override { return "Tproxynet"; }
    void parse(const Lines& lines, const EntrySink& add) override;
    std::vector<Page> pages() override;
};

} // namespace vorin
