// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "platform/dispatcher.h"

#include <QObject>
#include <atomic>

namespace vorin {

// The main-thread hand-over on Qt's event loop: a queued call wakes the loop, which drains the queue;
// processing pending messages also runs the window's events. The queue itself stays the standard-lock one
// of Dispatcher, so what crosses threads is visible to ThreadSanitizer.
class QtDispatcher final : public Dispatcher {
public:
    QtDispatcher();
    ~QtDispatcher() override;
    void processMessages() override;
    void waitMessages(std::chrono::milliseconds limit) override;

protected:
    void wake() override;

private:
    QObject context_;
    std::atomic<bool> wakePending_{false};
};

} // namespace vorin
