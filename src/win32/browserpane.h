// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "app/view.h"
#include "win32/window.h"

#include <functional>
#include <memory>
#include <string>

struct IWebBrowser2;
struct IOleObject;

namespace vorin::win32 {

// The browser pane eweb: the system's WebBrowser control (IE11 document mode for this program, no border,
// no scroll bars), or, where it cannot be made or has no engine to draw with (Wine without its Gecko), the
// program's own pages drawn here. A page that cannot be loaded is reported through failed (on the window
// thread, after the control's event has returned); links leave the pane for the default browser. Main
// thread, which has initialised OLE.
class BrowserPane final : public PaintedWindow {
public:
    using Failed = std::function<void(const std::string& url)>;

    // place: at 96 dpi within the parent.
    BrowserPane(HWND parent, int id, const RECT& place, Failed failed);
    ~BrowserPane() override;

    void place(const RECT& place);
    // Whether the system's control shows the pages (false: the program's own pages only).
    bool hasEngine() const { return browser_ != nullptr; }

    // Loads url; bypassCache fetches it anew. Without the control the load fails at once (reported after
    // this call has returned).
    void navigate(const std::string& url, bool bypassCache);
    // Shows one of the program's own pages in place of what was asked for (texts GBK).
    void showOwnPage(View::OwnPage page, const View::OwnPageFields& fields);
    // Gives the control a key meant for it (Tab, the arrows, Ctrl+C in a page): true when it took it. For the
    // message loop, before the message is translated and dispatched.
    bool translateAccelerator(MSG& message);
    // The URL last asked for, and whether an own page is shown.
    const std::string& requested() const { return requested_; }
    bool showingOwnPage() const { return ownPage_; }

    class Site; // the control's OLE site and its event sink

protected:
    // The program's own page, or the page's background while the control shows the page.
    void paint(HDC dc) const override;
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    friend class Site;
    bool embed();
    void unembed();
    void resizeControl();
    void showControl(bool show);
    void reportFailure(const std::string& url);
    // The control's events (from Site).
    bool allowNavigation(bool topLevel, const std::wstring& url);
    void navigationFailed(bool topLevel, const std::wstring& url);
    void navigationDone(bool topLevel);
    void openOutside(const std::wstring& url);

    Failed failed_;
    Site* site_ = nullptr;
    IOleObject* ole_ = nullptr;
    IWebBrowser2* browser_ = nullptr;
    unsigned long cookie_ = 0;
    bool expecting_ = false; // a navigation of ours is under way: the next top-level one is it
    std::string requested_;
    std::string pendingFailure_;
    bool ownPage_ = false;
    View::OwnPage page_ = View::OwnPage::Home;
    View::OwnPageFields fields_; // GBK, as given; converted when drawn
};

} // namespace vorin::win32
