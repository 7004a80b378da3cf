// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <cstdint>

namespace vorin {

// The millisecond tick counter and the plain sleep of a thread. Injected so that time rules (the pauses of
// the main thread, elapsed times and their 32-bit wrap-around) are tested without waiting.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary start; wraps around after about 49.7 days. Any thread.
    virtual std::uint32_t tickCount() = 0;
    // Blocks the calling thread for ms milliseconds; processes nothing meanwhile.
    virtual void sleep(std::uint32_t ms) = 0;
};

// The real clock: steady time, real sleeps.
class SystemClock final : public Clock {
public:
    std::uint32_t tickCount() override;
    void sleep(std::uint32_t ms) override;
};

} // namespace vorin
