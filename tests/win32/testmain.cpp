// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// Test entry of the Windows window's tests: OLE and the common controls as the program sets them up, a folder
// of its own for the user's files and loopback-only endpoints.
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <ole2.h>
#include <winsock2.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    OleInitialize(nullptr);
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    vorin::test::TempDir appdata("appdata");
    _wputenv_s(L"APPDATA", appdata.path().c_str());
    vorin::test::TempDir endpoints("endpoints");
    _wputenv_s(L"VORIN_ENDPOINTS", vorin::test::writeLoopbackEndpoints(endpoints.path()).c_str());
    const int status = RUN_ALL_TESTS();
    OleUninitialize();
    return status;
}
