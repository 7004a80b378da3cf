// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "harvest/sourceworker.h"

#include <optional>
#include <string_view>

namespace vorin {

// antipalivo list page: the address by pattern, the port from the argument of the line's decode call.
class Tantipalivo final : public SourceWorker {
public:
    using SourceWorker::SourceWorker;
    const char* name() const override { return "Tantipalivo"; }
    void parse(const Lines& lines, const EntrySink& add) override;
    // The port text of a lower-cased line's decode("...") call.
    static std::string codeport(std::string_view s);
    std::vector<Page> pages() override;
};

} // namespace vorin
