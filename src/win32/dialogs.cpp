// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "win32/dialogs.h"

#include "platform/hostport.h"
#include "platform/texts.h"
#include "platform/widetext.h"
#include "win32/dialogtemplate.h"
#include "win32/window.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <array>
#include <cwctype>

namespace vorin::win32::dialogs {
namespace {

constexpr WORD kDialogPoints = 9;

std::wstring w(const std::string& gbk)
{
    return wide::fromGbk(gbk);
}

std::wstring itemText(HWND dialog, int id)
{
    return windowText(GetDlgItem(dialog, id));
}

std::wstring trimmed(std::wstring s)
{
    const auto blank = [](wchar_t c) { return c <= L' ' || c == L'\u3000'; };
    while (!s.empty() && blank(s.back()))
        s.pop_back();
    s.erase(s.begin(), std::find_if_not(s.begin(), s.end(), blank));
    return s;
}

// A whole number from an edit box, held to [low, high] as a spin box would: what is no number is low.
int numberIn(HWND dialog, int id, int low, int high)
{
    const std::wstring text = trimmed(itemText(dialog, id));
    long long value = low;
    if (!text.empty() &&
        std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
        value = text.size() > 12 ? high : std::stoll(text);
    return static_cast<int>(std::clamp<long long>(value, low, high));
}

void spin(HWND dialog, int id, int low, int high, int value)
{
    SendDlgItemMessageW(dialog, id, UDM_SETRANGE32, static_cast<WPARAM>(low), static_cast<LPARAM>(high));
    SendDlgItemMessageW(dialog, id, UDM_SETPOS32, 0, static_cast<LPARAM>(value));
}

void addTip(HWND dialog, HWND tips, int id, const std::wstring& text)
{
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, id));
    tool.lpszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

struct JudgeState {
    View::JudgeChoice current;
    std::optional<View::JudgeChoice> chosen;
    std::wstring folder;
};

constexpr std::array<std::pair<Protocol, WORD>, 4> kProtocolBoxes{{
    {Protocol::Http, JudgeHttp},
    {Protocol::Https, JudgeHttps},
    {Protocol::Socks4, JudgeSocks4},
    {Protocol::Socks5, JudgeSocks5},
}};

void enableSingle(HWND dialog)
{
    const bool single = SendDlgItemMessageW(dialog, JudgeMode, CB_GETCURSEL, 0, 0) == 1;
    for (int id : {JudgeUrl, JudgeMarker, JudgeBytes, JudgeBytesSpin})
        EnableWindow(GetDlgItem(dialog, id), single);
}

void initJudge(HWND dialog, const JudgeState& state)
{
    const Texts& t = texts();
    const View::JudgeChoice& c = state.current;
    SendDlgItemMessageW(dialog, JudgeMode, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(w(t.dlgJudgePool).c_str()));
    SendDlgItemMessageW(dialog, JudgeMode, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(w(t.dlgJudgeSingle).c_str()));
    SendDlgItemMessageW(dialog, JudgeMode, CB_SETCURSEL, c.pool ? 0 : 1, 0);
    SetDlgItemTextW(dialog, JudgeUrl, wide::fromUtf8(c.url).c_str());
    SetDlgItemTextW(dialog, JudgeMarker, wide::fromUtf8(c.marker).c_str());
    SetDlgItemTextW(dialog, JudgeGeoip, wide::fromUtf8(c.geoipFile).c_str());
    SendDlgItemMessageW(dialog, JudgeUrl, EM_SETCUEBANNER, TRUE,
                        reinterpret_cast<LPARAM>(w(t.dlgUrlHint).c_str()));
    SendDlgItemMessageW(dialog, JudgeMarker, EM_SETCUEBANNER, TRUE,
                        reinterpret_cast<LPARAM>(w(t.dlgMarkerHint).c_str()));
    SendDlgItemMessageW(dialog, JudgeGeoip, EM_SETCUEBANNER, TRUE,
                        reinterpret_cast<LPARAM>(w(t.dlgGeoipHint).c_str()));
    spin(dialog, JudgeBytesSpin, 1, 1 << 20, c.markerBytes);
    spin(dialog, JudgeFastSpin, 0, 65536, c.fastChecks);
    spin(dialog, JudgeGuardSpin, 5, 86400, c.guardSeconds);
    spin(dialog, JudgeRelaySpin, 1, 65535, c.relayPort);
    for (const auto& [protocol, id] : kProtocolBoxes)
        CheckDlgButton(dialog, id, (c.protocols & bit(protocol)) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, JudgeGuard, c.guard ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, JudgeRelay, c.relay ? BST_CHECKED : BST_UNCHECKED);
    const HWND tips = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0,
                                      0, 0, 0, dialog, nullptr, GetModuleHandleW(nullptr), nullptr);
    addTip(dialog, tips, JudgeFast, w(t.dlgFastHint));
    addTip(dialog, tips, JudgeRelayPort, w(t.dlgRelayPortHint));
    enableSingle(dialog);
}

View::JudgeChoice chosenIn(HWND dialog)
{
    View::JudgeChoice c;
    c.pool = SendDlgItemMessageW(dialog, JudgeMode, CB_GETCURSEL, 0, 0) != 1;
    c.url = wide::toUtf8(trimmed(itemText(dialog, JudgeUrl)));
    c.marker = wide::toUtf8(itemText(dialog, JudgeMarker));
    c.markerBytes = numberIn(dialog, JudgeBytes, 1, 1 << 20);
    ProtocolSet protocols = 0;
    for (const auto& [protocol, id] : kProtocolBoxes)
        protocols |= IsDlgButtonChecked(dialog, id) == BST_CHECKED ? bit(protocol) : 0;
    c.protocols = protocols != 0 ? protocols : bit(Protocol::Http);
    c.geoipFile = wide::toUtf8(trimmed(itemText(dialog, JudgeGeoip)));
    c.fastChecks = numberIn(dialog, JudgeFast, 0, 65536);
    c.guard = IsDlgButtonChecked(dialog, JudgeGuard) == BST_CHECKED;
    c.guardSeconds = numberIn(dialog, JudgeGuardSeconds, 5, 86400);
    c.relay = IsDlgButtonChecked(dialog, JudgeRelay) == BST_CHECKED;
    c.relayPort = numberIn(dialog, JudgeRelayPort, 1, 65535);
    return c;
}

INT_PTR CALLBACK judgeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* state = reinterpret_cast<JudgeState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        initJudge(dialog, *reinterpret_cast<JudgeState*>(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            state->chosen = chosenIn(dialog);
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        case JudgeMode:
            if (HIWORD(wParam) == CBN_SELCHANGE)
                enableSingle(dialog);
            return TRUE;
        case JudgeBrowse: {
            const Texts& t = texts();
            if (auto path = open(dialog, t.dlgGeoipTitle, t.dlgGeoipFilter, state->folder))
                SetDlgItemTextW(dialog, JudgeGeoip, path->wstring().c_str());
            return TRUE;
        }
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

struct EditorState {
    std::wstring text;
    std::optional<std::wstring> edited;
};

// The editor's controls follow its frame: the text fills it, the buttons stay at the lower right.
void layoutEditor(HWND dialog)
{
    RECT client{};
    GetClientRect(dialog, &client);
    RECT unit{0, 0, 4, 8};
    MapDialogRect(dialog, &unit); // a margin, a button's size, in this dialog's own units
    const int margin = unit.right * 7 / 4;
    const int buttonWidth = unit.right * 50 / 4;
    const int buttonHeight = unit.bottom * 14 / 8;
    const int buttonsTop = client.bottom - margin - buttonHeight;
    MoveWindow(GetDlgItem(dialog, EditorText), margin, margin, client.right - 2 * margin,
               buttonsTop - 2 * margin, TRUE);
    MoveWindow(GetDlgItem(dialog, IDCANCEL), client.right - margin - buttonWidth, buttonsTop, buttonWidth,
               buttonHeight, TRUE);
    MoveWindow(GetDlgItem(dialog, IDOK), client.right - 2 * (margin + buttonWidth) + margin, buttonsTop,
               buttonWidth, buttonHeight, TRUE);
}

INT_PTR CALLBACK editorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* state = reinterpret_cast<EditorState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        state = reinterpret_cast<EditorState*>(lParam);
        SendDlgItemMessageW(dialog, EditorText, EM_SETLIMITTEXT, 0, 0); // no limit of 32,767 characters
        SetDlgItemTextW(dialog, EditorText, state->text.c_str());
        // As large as the Linux window's editor, 640 x 420 at 96 dpi.
        const int dpi = dpiOf(dialog);
        SetWindowPos(dialog, nullptr, 0, 0, scaled(640, dpi), scaled(420, dpi), SWP_NOMOVE | SWP_NOZORDER);
        layoutEditor(dialog);
        // The caret at the start, nothing selected: the user came to edit, not to replace everything.
        const HWND editor = GetDlgItem(dialog, EditorText);
        SetFocus(editor);
        SendMessageW(editor, EM_SETSEL, 0, 0);
        return FALSE;
    }
    case WM_SIZE:
        layoutEditor(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            state->edited = itemText(dialog, EditorText);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

void message(HWND owner, const std::string& title, const std::string& text)
{
    MessageBoxW(owner, w(text).c_str(), w(title).c_str(), MB_OK | MB_ICONINFORMATION);
}

bool askYesNo(HWND owner, const std::string& title, const std::string& text)
{
    return MessageBoxW(owner, w(text).c_str(), w(title).c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

std::wstring filterOf(const std::string& gbkFilter)
{
    std::wstring out = w(gbkFilter);
    std::replace(out.begin(), out.end(), L'|', L'\0');
    if (!out.empty())
        out += L'\0';
    out += L'\0';
    return out;
}

namespace {

// What the common dialogs share: the buffer for the chosen name, the filter, the folder.
struct FileDialog {
    OPENFILENAMEW ofn{};
    std::wstring filter;
    std::wstring name = std::wstring(32768, L'\0');

    FileDialog(HWND owner, const std::string& gbkFilter, const std::wstring& folder)
    {
        filter = filterOf(gbkFilter);
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = owner;
        ofn.lpstrFilter = gbkFilter.empty() ? nullptr : filter.c_str();
        ofn.lpstrFile = name.data();
        ofn.nMaxFile = static_cast<DWORD>(name.size());
        ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
        // The system's defaults otherwise: no overwrite question, no default extension. The program's folder
        // stays its working folder.
        ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR;
    }

    std::filesystem::path chosen(std::wstring& folder) const
    {
        std::filesystem::path path(name.c_str());
        folder = path.parent_path().wstring();
        return path;
    }
};

} // namespace

std::optional<View::SaveChoice> save(HWND owner, const std::string& filter, int filterIndex,
                                     std::wstring& folder)
{
    FileDialog d(owner, filter, folder);
    d.ofn.nFilterIndex = static_cast<DWORD>(std::max(filterIndex, 1));
    if (!GetSaveFileNameW(&d.ofn))
        return std::nullopt;
    return View::SaveChoice{d.chosen(folder), static_cast<int>(d.ofn.nFilterIndex)};
}

std::optional<std::filesystem::path> open(HWND owner, const std::string& title, const std::string& filter,
                                          std::wstring& folder)
{
    FileDialog d(owner, filter, folder);
    const std::wstring caption = w(title);
    d.ofn.lpstrTitle = caption.empty() ? nullptr : caption.c_str();
    if (!GetOpenFileNameW(&d.ofn))
        return std::nullopt;
    return d.chosen(folder);
}

std::optional<std::string> editText(HWND owner, const std::string& title, const std::string& utf8Text)
{
    const Texts& t = texts();
    EditorState state;
    // The edit box wants CR LF between lines; the file keeps what it had, LF.
    for (wchar_t c : wide::fromUtf8(utf8Text)) {
        if (c == L'\n' && (state.text.empty() || state.text.back() != L'\r'))
            state.text += L'\r';
        state.text += c;
    }
    DialogTemplate d(w(title), WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME | DS_CENTER,
                     320, 210, programFace(), kDialogPoints);
    d.add(DialogTemplate::Edit, L"", EditorText,
          WS_BORDER | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
              ES_WANTRETURN | ES_NOHIDESEL,
          7, 7, 306, 170);
    d.add(DialogTemplate::Button, w(t.dlgSave), IDOK, WS_TABSTOP | BS_DEFPUSHBUTTON, 206, 189, 50, 14);
    d.add(DialogTemplate::Button, w(t.dlgCancel), IDCANCEL, WS_TABSTOP | BS_PUSHBUTTON, 263, 189, 50, 14);
    if (d.run(owner, &editorProc, reinterpret_cast<LPARAM>(&state)) != IDOK || !state.edited)
        return std::nullopt;
    std::wstring edited;
    edited.reserve(state.edited->size());
    for (std::size_t i = 0; i < state.edited->size(); ++i) {
        const wchar_t c = (*state.edited)[i];
        if (c == L'\r' && i + 1 < state.edited->size() && (*state.edited)[i + 1] == L'\n')
            continue;
        edited += c;
    }
    return wide::toUtf8(edited);
}

std::optional<View::JudgeChoice> judge(HWND owner, const View::JudgeChoice& current)
{
    const Texts& t = texts();
    JudgeState state{current, std::nullopt, {}};
    // Two columns: the labels, and the fields from x = 132; one row every 17 dialog units.
    constexpr short label = 7;
    constexpr short field = 132;
    constexpr short fieldWidth = 220;
    constexpr short row = 17;
    constexpr short height = 12;
    DialogTemplate d(w(t.menuJudge), WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 359,
                     12 * row + 14, programFace(), kDialogPoints);
    short y = 7;
    auto labelRow = [&](const std::string& text) {
        d.add(DialogTemplate::Static, w(text), 0xFFFF, SS_LEFT, label, static_cast<short>(y + 2),
              field - label - 3, height);
    };
    auto number = [&](WORD edit, WORD spinner) {
        d.add(DialogTemplate::Edit, L"", edit, WS_BORDER | WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL, field, y,
              60, height);
        d.add(UPDOWN_CLASSW, L"", spinner,
              UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0, 0, 0, 0);
    };
    labelRow(t.dlgLabelJudge);
    d.add(DialogTemplate::ComboBox, L"", JudgeMode, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, field, y,
          fieldWidth, 60);
    y += row;
    labelRow(t.dlgLabelUrl);
    d.add(DialogTemplate::Edit, L"", JudgeUrl, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, field, y, fieldWidth,
          height);
    y += row;
    labelRow(t.dlgLabelMarker);
    d.add(DialogTemplate::Edit, L"", JudgeMarker, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, field, y,
          fieldWidth, height);
    y += row;
    labelRow(t.dlgLabelBytes);
    number(JudgeBytes, JudgeBytesSpin);
    y += row;
    labelRow(t.dlgLabelProtocols);
    short x = field;
    for (const auto& [protocol, id] : kProtocolBoxes) {
        std::wstring name = wide::fromUtf8(protocolName(protocol));
        std::transform(name.begin(), name.end(), name.begin(), [](wchar_t c) { return std::towupper(c); });
        d.add(DialogTemplate::Button, name, id, WS_TABSTOP | BS_AUTOCHECKBOX, x, static_cast<short>(y + 1),
              50, height);
        x += 55;
    }
    y += row;
    labelRow(t.dlgLabelGeoip);
    d.add(DialogTemplate::Edit, L"", JudgeGeoip, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, field, y,
          fieldWidth - 55, height);
    d.add(DialogTemplate::Button, w(t.dlgBrowse), JudgeBrowse, WS_TABSTOP | BS_PUSHBUTTON,
          field + fieldWidth - 50, static_cast<short>(y - 1), 50, 14);
    y += row;
    labelRow(t.dlgLabelFast);
    number(JudgeFast, JudgeFastSpin);
    d.add(DialogTemplate::Static, w(t.dlgFastZero), 0xFFFF, SS_LEFT, field + 66, static_cast<short>(y + 2),
          fieldWidth - 66, height);
    y += row;
    d.add(DialogTemplate::Button, w(t.dlgGuard), JudgeGuard, WS_TABSTOP | BS_AUTOCHECKBOX, label, y,
          field + fieldWidth - label, height);
    y += row;
    labelRow(t.dlgLabelGuardSeconds);
    number(JudgeGuardSeconds, JudgeGuardSpin);
    d.add(DialogTemplate::Static, w(t.dlgSeconds), 0xFFFF, SS_LEFT, field + 66, static_cast<short>(y + 2), 40,
          height);
    y += row;
    d.add(DialogTemplate::Button, w(t.dlgRelay), JudgeRelay, WS_TABSTOP | BS_AUTOCHECKBOX, label, y,
          field + fieldWidth - label, height);
    y += row;
    labelRow(t.dlgLabelRelayPort);
    number(JudgeRelayPort, JudgeRelaySpin);
    y += row + 3;
    d.add(DialogTemplate::Button, w(t.dlgOk), IDOK, WS_TABSTOP | BS_DEFPUSHBUTTON, field + fieldWidth - 107,
          y, 50, 14);
    d.add(DialogTemplate::Button, w(t.dlgCancel), IDCANCEL, WS_TABSTOP | BS_PUSHBUTTON,
          field + fieldWidth - 50, y, 50, 14);
    if (d.run(owner, &judgeProc, reinterpret_cast<LPARAM>(&state)) != IDOK)
        return std::nullopt;
    return state.chosen;
}

} // namespace vorin::win32::dialogs
