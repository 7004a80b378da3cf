// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "cli/cliview.h"

#include "platform/gbk.h"
#include "platform/process.h"

namespace vorin::cli {

namespace {

// The columns a UTF-8 line takes on a console: two for the wide characters (CJK and the full-width forms),
// one for the others.
std::size_t columns(std::string_view utf8)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        n += length >= 3 ? 2 : 1;
        i += length;
    }
    return n;
}

} // namespace

Reporter::Reporter(std::FILE* stream, bool terminal)
    : stream_(stream)
    , terminal_(terminal)
    , escapes_(terminal && process::terminalEscapes(stream))
{
}

void Reporter::clearLine()
{
    if (!lineShown_)
        return;
    if (escapes_)
        std::fputs("\r\033[K", stream_);
    else // a console that shows escapes as they are: the line written over with blanks
        std::fprintf(stream_, "\r%s\r", std::string(lineColumns_, ' ').c_str());
    lineShown_ = false;
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
    lineColumns_ = columns(utf8Line);
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
