// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The Tproxycn scan over any page.
#include "fuzz/harness.h"
#include "harvest/htmltables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vorin::fuzz::scan<vorin::Tproxycn>(data, size);
    return 0;
}
