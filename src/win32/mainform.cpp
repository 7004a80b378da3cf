// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "win32/mainform.h"

#include "platform/texts.h"
#include "platform/widetext.h"
#include "win32/controls.h"
#include "win32/dialogs.h"
#include "win32/urlsession.h"

#include <commctrl.h>
#include <shellapi.h>

namespace vorin::win32 {
namespace {

constexpr UINT_PTR kProgressTimer = 1;
// A fast validation run shows its verdicts and progress in batches, a few times a second; the guard and
// the relay tick with it.
constexpr UINT kProgressMilliseconds = 250;
constexpr COLORREF kInfoColour = RGB(0xff, 0x00, 0xff); // fuchsia

const ControlPlace& placeOf(int id)
{
    for (const ControlPlace& p : kPlaces) {
        if (p.id == id)
            return p;
    }
    return kPlaces[0];
}

RECT rectOf(const ControlPlace& p)
{
    return RECT{p.left, p.top, p.left + p.width, p.top + p.height};
}

std::wstring w(const std::string& gbk)
{
    return wide::fromGbk(gbk);
}

} // namespace

MainForm::MainForm(Dispatcher& dispatcher, Clock& clock, Endpoints endpoints)
{
    create(kFormClass, 0, WS_EX_APPWINDOW, WS_POPUP | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_SYSMENU,
           w(texts().layoutTitle), RECT{kFormLeft, kFormTop, kFormLeft + kFormWidth, kFormTop + kFormHeight},
           nullptr, 0);
    controller_ = std::make_unique<Tfrmvrdl>(*this, dispatcher, clock, std::move(endpoints));
    build();
    controller_->applyproxyearly();
    SetTimer(hwnd(), kProgressTimer, kProgressMilliseconds, nullptr);
}

MainForm::~MainForm()
{
    list_.reset();
    controller_.reset(); // joins the workers while the controls it may still speak to exist
}

Tvrpngbtn* MainForm::addButton(int id, const std::string& hint, std::function<void()> click)
{
    const ControlPlace& p = placeOf(id);
    auto button = std::make_unique<Tvrpngbtn>(panels_.at(p.parent)->hwnd(), id, Picture::named(p.name),
                                              POINT{p.left, p.top});
    button->Onclick = [click = std::move(click)](Tvrpngbtn*) { click(); };
    if (!hint.empty())
        addTip(button->hwnd(), w(hint));
    return (buttons_[id] = std::move(button)).get();
}

void MainForm::addTip(HWND tool, const std::wstring& text)
{
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = hwnd();
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void MainForm::build()
{
    const Texts& t = texts();
    Tfrmvrdl& c = *controller_;
    using Dock = Timagepanle::Dock;
    tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                            0, 0, 0, 0, hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, scaled(400, dpiOf(hwnd())));

    auto panel = [this](int id, Dock dock) {
        const ControlPlace& p = placeOf(id);
        const HWND parent = p.parent ? panels_.at(p.parent)->hwnd() : hwnd();
        return (panels_[id] =
                    std::make_unique<Timagepanle>(parent, id, Picture::named(p.name), dock, rectOf(p)))
            .get();
    };
    Timagepanle* top = panel(IdPanTop, Dock::Top);
    top->setCaption(w(t.layoutTitle));
    // The title bar drags the window; its buttons are windows of their own and never start a drag.
    top->onLeftDrag = [this] {
        ReleaseCapture();
        SendMessageW(hwnd(), WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
    };
    addButton(IdMinimize, {}, [&c] { c.frmminsizeExecute(); });
    addButton(IdClose, {}, [&c] { c.frmcloseExecute(); });

    panel(IdToolbar, Dock::Top);
    Tvrpngbtn* down = addButton(IdDownList, t.hintDownload, [&c] { c.btndownproxyExecute(); });
    down->OnRigthClick = [&c](Tvrpngbtn*) { c.actdownExecute(); }; // as its hint promises: download only
    addButton(IdCheck, t.hintCheck, [&c] { c.btncheckproxyExecute(); });
    addButton(IdStop, t.hintStopCheck, [&c] { c.btnstopcheckExecute(); });
    addButton(IdStartProxy, t.hintSetProxy, [&c] { c.btnsetproxyExecute(); });
    addButton(IdStopProxy, t.hintStopProxy, [&c] { c.btnstopproxyExecute(); });
    addButton(IdSetup, t.hintSettings, [&c] { c.btnsoftsetExecute(); });
    addButton(IdSave, t.hintSave, [&c] { c.btnsaveproxyExecute(); });
    addButton(IdVail, t.hintWebCheck, [&c] { c.btnwebcheckExecute(); });
    addButton(IdAbout, t.hintHome, [&c] { c.btngohomeExecute(); });
    addButton(IdMenuButton, {}, [&c] { c.btnshowmenuExecute(); });

    list_ = std::make_unique<ProxyList>(hwnd(), IdGrid, c.grid(), rectOf(placeOf(IdGrid)));

    Timagepanle* frame = panel(IdBrowserFrame, Dock::Bottom);
    frame->setCaption(w(t.panel3Caption));
    pane_ = std::make_unique<BrowserPane>(frame->hwnd(), IdBrowser, rectOf(placeOf(IdBrowser)),
                                          [&c](const std::string& url) { c.panefailed(url); });

    Timagepanle* bottom = panel(IdPanBot, Dock::Bottom);
    bottom->setCaption(w(t.statusBarCaption));
    // A long status text (a harvest's tallies) ends before the info text instead of running under it; the
    // whole of it is the panel's tooltip.
    bottom->setCaptionEnd(kStatusEnd);
    addTip(bottom->hwnd(), bottom->caption());
    const ControlPlace& info = placeOf(IdInfo);
    info_ = std::make_unique<InfoLabel>(bottom->hwnd(), IdInfo, POINT{info.left, info.top}, kInfoColour);
    setInfoText(t.infoCaption);
    layout();
}

void MainForm::layout()
{
    const int dpi = dpiOf(hwnd());
    SetWindowPos(hwnd(), nullptr, 0, 0, scaled(kFormWidth, dpi), scaled(kFormHeight, dpi),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (const ControlPlace& p : kPlaces) {
        if (auto it = panels_.find(p.id); it != panels_.end()) {
            const RECT r = scaledRect(p.left, p.top, p.width, p.height, dpi);
            SetWindowPos(it->second->hwnd(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        } else if (auto b = buttons_.find(p.id); b != buttons_.end()) {
            b->second->place(POINT{p.left, p.top});
        }
    }
    list_->place(rectOf(placeOf(IdGrid)));
    pane_->place(rectOf(placeOf(IdBrowser)));
    const ControlPlace& info = placeOf(IdInfo);
    info_->place(POINT{info.left, info.top});
    SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, scaled(400, dpi));
}

void MainForm::show(int how)
{
    ShowWindow(hwnd(), how);
    UpdateWindow(hwnd());
}

bool MainForm::translateAccelerator(MSG& message)
{
    return pane_ && pane_->translateAccelerator(message);
}

HWND MainForm::control(int id) const
{
    if (auto it = panels_.find(id); it != panels_.end())
        return it->second->hwnd();
    if (auto it = buttons_.find(id); it != buttons_.end())
        return it->second->hwnd();
    switch (id) {
    case IdGrid:
        return list_->hwnd();
    case IdBrowser:
        return pane_->hwnd();
    case IdInfo:
        return info_->hwnd();
    default:
        return nullptr;
    }
}

HMENU MainForm::buildMenu(Popup popup) const
{
    const Texts& t = texts();
    const HMENU menu = CreatePopupMenu();
    auto item = [](HMENU m, int id, const std::string& text, bool checked = false) {
        AppendMenuW(m, MF_STRING | (checked ? MF_CHECKED : MF_UNCHECKED), static_cast<UINT_PTR>(id),
                    w(text).c_str());
    };
    if (popup == Popup::Popsvr) {
        // Windows' menus cannot hide an entry: the menu is made as it is to be shown.
        const std::string* captions[] = {&t.mn01, &t.mn02, &t.mn03, &t.mn04};
        for (int i = 0; i < kMenuEntries; ++i) {
            if (visible_[static_cast<std::size_t>(i)])
                item(menu, CmdMn01 + i, *captions[i], checked_[static_cast<std::size_t>(i)]);
        }
        return menu;
    }
    item(menu, CmdGetCity, t.menuGetCity);
    const HMENU sort = CreatePopupMenu();
    item(sort, CmdSortLocation, t.menuSortLocation);
    item(sort, CmdSortSpeed, t.menuSortSpeed);
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sort), w(t.menuSort).c_str());
    item(menu, CmdDelete, t.menuDelete);
    item(menu, CmdImport, t.menuImport);
    // Added after the original entries.
    item(menu, CmdEditSources, t.menuEditSources);
    item(menu, CmdJudge, t.menuJudge);
    item(menu, CmdOffline, t.menuOffline);
    item(menu, CmdEditJudges, t.menuEditJudges);
    return menu;
}

void MainForm::command(int id)
{
    Tfrmvrdl& c = *controller_;
    switch (id) {
    case CmdMn01:
    case CmdMn02:
    case CmdMn03:
    case CmdMn04:
        c.mn01Click(static_cast<MenuEntry>(id - CmdMn01));
        break;
    case CmdGetCity:
        c.mngetcityExecute();
        break;
    case CmdSortLocation:
        c.mnsortExecute(1);
        break;
    case CmdSortSpeed:
        c.mnsortExecute(2);
        break;
    case CmdDelete:
        c.mndellistExecute();
        break;
    case CmdImport:
        c.mnimportExecute();
        break;
    case CmdEditSources:
        c.mneditsourcesExecute();
        break;
    case CmdJudge:
        c.mnjudgeExecute();
        break;
    case CmdOffline:
        c.mnofflinecityExecute();
        break;
    case CmdEditJudges:
        c.mneditjudgesExecute();
        break;
    default:
        break;
    }
}

void MainForm::setStatusText(const std::string& text)
{
    Timagepanle& bottom = *panels_.at(IdPanBot);
    bottom.setCaption(w(text));
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = hwnd();
    info.uId = reinterpret_cast<UINT_PTR>(bottom.hwnd());
    info.lpszText = const_cast<wchar_t*>(bottom.caption().c_str());
    if (tips_ && bottom.hwnd())
        SendMessageW(tips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

void MainForm::setInfoText(const std::string& text)
{
    info_->setText(w(text));
}

void MainForm::setTitleText(const std::string& text)
{
    panels_.at(IdPanTop)->setCaption(w(text));
    if (hwnd())
        SetWindowTextW(hwnd(), w(text).c_str()); // the taskbar's name of the window
}

bool MainForm::isChecked(MenuEntry entry) const
{
    return checked_[static_cast<std::size_t>(entry)];
}

void MainForm::setChecked(MenuEntry entry, bool checked)
{
    checked_[static_cast<std::size_t>(entry)] = checked;
}

void MainForm::setEntryVisible(MenuEntry entry, bool visible)
{
    visible_[static_cast<std::size_t>(entry)] = visible;
}

void MainForm::setMenuButtonVisible(bool visible)
{
    if (const HWND button = control(IdMenuButton))
        ShowWindow(button, visible ? SW_SHOW : SW_HIDE);
}

void MainForm::popupAtCursor(Popup popup)
{
    const HMENU menu = buildMenu(popup);
    POINT at{};
    GetCursorPos(&at);
    SetForegroundWindow(hwnd()); // so that the menu closes when the user clicks elsewhere
    const int chosen = static_cast<int>(TrackPopupMenuEx(
        menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, hwnd(), nullptr));
    DestroyMenu(menu);
    if (chosen != 0)
        command(chosen);
}

void MainForm::navigate(const std::string& url, bool bypassCache)
{
    pane_->navigate(url, bypassCache);
}

void MainForm::purgeCache(const std::string& urlPart)
{
    urlsession::purge(w(urlPart));
}

void MainForm::showOwnPage(OwnPage page, const OwnPageFields& fields)
{
    pane_->showOwnPage(page, fields);
}

void MainForm::setApplicationProxy(const ProxyEntry& proxy)
{
    urlsession::setProxy(proxy);
}

void MainForm::messageBox(const std::string& text)
{
    dialogs::message(hwnd(), texts().title, text);
}

bool MainForm::askYesNo(const std::string& text)
{
    return dialogs::askYesNo(hwnd(), texts().title, text);
}

void MainForm::showAbout(const std::string& title, const std::string& text)
{
    ShellAboutW(hwnd(), w(title).c_str(), w(text).c_str(),
                LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1)));
}

void MainForm::openExternal(const std::string& url)
{
    ShellExecuteW(hwnd(), L"open", w(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

std::optional<View::SaveChoice> MainForm::saveDialog(const std::string& filter, int filterIndex)
{
    return dialogs::save(hwnd(), filter, filterIndex, lastFolder_);
}

std::optional<std::filesystem::path> MainForm::openDialog()
{
    return dialogs::open(hwnd(), std::string(), std::string(), lastFolder_);
}

std::optional<std::string> MainForm::editText(const std::string& title, const std::string& utf8Text)
{
    return dialogs::editText(hwnd(), title, utf8Text);
}

std::optional<View::JudgeChoice> MainForm::judgeDialog(const JudgeChoice& current)
{
    return dialogs::judge(hwnd(), current);
}

void MainForm::applyRoundOutline()
{
    // A rectangle with corners cut by a 16 x 16 ellipse, united with the lowest 20 rows so that only the
    // top corners stay round. (A rounded region leaves out its right and bottom edge: one more each.)
    const int dpi = dpiOf(hwnd());
    const int width = scaled(kFormWidth, dpi);
    const int height = scaled(kFormHeight, dpi);
    const int corner = scaled(16, dpi);
    const HRGN outline = CreateRoundRectRgn(0, 0, width + 1, height + 1, corner, corner);
    const HRGN bottom = CreateRectRgn(0, height - scaled(20, dpi), width, height);
    CombineRgn(outline, outline, bottom, RGN_OR);
    DeleteObject(bottom);
    SetWindowRgn(hwnd(), outline, TRUE); // the system owns the region from here on
}

void MainForm::minimize()
{
    ShowWindow(hwnd(), SW_MINIMIZE);
}

void MainForm::closeWindow()
{
    if (hwnd())
        SendMessageW(hwnd(), WM_CLOSE, 0, 0);
}

void MainForm::formClose()
{
    if (std::exchange(closed_, true))
        return;
    controller_->FormClose();
}

LRESULT MainForm::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SHOWWINDOW:
        // The start-up sequence, when the window is first shown and before it appears.
        if (wParam && !std::exchange(shown_, true))
            controller_->frmshowExecute();
        return 0;
    case WM_TIMER:
        if (wParam == kProgressTimer && !closed_) {
            controller_->showprogress();
            controller_->guardtick();
        }
        return 0;
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (list_ && list_->notify(*reinterpret_cast<const NMHDR*>(lParam), result))
            return result;
        return Window::handle(message, wParam, lParam);
    }
    case WM_SETFOCUS:
        // The keys go to the list, as in the window of the layout (the grid takes the focus first).
        if (list_ && list_->hwnd())
            SetFocus(list_->hwnd());
        return 0;
    case WM_ERASEBKGND: {
        RECT client{};
        GetClientRect(hwnd(), &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_CLOSE:
        formClose();
        DestroyWindow(hwnd());
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        // Log-off or shut-down ends the program without a close: the desktop gets its settings back now.
        if (wParam)
            formClose();
        return 0;
    case WM_DPICHANGED: {
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        layout();
        applyRoundOutline();
        RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_ERASE);
        return 0;
    }
    case WM_DESTROY:
        KillTimer(hwnd(), kProgressTimer);
        PostQuitMessage(0);
        return 0;
    default:
        return Window::handle(message, wParam, lParam);
    }
}

} // namespace vorin::win32
