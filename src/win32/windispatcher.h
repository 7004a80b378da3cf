// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "platform/dispatcher.h"

#include <windows.h>

#include <atomic>

namespace vorin::win32 {

// The main-thread hand-over on the Windows message queue: a queued call posts a message to a hidden window
// of the main thread, whose handling drains the queue, so that calls run in any message loop (the
// program's, a dialog's, a menu's). Processing pending messages also runs the windows' own. The queue
// itself stays the standard-lock one of Dispatcher, which ThreadSanitizer understands.
class WinDispatcher final : public Dispatcher {
public:
    WinDispatcher(); // on the main thread
    ~WinDispatcher() override;

    void processMessages() override;
    void waitMessages(std::chrono::milliseconds limit) override;

protected:
    void wake() override;

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Runs the window messages that are waiting; false once the program has been asked to quit (the
    // request stays queued for the program's own loop).
    bool pump();

    HWND sink_ = nullptr;
    std::atomic<bool> wakePending_{false};
};

} // namespace vorin::win32
