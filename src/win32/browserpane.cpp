// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "win32/browserpane.h"

#include "platform/registry.h"
#include "platform/texts.h"
#include "platform/widetext.h"
#include "win32/skin.h"

#include <exdisp.h>
#include <exdispid.h>
#include <mshtmhst.h>
#include <mshtml.h>
#include <ole2.h>
#include <shellapi.h>

#include <atomic>
#include <filesystem>

namespace vorin::win32 {
namespace {

// The pane's own messages: a failure of the control, reported once its event has returned.
constexpr UINT kReportFailure = WM_APP + 1;

// The document mode of the system's control for this program: IE11's, not IE7's default for embedded
// controls (a value of the current user's, beside the program's own).
constexpr const char* kEmulationKey =
    "Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION";
constexpr std::uint32_t kIe11Mode = 11001;

// The own pages' look: the colours and sizes of the program's pages (pixels at 96 dpi).
constexpr COLORREF kPageBackground = RGB(0xf4, 0xf8, 0xfc);
constexpr COLORREF kPageText = RGB(0x22, 0x33, 0x44);
constexpr COLORREF kPageHeading = RGB(0x1d, 0x5f, 0xa8);
constexpr COLORREF kPageValue = RGB(0xc0, 0x39, 0x2b);
constexpr int kPageTextPixels = 13;
constexpr int kPageHeadingPixels = 15;

// The engine's HTML document (mshtml), which mingw's uuid library does not carry.
constexpr GUID kHtmlDocument{0x25336920, 0x03f9, 0x11cf, {0x8f, 0xd0, 0x00, 0xaa, 0x00, 0x68, 0x6f, 0x13}};

std::wstring bstrOf(const VARIANT& v)
{
    const VARIANT* value = (v.vt == (VT_BYREF | VT_VARIANT)) ? v.pvarVal : &v;
    return value && value->vt == VT_BSTR && value->bstrVal ? std::wstring(value->bstrVal) : std::wstring();
}

void cancel(const VARIANT& v)
{
    if (v.vt == (VT_BYREF | VT_BOOL) && v.pboolVal)
        *v.pboolVal = VARIANT_TRUE;
}

} // namespace

// The control's container: its client site, in-place site and frame, its host UI handler (no border, no
// scroll bars) and the sink of its events. Reference counted as COM wants; the pane holds one reference and
// cuts the tie before it goes.
class BrowserPane::Site final : public IOleClientSite,
                                public IOleInPlaceSite,
                                public IOleInPlaceFrame,
                                public IDocHostUIHandler,
                                public IDispatch {
public:
    explicit Site(BrowserPane* pane) : pane_(pane) {}
    void detach() { pane_ = nullptr; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IOleClientSite)
            *out = static_cast<IOleClientSite*>(this);
        else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
            *out = static_cast<IOleInPlaceSite*>(this);
        else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
            *out = static_cast<IOleInPlaceFrame*>(this);
        else if (iid == IID_IDocHostUIHandler)
            *out = static_cast<IDocHostUIHandler*>(this);
        else if (iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2)
            *out = static_cast<IDispatch*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer** container) override
    {
        *container = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(WINBOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow, for both the in-place site and the frame
    STDMETHODIMP GetWindow(HWND* window) override
    {
        *window = pane_ ? pane_->hwnd() : nullptr;
        return *window ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(WINBOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO info) override
    {
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        *document = nullptr;
        if (pane_ && pane_->hwnd()) {
            GetClientRect(pane_->hwnd(), position);
            *clip = *position;
        }
        info->fMDIApp = FALSE;
        info->hwndFrame = pane_ && pane_->hwnd() ? GetAncestor(pane_->hwnd(), GA_ROOT) : nullptr;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(WINBOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleInPlaceUIWindow and IOleInPlaceFrame: the pane has no menus, tool space or accelerators to share.
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(WINBOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IDocHostUIHandler
    STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_FALSE; }
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override
    {
        // No 3D border, no scroll bars; form auto-complete and the system's visual themes on.
        info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_SCROLL_NO |
                        DOCHOSTUIFLAG_ENABLE_FORMS_AUTOCOMPLETE | DOCHOSTUIFLAG_THEME |
                        DOCHOSTUIFLAG_DPI_AWARE;
        info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
        return S_OK;
    }
    STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                        IOleInPlaceUIWindow*) override
    {
        return S_OK;
    }
    STDMETHODIMP HideUI() override { return S_OK; }
    STDMETHODIMP UpdateUI() override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(WINBOOL) override { return S_OK; }
    STDMETHODIMP OnFrameWindowActivate(WINBOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, WINBOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD) override
    {
        *key = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget** target) override
    {
        *target = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetExternal(IDispatch** external) override
    {
        *external = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* out) override
    {
        *out = nullptr;
        return S_FALSE;
    }
    STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** out) override
    {
        *out = nullptr;
        return S_FALSE;
    }

    // IDispatch: the control's events (DWebBrowserEvents2). Arguments arrive last first.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                        UINT*) override
    {
        if (!pane_ || !params)
            return S_OK;
        const VARIANT* a = params->rgvarg;
        const UINT n = params->cArgs;
        switch (id) {
        case DISPID_BEFORENAVIGATE2: // pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel
            if (n == 7 && !pane_->allowNavigation(isTopLevel(a[6]), bstrOf(a[5])))
                cancel(a[0]);
            break;
        case DISPID_NAVIGATEERROR: // pDisp, URL, Frame, StatusCode, Cancel
            if (n == 5 && isTopLevel(a[4])) {
                cancel(a[0]); // not the control's own error page
                pane_->navigationFailed(true, bstrOf(a[3]));
            }
            break;
        case DISPID_NAVIGATECOMPLETE2: // pDisp, URL
            if (n == 2)
                pane_->navigationDone(isTopLevel(a[1]));
            break;
        case DISPID_NEWWINDOW3: // ppDisp, Cancel, dwFlags, bstrUrlContext, bstrUrl
            if (n == 5) {
                cancel(a[3]);
                pane_->openOutside(bstrOf(a[0]));
            }
            break;
        default:
            break;
        }
        return S_OK;
    }

private:
    ~Site() = default;

    bool isTopLevel(const VARIANT& v) const
    {
        if (!pane_ || !pane_->browser_ || v.vt != VT_DISPATCH || !v.pdispVal)
            return false;
        IUnknown* event = nullptr;
        IUnknown* ours = nullptr;
        v.pdispVal->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&event));
        pane_->browser_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&ours));
        const bool same = event && event == ours;
        if (event)
            event->Release();
        if (ours)
            ours->Release();
        return same;
    }

