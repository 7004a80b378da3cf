// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The tdownros scan over any page.
#include "fuzz/harness.h"
#include "harvest/feeds.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vorin::fuzz::scan<vorin::tdownros>(data, size);
    return 0;
}
