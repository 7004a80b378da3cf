// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The check and stop buttons: the controller holds one validation run at a time and answers its host
// calls; the run itself (checks, pacing, verdicts, purge) is ValidationRun's.
#include "app/frmvrdl.h"
#include "platform/texts.h"

namespace vorin {

void Tfrmvrdl::btncheckproxyExecute()
{
    if (busy || importing_)
        return;
    busy = true;
    // Checks of an earlier run that are still out would land in this run's count and could end it early;
    // they are dropped before it starts.
    if (run_)
        run_->cancel();
    ValidationRun::Host& host = *this;
    run_ = std::make_shared<ValidationRun>(table_, engine_, dispatcher_, clock_, host, judgepool(),
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

void Tfrmvrdl::setfastchecks(int inFlight)
{
    checkpause = inFlight > 0 ? 0 : 120;
    checkparallel = inFlight > 0 ? inFlight : 0;
}

void Tfrmvrdl::showprogress()
{
    if (!run_ || run_->checkdone() || !run_->fast())
        return;
    if (run_->takeChanged())
        grid_.rowsChanged();
    const ValidationRun::Progress& p = run_->progress();
    const Texts& t = texts();
    std::string text = t.progressDone + std::to_string(p.completed) + " / " + std::to_string(p.planned) +
                       t.progressValid + std::to_string(p.valid);
    if (run_->capped())
        text += t.progressCapped + std::to_string(run_->limit()) + t.checkCappedEnd;
    view_.setStatusText(text);
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
