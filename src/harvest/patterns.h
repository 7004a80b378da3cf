// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

// The two address patterns of the harvest, as linear scans instead of a general expression engine:
//   \d+\.\d+\.\d+\.\d+         (an address)
//   \d+\.\d+\.\d+\.\d+\:\d+    (an address and a port)
// Both with greedy digit runs and leftmost matches. A match can only start where a run of ASCII digits
// starts (starting later in the same run meets the same text after it), and no run can give a digit back
// to a dot or a colon, so each start is tried once and the scan stays linear. Pure, any thread.
namespace vorin::patterns {

struct Match {
    std::size_t pos;
    std::size_t len;
};

// The leftmost address in s at or after from.
std::optional<Match> findAddress(std::string_view s, std::size_t from = 0);
// The leftmost address:port in s at or after from.
std::optional<Match> findAddressWithPort(std::string_view s, std::size_t from = 0);

} // namespace vorin::patterns
