// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// Program entry of the Windows window: OLE for the browser pane, the common controls, the main window,
// the message loop.
#include "platform/clock.h"
#include "win32/mainform.h"
#include "win32/windispatcher.h"

#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show)
{
    OleInitialize(nullptr);
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS |
                                            ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    int status = 0;
    {
        vorin::win32::WinDispatcher dispatcher;
        vorin::SystemClock clock;
        vorin::win32::MainForm form(dispatcher, clock, vorin::Endpoints::fromEnvironment());
        form.show(show);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (form.translateAccelerator(msg))
                continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        status = static_cast<int>(msg.wParam);
        // Workers still running are released from their hand-over before the form joins them.
        dispatcher.close();
    }
    OleUninitialize();
    return status;
}