    BrowserPane* pane_;
    std::atomic<ULONG> references_{1};
};

BrowserPane::BrowserPane(HWND parent, int id, const RECT& at, Failed failed) : failed_(std::move(failed))
{
    create(L"VorinPane", 0, 0, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, std::wstring(),
           RECT{0, 0, 1, 1}, parent, id);
    place(at);
    if (!embed())
        unembed();
}

BrowserPane::~BrowserPane()
{
    unembed();
}

void BrowserPane::place(const RECT& at)
{
    if (!hwnd())
        return;
    const RECT r = scaledRect(at.left, at.top, at.right - at.left, at.bottom - at.top, dpiOf(hwnd()));
    SetWindowPos(hwnd(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    resizeControl();
}

bool BrowserPane::embed()
{
    // IE11's document mode for this executable, set before the control is made.
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    (void)registry::Key::open(registry::Hive::CurrentUser, kEmulationKey)
        .writeDword(wide::toGbk(std::filesystem::path(exe).filename().wstring()), kIe11Mode);
    // A control without an engine (Wine without its Gecko) is made but draws nothing: the engine's own
    // document is asked for first.
    IUnknown* document = nullptr;
    if (FAILED(CoCreateInstance(kHtmlDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(&document))))
        return false;
    document->Release();
    if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                reinterpret_cast<void**>(&ole_))))
        return false;
    site_ = new Site(this);
    if (FAILED(ole_->SetClientSite(site_)))
        return false;
    OleSetContainedObject(ole_, TRUE);
    RECT client{};
    GetClientRect(hwnd(), &client);
    if (FAILED(ole_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_, 0, hwnd(), &client)))
        return false;
    if (FAILED(ole_->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser_))))
        return false;
    browser_->put_Silent(VARIANT_TRUE); // no script error boxes
    IConnectionPointContainer* container = nullptr;
    if (SUCCEEDED(
            browser_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)))) {
        IConnectionPoint* point = nullptr;
        if (SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, &point))) {
            point->Advise(static_cast<IDispatch*>(site_), &cookie_);
            point->Release();
        }
        container->Release();
    }
    resizeControl();
    return true;
}

