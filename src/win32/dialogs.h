// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "app/view.h"

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>

// The window's dialogs on the system's own: message boxes, the common open and save dialogs, the settings
// (judge) dialog and the text editor. Texts come in GBK (the program's) or UTF-8 where the View says so;
// file names leave as the system gives them, UTF-16 all the way. Modal over owner; main thread.
namespace vorin::win32::dialogs {

void message(HWND owner, const std::string& title, const std::string& text);
bool askYesNo(HWND owner, const std::string& title, const std::string& text);

// "name|pattern|name|pattern..." (GBK) as the common dialogs want it: pairs ended by NULs, a NUL after all.
std::wstring filterOf(const std::string& gbkFilter);

// The common save dialog with filter, entry filterIndex (from 1) chosen; folder is where it opens and where
// the user went. No overwrite question, no default extension.
std::optional<View::SaveChoice> save(HWND owner, const std::string& filter, int filterIndex,
                                     std::wstring& folder);
// The common open dialog; an empty filter lists all files.
std::optional<std::filesystem::path> open(HWND owner, const std::string& title, const std::string& filter,
                                          std::wstring& folder);

// The editor of a file the user keeps: the edited text (UTF-8, lines ending in LF) or nothing when
// cancelled.
std::optional<std::string> editText(HWND owner, const std::string& title, const std::string& utf8Text);

// The settings dialog: the judge, the protocols, the city database, the pace, the guard and the relay.
std::optional<View::JudgeChoice> judge(HWND owner, const View::JudgeChoice& current);

// The controls of the settings dialog, for its tests.
enum JudgeControl : WORD {
    JudgeMode = 200,
    JudgeUrl,
    JudgeMarker,
    JudgeBytes,
    JudgeBytesSpin,
    JudgeHttp,
    JudgeHttps,
    JudgeSocks4,
    JudgeSocks5,
    JudgeGeoip,
    JudgeBrowse,
    JudgeFast,
    JudgeFastSpin,
    JudgeGuard,
    JudgeGuardSeconds,
    JudgeGuardSpin,
    JudgeRelay,
    JudgeRelayPort,
    JudgeRelaySpin,
    EditorText = 300,
};

} // namespace vorin::win32::dialogs
