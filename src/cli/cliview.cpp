// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "cli/cliview.h"

#include "platform/gbk.h"

namespace vorin::cli {

Reporter::Reporter(std::FILE* stream, bool terminal) : stream_(stream), terminal_(terminal) {}

void Reporter::clearLine()
{
    if (lineShown_) {
        std::fputs("\r\033[K", stream_);
        lineShown_ = false;
    }
}

void Reporter::status(const std::string& gbkText)
{
    if (terminal_) {
        lastStatus_ = gbkText; // the progress line says it meanwhile
        return;
    }
    std::fprintf(stream_, "%s\n", gbk::toUtf8(gbkText).c_str());
    std::fflush(stream_);
}

void Reporter::progress(const std::string& utf8Line)
{
    if (!terminal_)
        return;
    clearLine();
    std::fputs(utf8Line.c_str(), stream_);
    std::fflush(stream_);
    lineShown_ = true;
}

void Reporter::error(const std::string& utf8Line)
{
    clearLine();
    std::fprintf(stream_, "vorindaili-cli: %s\n", utf8Line.c_str());
    std::fflush(stream_);
}

void Reporter::note(const std::string& utf8Line)
{
    if (!terminal_)
        return;
    clearLine();
    std::fprintf(stream_, "%s\n", utf8Line.c_str());
    std::fflush(stream_);
}

void Reporter::finish()
{
    if (!terminal_)
        return;
    clearLine();
    if (!lastStatus_.empty())
        std::fprintf(stream_, "%s\n", gbk::toUtf8(lastStatus_).c_str());
    std::fflush(stream_);
    lastStatus_.clear();
}

void CliView::messageBox(const std::string& text)
{
    reporter_.error(gbk::toUtf8(text));
}

} // namespace vorin::cli
