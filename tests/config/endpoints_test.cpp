// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "config/endpoints.h"
#include "support/fakes.h"

#include <fstream>
#include <gtest/gtest.h>

namespace vorin {
namespace {

TEST(Endpoints, OverridesReplaceRootsAndSkipNoise)
{
    Endpoints e = Endpoints::defaults();
    ASSERT_FALSE(e.root("softsite").empty());
    e.applyOverrides("# test hosts\r\n"
                     "softsite = http://127.0.0.1:8001/\r\n"
                     "\n"
                     "no equals sign here\n"
                     "=http://127.0.0.1:1\n"
                     "later=http://127.0.0.1:8002");
    EXPECT_EQ(e.root("softsite"), "http://127.0.0.1:8001");
    EXPECT_EQ(e.root("later"), "http://127.0.0.1:8002");
    EXPECT_EQ(e.root(""), "");
    EXPECT_EQ(e.root("unknown"), "");
}

TEST(Endpoints, TheTestRunPointsEveryKeyAtLoopback)
{
    // The shared test main names an endpoints file; whatever the program's table holds must be covered.
    Endpoints e = Endpoints::fromEnvironment();
    EXPECT_TRUE(e.loadError().empty());
    for (const auto& key : Endpoints::defaults().keys()) {
        if (Endpoints::defaults().root(key).rfind("http", 0) == 0) {
            EXPECT_EQ(e.root(key).rfind("http://127.0.0.1:", 0), 0u) << key;
        }
    }
}

TEST(Endpoints, AnUnreadableOverrideFileKeepsTheDefaults)
{
    Endpoints e = Endpoints::defaults();
    EXPECT_FALSE(e.applyOverrideFile("/nonexistent/endpoints.conf").ok);
    EXPECT_EQ(e.root("softsite"), Endpoints::defaults().root("softsite"));
}

} // namespace
} // namespace vorin
