// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "qtloop/qtdispatcher.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>

namespace vorin {

QtDispatcher::QtDispatcher() = default;

QtDispatcher::~QtDispatcher()
{
    close();
}

void QtDispatcher::wake()
{
    // One wake-up at a time is enough: the drain runs everything queued until then and after.
    if (wakePending_.exchange(true))
        return;
    QMetaObject::invokeMethod(
        &context_,
        [this] {
            wakePending_.store(false);
            drain();
        },
        Qt::QueuedConnection);
}

void QtDispatcher::processMessages()
{
    drain();
    QCoreApplication::processEvents();
    drain();
}

void QtDispatcher::waitMessages(std::chrono::milliseconds limit)
{
    drain();
    // A queued call wakes the loop through wake(); the timer bounds the wait when nothing comes.
    QTimer timer;
    timer.setSingleShot(true);
    timer.start(limit);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    drain();
}

} // namespace vorin
