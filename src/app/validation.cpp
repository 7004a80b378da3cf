// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The check and stop buttons: the controller holds one validation run at a time and answers its host
// calls; the run itself (checks, pacing, verdicts, purge) is ValidationRun's.
#include "app/frmvrdl.h"

namespace vorin {

void Tfrmvrdl::btncheckproxyExecute()
{
    if (busy)
        return;
    busy = true;
    // Checks of an earlier run that are still out would land in this run's count and could end it early;
    // they are dropped before it starts.
    if (run_)
        run_->cancel();
    ValidationRun::Host& host = *this;
    run_ = std::make_shared<ValidationRun>(table_, engine_, dispatcher_, clock_, host, judge,
                                           ValidationRun::Pacing{checkpause, checkparallel}, checkprotocols);
    run_->start(); // the run keeps itself alive should a new one take its place meanwhile
}

void Tfrmvrdl::vailproxy()
{
    if (run_)
        run_->vailproxy();
}

void Tfrmvrdl::mycomplete(TKeloInetChecker* sender, bool connected)
{
    if (run_)
        run_->mycomplete(sender, connected);
}

void Tfrmvrdl::btnstopcheckExecute()
{
    if (busy && run_)
        run_->stop();
}

void Tfrmvrdl::endrunquietly()
{
    if (!run_ || run_->checkdone())
        return;
    run_->cancel();
    busy = false;
}

void Tfrmvrdl::verdictShown()
{
    grid_.rowsChanged();
}

void Tfrmvrdl::runEnding()
{
    busy = false;
}

void Tfrmvrdl::runEnded()
{
    autocheck = false;
}

} // namespace vorin
