// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// Test entry of the Windows tests: a folder of its own for the user's files and loopback-only endpoints.
// The registry is the real one, of the private Wine prefix the tests run in.
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <winsock2.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    vorin::test::TempDir registry("registry");
    _wputenv_s(L"VORIN_REGISTRY_DIR", registry.path().c_str());
    vorin::test::TempDir endpoints("endpoints");
    _wputenv_s(L"VORIN_ENDPOINTS", vorin::test::writeLoopbackEndpoints(endpoints.path()).c_str());
    return RUN_ALL_TESTS();
}
