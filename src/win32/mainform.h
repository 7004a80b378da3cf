// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "app/frmvrdl.h"
#include "app/view.h"
#include "win32/Unpngpanel.h"
#include "win32/browserpane.h"
#include "win32/infolabel.h"
#include "win32/proxylist.h"
#include "win32/uvrpngbtn.h"
#include "win32/window.h"

#include <array>
#include <map>
#include <memory>
#include <string>

namespace vorin::win32 {

// The main window frmvrdl on Windows: the borderless 690 x 505 window (at 96 dpi; it scales with the
// monitor's resolution) with its title bar, toolbar, proxy list, browser pane and status bar at the fixed
// places of the skin. It wires each control to the controller and implements the controller's View; it
// holds no logic of its own. Main thread.
class MainForm final : public Window, public View {
public:
    MainForm(Dispatcher& dispatcher, Clock& clock, Endpoints endpoints);
    ~MainForm() override;

    // Shows the window; the start-up sequence runs as it is first shown.
    void show(int how = SW_SHOWNORMAL);
    // What the message loop asks before it translates and dispatches a message: true when a control took it
    // as a key of its own (the browser pane's).
    bool translateAccelerator(MSG& message);
    Tfrmvrdl& controller() { return *controller_; }

    // For tests and the skin: a control by its id (win32/controls.h), the list, the pane, the tooltips.
    HWND control(int id) const;
    ProxyList& list() { return *list_; }
    BrowserPane& pane() { return *pane_; }
    HWND tips() const { return tips_; }
    // A popup menu as it would open now (the caller destroys it), and what choosing an entry does.
    HMENU buildMenu(Popup popup) const;
    void command(int id);

    // View
    void setStatusText(const std::string& text) override;
    void setInfoText(const std::string& text) override;
    void setTitleText(const std::string& text) override;
    bool isChecked(MenuEntry entry) const override;
    void setChecked(MenuEntry entry, bool checked) override;
    void setEntryVisible(MenuEntry entry, bool visible) override;
    void setMenuButtonVisible(bool visible) override;
    void popupAtCursor(Popup popup) override;
    void navigate(const std::string& url, bool bypassCache) override;
    void purgeCache(const std::string& urlPart) override;
    void showOwnPage(OwnPage page, const OwnPageFields& fields) override;
    void setApplicationProxy(const ProxyEntry& proxy) override;
    void messageBox(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    void showAbout(const std::string& title, const std::string& text) override;
    void openExternal(const std::string& url) override;
    std::optional<SaveChoice> saveDialog(const std::string& filter, int filterIndex) override;
    std::optional<std::filesystem::path> openDialog() override;
    std::optional<std::string> editText(const std::string& title, const std::string& utf8Text) override;
    std::optional<JudgeChoice> judgeDialog(const JudgeChoice& current) override;
    void applyRoundOutline() override;
    void minimize() override;
    void closeWindow() override;

protected:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void build();
    // Places every control for the window's resolution.
    void layout();
    Tvrpngbtn* addButton(int id, const std::string& hint, std::function<void()> click);
    void addTip(HWND tool, const std::wstring& text);
    // The window's close handler, once: the controller stores the options (and puts the desktop back
    // when its relay is the system proxy).
    void formClose();

    // The controls outlive the controller, which may still speak while it ends; the list, which
    // observes the controller's grid, does not.
    std::map<int, std::unique_ptr<Timagepanle>> panels_;
    std::map<int, std::unique_ptr<Tvrpngbtn>> buttons_;
    std::unique_ptr<InfoLabel> info_;
    std::unique_ptr<BrowserPane> pane_;
    HWND tips_ = nullptr;
    std::array<bool, kMenuEntries> checked_{};
    std::array<bool, kMenuEntries> visible_{true, true, true, true};
    std::wstring lastFolder_; // where the file dialogs open next
    bool shown_ = false;
    bool closed_ = false;
    std::unique_ptr<Tfrmvrdl> controller_;
    std::unique_ptr<ProxyList> list_;
};

} // namespace vorin::win32
