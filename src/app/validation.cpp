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
    run_ = std::make_shared<ValidationRun>(table_, engine_, dispatcher_, clock_, host,
                                           endpoints_.root("iplookup") + "/ip2city.asp",
                                           ValidationRun::Pacing{checkpause, checkparallel});
    auto run = run_; // a new run may take run_'s place while this one starts
    run->start();
}

void Tfrmvrdl::vailproxy()
{
    if (auto run = run_)
        run->vailproxy();
}

void Tfrmvrdl::mycomplete(TKeloInetChecker* sender, bool connected)
{
    if (auto run = run_)
        run->mycomplete(sender, connected);
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