void BrowserPane::unembed()
{
    if (browser_) {
        IConnectionPointContainer* container = nullptr;
        if (cookie_ && SUCCEEDED(browser_->QueryInterface(IID_IConnectionPointContainer,
                                                          reinterpret_cast<void**>(&container)))) {
            IConnectionPoint* point = nullptr;
            if (SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, &point))) {
                point->Unadvise(cookie_);
                point->Release();
            }
            container->Release();
        }
        cookie_ = 0;
        browser_->Stop();
        browser_->Release();
        browser_ = nullptr;
    }
    if (ole_) {
        ole_->Close(OLECLOSE_NOSAVE);
        ole_->SetClientSite(nullptr);
        ole_->Release();
        ole_ = nullptr;
    }
    if (site_) {
        site_->detach();
        site_->Release();
        site_ = nullptr;
    }
}

void BrowserPane::resizeControl()
{
    if (!ole_ || !hwnd())
        return;
    RECT client{};
    GetClientRect(hwnd(), &client);
    IOleInPlaceObject* inPlace = nullptr;
    if (SUCCEEDED(ole_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)))) {
        inPlace->SetObjectRects(&client, &client);
        inPlace->Release();
    }
}

void BrowserPane::showControl(bool show)
{
    if (!ole_)
        return;
    IOleWindow* window = nullptr;
    HWND control = nullptr;
    if (SUCCEEDED(ole_->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window)))) {
        window->GetWindow(&control);
        window->Release();
    }
    if (control)
        ShowWindow(control, show ? SW_SHOW : SW_HIDE);
}

void BrowserPane::navigate(const std::string& url, bool bypassCache)
{
    requested_ = url;
    if (!browser_) {
        reportFailure(url);
        return;
    }
    ownPage_ = false;
    showControl(true);
    expecting_ = true;
    const std::wstring address = wide::fromGbk(url);
    VARIANT target;
    VariantInit(&target);
    target.vt = VT_BSTR;
    target.bstrVal = SysAllocString(address.c_str());
    VARIANT flags;
    VariantInit(&flags);
    flags.vt = VT_I4;
    flags.lVal = navNoHistory | (bypassCache ? navNoReadFromCache | navNoWriteToCache : 0);
    if (FAILED(browser_->Navigate2(&target, &flags, nullptr, nullptr, nullptr))) {
        expecting_ = false;
        reportFailure(url);
    }
    VariantClear(&target);
}

bool BrowserPane::translateAccelerator(MSG& message)
{
    if (!browser_ || message.message < WM_KEYFIRST || message.message > WM_KEYLAST || !hwnd() ||
        !IsChild(hwnd(), message.hwnd))
        return false;
    IOleInPlaceActiveObject* active = nullptr;
    if (FAILED(browser_->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void**>(&active))))
        return false;
    const bool taken = active->TranslateAccelerator(&message) == S_OK;
    active->Release();
    return taken;
}

void BrowserPane::reportFailure(const std::string& url)
{
    // Reported from the window's own queue, not from inside the caller or the control's event.
    pendingFailure_ = url;
    if (hwnd())
        PostMessageW(hwnd(), kReportFailure, 0, 0);
}

bool BrowserPane::allowNavigation(bool topLevel, const std::wstring& url)
{
    // The pane shows the pages the program sends it to; a link the user follows opens outside.
    if (!topLevel || expecting_)
        return true;
    openOutside(url);
    return false;
}

