// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "app/view.h"

#include <array>
#include <cstdio>
#include <string>

namespace vorin::cli {

// Everything the command-line program says on standard error. On a terminal one progress line is
// redrawn in place; otherwise (a log file, a pipe) the window's status texts are written one per line.
// Texts from the core are GBK and leave as UTF-8. Main thread.
class Reporter {
public:
    Reporter(std::FILE* stream, bool terminal);
    bool terminal() const { return terminal_; }

    // A status text of the window (GBK).
    void status(const std::string& gbkText);
    // The progress line (UTF-8); shown on a terminal only.
    void progress(const std::string& utf8Line);
    // An error or warning (UTF-8): always shown, on a line of its own.
    void error(const std::string& utf8Line);
    // A line of the run's account (UTF-8) on a terminal, where the status texts give way to the progress
    // line; off one the status texts say it already.
    void note(const std::string& utf8Line);
    // Ends the progress line; on a terminal the last status text takes its place, so the run's summary
    // stays on the screen.
    void finish();

private:
    void clearLine();

    std::FILE* stream_;
    bool terminal_;
    bool escapes_;
    bool lineShown_ = false;
    std::size_t lineColumns_ = 0;
    std::string lastStatus_;
};

// The window, as far as a program without one needs it: status texts go to the reporter, menu marks are
// kept, message boxes become error lines, questions are answered No, dialogs are cancelled, and the browser
// pane and the window's own behaviour do nothing.
class CliView final : public View {
public:
    explicit CliView(Reporter& reporter) : reporter_(reporter) {}

    void setStatusText(const std::string& text) override { reporter_.status(text); }
    void setInfoText(const std::string& text) override { reporter_.status(text); }
    void setTitleText(const std::string&) override {}
    bool isChecked(MenuEntry entry) const override { return marks_[static_cast<std::size_t>(entry)]; }
    void setChecked(MenuEntry entry, bool checked) override
    {
        marks_[static_cast<std::size_t>(entry)] = checked;
    }
    void setEntryVisible(MenuEntry, bool) override {}
    void setMenuButtonVisible(bool) override {}
    void popupAtCursor(Popup) override {}
    void navigate(const std::string&, bool) override {}
    void purgeCache(const std::string&) override {}
    void showOwnPage(OwnPage, const OwnPageFields&) override {}
    void setApplicationProxy(const ProxyEntry&) override {}
    void messageBox(const std::string& text) override;
    bool askYesNo(const std::string&) override { return false; }
    void showAbout(const std::string&, const std::string&) override {}
    std::optional<SaveChoice> saveDialog(const std::string&, int) override { return std::nullopt; }
    std::optional<std::filesystem::path> openDialog() override { return std::nullopt; }
    std::optional<JudgeChoice> judgeDialog(const JudgeChoice&) override { return std::nullopt; }
    std::optional<std::string> editText(const std::string&, const std::string&) override
    {
        return std::nullopt;
    }
    void openExternal(const std::string&) override {}
    void applyRoundOutline() override {}
    void minimize() override {}
    void closeWindow() override {}

private:
    Reporter& reporter_;
    std::array<bool, kMenuEntries> marks_{};
};

} // namespace vorin::cli
