// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// What the fuzz targets share: the worker environment a source's scan needs (no thread, no network, no
// folder is ever used by a scan) and the checks every scan's entries must pass.
#pragma once

#include "config/endpoints.h"
#include "harvest/sourceworker.h"
#include "platform/dispatcher.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace vorin::fuzz {

inline HarvestEnv& env()
{
    static Dispatcher dispatcher;
    static const Endpoints endpoints = Endpoints::defaults();
    static HarvestEnv e{
        dispatcher, endpoints, TempPaths("/nonexistent", "/nonexistent"), [](const Entry&) {}, {}};
    return e;
}

// A page's entries can be no longer than the page they were cut from.
inline void checkEntry(const Entry& e, std::size_t pageSize)
{
    if (e.ip.size() > pageSize || e.port.size() > pageSize)
        std::abort();
    if ((e.protocol && e.protocol->size() > pageSize) || (e.location && e.location->size() > pageSize))
        std::abort();
}

template <typename Source, typename... Extra>
void scan(const std::uint8_t* data, std::size_t size, Extra&... extra)
{
    Source source(env(), extra...);
    source.parse(Lines(std::string(reinterpret_cast<const char*>(data), size)),
                 [size](const Entry& e) { checkEntry(e, size); });
}

} // namespace vorin::fuzz