void BrowserPane::navigationFailed(bool topLevel, const std::wstring&)
{
    if (!topLevel)
        return;
    expecting_ = false;
    reportFailure(requested_);
}

void BrowserPane::navigationDone(bool topLevel)
{
    if (topLevel)
        expecting_ = false;
}

void BrowserPane::openOutside(const std::wstring& url)
{
    if (url.rfind(L"http://", 0) == 0 || url.rfind(L"https://", 0) == 0)
        ShellExecuteW(GetAncestor(hwnd(), GA_ROOT), L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void BrowserPane::showOwnPage(View::OwnPage page, const View::OwnPageFields& fields)
{
    ownPage_ = true;
    page_ = page;
    fields_ = fields;
    showControl(false);
    if (hwnd())
        InvalidateRect(hwnd(), nullptr, FALSE);
}

void BrowserPane::paint(HDC dc) const
{
    RECT client{};
    GetClientRect(hwnd(), &client);
    const HBRUSH background = CreateSolidBrush(kPageBackground);
    FillRect(dc, &client, background);
    DeleteObject(background);
    if (!ownPage_)
        return;
    const int dpi = dpiOf(hwnd());
    const Texts& t = texts();
    SetBkMode(dc, TRANSPARENT);
    RECT area{client.left + scaled(22, dpi), client.top + scaled(14, dpi), client.right - scaled(22, dpi),
              client.bottom};
    // One paragraph: its text wrapped within the area, which moves below it.
    auto paragraph = [&](const std::wstring& text, HFONT font, COLORREF colour, int after) {
        const HGDIOBJ previous = SelectObject(dc, font);
        SetTextColor(dc, colour);
        RECT box = area;
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
                  DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, DT_WORDBREAK | DT_NOPREFIX);
        area.top += box.bottom - box.top + scaled(after, dpi);
        SelectObject(dc, previous);
    };
    const HFONT text = programFont(kPageTextPixels, dpi);
    const HFONT heading = programFont(kPageHeadingPixels, dpi, true);
    if (page_ == View::OwnPage::Home) {
        paragraph(wide::fromGbk(t.pageHomeHeading), heading, kPageHeading, 8);
        paragraph(wide::fromGbk(fields_.reason), text, kPageText, 4);
        paragraph(wide::fromGbk(t.pageHomeHint), text, kPageText, 4);
        return;
    }
    paragraph(wide::fromGbk(t.pageCheckHeading), heading, kPageHeading, 8);
    // "address label" value "　country label" value, the values in bold red, on one line.
    const std::pair<std::wstring, bool> runs[] = {
        {wide::fromGbk(t.pageCheckAddress), false},
        {wide::fromGbk(fields_.address), true},
        {L"\u3000" + wide::fromGbk(t.pageCheckCountry), false},
        {wide::fromGbk(fields_.country), true},
    };
    int x = area.left;
    int lineHeight = 0;
    for (const auto& [run, value] : runs) {
        const HGDIOBJ previous = SelectObject(dc, value ? programFont(kPageTextPixels, dpi, true) : text);
        SetTextColor(dc, value ? kPageValue : kPageText);
        SIZE size{};
        GetTextExtentPoint32W(dc, run.c_str(), static_cast<int>(run.size()), &size);
        TextOutW(dc, x, area.top, run.c_str(), static_cast<int>(run.size()));
        x += size.cx;
        lineHeight = std::max(lineHeight, static_cast<int>(size.cy));
        SelectObject(dc, previous);
    }
    area.top += lineHeight + scaled(4, dpi);
    paragraph(wide::fromGbk(fields_.detail), text, kPageText, 4);
}

LRESULT BrowserPane::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        resizeControl();
        return 0;
    case WM_DESTROY:
        unembed(); // while the control's window, a child of the pane's, still exists
        return 0;
    case kReportFailure:
        if (failed_ && !pendingFailure_.empty())
            failed_(std::exchange(pendingFailure_, std::string()));
        return 0;
    default:
        return PaintedWindow::handle(message, wParam, lParam);
    }
}

} // namespace vorin::win32
