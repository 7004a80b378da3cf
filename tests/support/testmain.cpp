// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// Test entry shared by the core test programs: every run gets a registry folder of its own, keeps
// GSettings in memory and points every endpoint at a closed loopback port, so no test can touch the
// user's settings or the network.
#include "support/fakes.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // GSettings stays in memory, and the desktop's proxy settings are left alone unless a test asks.
    setenv("GSETTINGS_BACKEND", "memory", 1);
    setenv("VORIN_DESKTOP_PROXY", "0", 1);
    vorin::test::TempDir registry("registry");
    setenv("VORIN_REGISTRY_DIR", registry.path().c_str(), 1);
    vorin::test::TempDir endpoints("endpoints");
    setenv("VORIN_ENDPOINTS", vorin::test::writeLoopbackEndpoints(endpoints.path()).c_str(), 1);
    return RUN_ALL_TESTS();
}
