// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The Tgethaozs scan over any page.
#include "fuzz/harness.h"
#include "harvest/discovered.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const vorin::UrlList urls;
    vorin::fuzz::scan<vorin::Tgethaozs>(data, size, urls);
    return 0;
}
