// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "platform/hostport.h"

#include <filesystem>
#include <optional>
#include <string>

namespace vorin {

// The entries of the source menu popsvr, in menu order (the order of the option string's characters).
enum class MenuEntry {
    Mn01, // "从国内网站下载"
    Mn02, // "从国外网站下载"
    Mn03, // "从特定网站下载"
    Mn04, // "自定义来源": the user's sources file; its mark is stored apart from the option string
};
inline constexpr int kSourceEntries = 3; // the entries the option string "downoption" holds
inline constexpr int kMenuEntries = 4;

enum class Popup {
    Popsvr, // the source choice, opened by BTN_SETUP
    Popset, // the list tools, opened by btn_menu
};

// What the controller needs of the window. The Qt main form implements it; tests use a fake. Texts are
// GBK bytes; the implementation converts them at the Qt boundary. Main thread only.
class View {
public:
    virtual ~View() = default;

    virtual void setStatusText(const std::string& text) = 0; // caption of Pan_bot
    virtual void setInfoText(const std::string& text) = 0;   // caption of Lbinfo
    virtual void setTitleText(const std::string& text) = 0;  // caption of pan_top

    virtual bool isChecked(MenuEntry entry) const = 0;
    virtual void setChecked(MenuEntry entry, bool checked) = 0;
    virtual void setEntryVisible(MenuEntry entry, bool visible) = 0;
    virtual void setMenuButtonVisible(bool visible) = 0; // btn_menu

    // Opens the popup with its top-left corner at the mouse position.
    virtual void popupAtCursor(Popup popup) = 0;
    // Sends the browser pane eweb to url; bypassCache fetches it anew whatever is cached.
    virtual void navigate(const std::string& url, bool bypassCache = false) = 0;
    // The browser pane's own pages, shown where a page cannot be loaded: the home page's (a reason), and
    // the web check's (the address the visitor is seen from and its country, with a detail line). Texts
    // are GBK.
    enum class OwnPage {
        Home,
        WebCheck,
    };
    struct OwnPageFields {
        std::string reason;
        std::string address;
        std::string country;
        std::string detail;
    };
    virtual void showOwnPage(OwnPage page, const OwnPageFields& fields) = 0;
    // Drops what the browser pane has cached for URLs containing urlPart.
    virtual void purgeCache(const std::string& urlPart) = 0;
    // The proxy (host:port) the browser pane goes through; empty means direct.
    virtual void setApplicationProxy(const ProxyEntry& proxy) = 0;

    // Dialogs: an information box, a Yes/No question (true for Yes), the About box.
    virtual void messageBox(const std::string& text) = 0;
    virtual bool askYesNo(const std::string& text) = 0;
    virtual void showAbout(const std::string& title, const std::string& text) = 0;
    // The save dialog sdlg with filter ("name|pattern|..."), preselecting entry filterIndex (from 1): the
    // chosen path and entry, or nothing when cancelled. The open dialog opdlg lists all files. Paths come
    // as the system names files (UTF-16 on Windows), never through the program's GBK texts.
    struct SaveChoice {
        std::filesystem::path path;
        int filterIndex = 1;
    };
    virtual std::optional<SaveChoice> saveDialog(const std::string& filter, int filterIndex) = 0;
    virtual std::optional<std::filesystem::path> openDialog() = 0;
    // The judge of the checks, as the settings dialog shows it: the judges list, or one page (an empty url
    // is the built-in test page, an empty marker the echo rule); with it the protocols a bare entry is
    // checked in and the city database of the offline location. The choice, or nothing when cancelled.
    struct JudgeChoice {
        bool pool = true; // the judges list; the fields below name the one judge otherwise
        std::string url;
        std::string marker; // UTF-8, as typed
        int markerBytes = 120;
        ProtocolSet protocols = bit(Protocol::Http);
        std::string geoipFile; // UTF-8 path; empty: countries only
        int fastChecks = 0;    // checks in flight; 0: one start every 120 ms
        bool guard = false;    // the proxy that stays alive
        int guardSeconds = 60; // its seconds between checks
        bool relay = false;    // 设为代理 goes through the local relay
        int relayPort = 8899;  // its port on loopback
    };
    virtual std::optional<JudgeChoice> judgeDialog(const JudgeChoice& current) = 0;
    // A text editor for a file the user keeps (UTF-8): the edited text, or nothing when cancelled.
    virtual std::optional<std::string> editText(const std::string& title, const std::string& utf8Text) = 0;
    // Opens url in the desktop's default browser.
    virtual void openExternal(const std::string& url) = 0;

    // The borderless window's own behaviour.
    virtual void applyRoundOutline() = 0;
    virtual void minimize() = 0;
    virtual void closeWindow() = 0;
};

} // namespace vorin
