// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The Windows window in the test's own process (under Wine on a private X display): its layout and shape,
// the skin's pixels, the list over the grid, the menus, the dialogs answered as a user would, the hand-over
// from other threads and the close.
#include "platform/pngimage.h"
#include "platform/registry.h"
#include "platform/texts.h"
#include "platform/widetext.h"
#include "support/fakes.h"
#include "system/systemproxy.h"
#include "table/gridview.h"
#include "win32/controls.h"
#include "win32/dialogs.h"
#include "win32/mainform.h"
#include "win32/windispatcher.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <thread>

namespace vorin::win32 {
namespace {

using test::g;

class ClockStub final : public Clock {
public:
    std::uint32_t tickCount() override { return 0; }
    void sleep(std::uint32_t) override {}
};

// Runs act on the next dialog box this thread shows (the first visible window of the dialog class), from
// inside the dialog's own message loop, as a user's answer would come.
class DialogAnswer {
public:
    explicit DialogAnswer(std::function<void(HWND)> act)
    {
        pending() = std::move(act);
        timer_ = SetTimer(nullptr, 0, 30, &DialogAnswer::tick);
    }
    ~DialogAnswer()
    {
        KillTimer(nullptr, timer_);
        pending() = nullptr;
    }
    static bool answered() { return !pending(); }

private:
    static std::function<void(HWND)>& pending()
    {
        static std::function<void(HWND)> act;
        return act;
    }
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD)
    {
        HWND dialog = nullptr;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND w, LPARAM found) {
                wchar_t name[16] = {};
                GetClassNameW(w, name, 16);
                if (IsWindowVisible(w) && std::wstring_view(name) == L"#32770") {
                    *reinterpret_cast<HWND*>(found) = w;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&dialog));
        if (!dialog || !pending())
            return;
        const auto act = std::exchange(pending(), nullptr);
        act(dialog);
    }

    UINT_PTR timer_ = 0;
};

void press(HWND dialog, int button)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
}

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The partner page as start page: start-up asks no question.
        registry::Key::open(registry::Hive::CurrentUser, "Software\\Microsoft\\Internet Explorer\\Main")
            .writeString("Start Page", test::loopbackEndpoints().root("partnerA"));
        // The registry is the Wine prefix's, kept from run to run: the source option starts as a new one, and
        // the system proxy off.
        registry::Key::open(registry::Hive::CurrentUser, registry::kProgramKey)
            .writeString("downoption", "100");
        registry::Key::open(registry::Hive::CurrentUser, systemproxy::kInternetSettingsKey)
            .writeDword("ProxyEnable", 0);
    }

    WinDispatcher dispatcher;
    ClockStub clock;
};

RECT placeIn(HWND control)
{
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::wstring tipOf(HWND tips, HWND owner, HWND tool)
{
    wchar_t text[256] = {};
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = text;
    SendMessageW(tips, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
    return text;
}

TEST_F(MainFormTest, LaysOutTheSkinnedWindowAndShapesItsOutline)
{
    MainForm form(dispatcher, clock, test::loopbackEndpoints());
    RECT window{};
    GetWindowRect(form.hwnd(), &window);
    EXPECT_EQ(window.left, kFormLeft);
    EXPECT_EQ(window.top, kFormTop);
    EXPECT_EQ(window.right - window.left, kFormWidth);
    EXPECT_EQ(window.bottom - window.top, kFormHeight);
    EXPECT_FALSE(GetWindowLongW(form.hwnd(), GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME)) << "borderless";
    for (const ControlPlace& p : kPlaces) {
        const HWND control = form.control(p.id);
        ASSERT_NE(control, nullptr) << p.name;
        EXPECT_EQ(GetDlgCtrlID(control), p.id) << p.name;
        const RECT r = placeIn(control);
        EXPECT_EQ(r.left, p.left) << p.name;
        EXPECT_EQ(r.top, p.top) << p.name;
        if (p.width > 0) {
            EXPECT_EQ(r.right - r.left, p.width) << p.name;
            EXPECT_EQ(r.bottom - r.top, p.height) << p.name;
        }
    }
    EXPECT_EQ(tipOf(form.tips(), form.hwnd(), form.control(IdDownList)), L"下载并验证（右击仅下载列表）");
    EXPECT_EQ(tipOf(form.tips(), form.hwnd(), form.control(IdStopProxy)), L"停止代理（禁用代理）");

    form.show();
    EXPECT_EQ(windowText(form.hwnd()), L"Vorin智能代理 V5.0");
    EXPECT_EQ(windowText(form.control(IdPanTop)), L"Vorin智能代理 V5.0");
    EXPECT_EQ(windowText(form.control(IdInfo)), L"当前代理为：停用");
    EXPECT_TRUE(IsWindowVisible(form.control(IdMenuButton))) << "the partner page is the start page";
    // Round top corners (a 16 x 16 ellipse), square bottom ones, nothing else cut.
    const HRGN outline = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(form.hwnd(), outline), ERROR);
    const struct {
        POINT at;
        bool inside;
    } points[] = {{{0, 0}, false},    {{689, 0}, false},  {{1, 1}, false},    {{8, 0}, true},
                  {{345, 0}, true},   {{0, 8}, true},     {{689, 250}, true}, {{0, 504}, true},
                  {{689, 504}, true}, {{690, 504}, false}};
    for (const auto& p : points)
        EXPECT_EQ(PtInRegion(outline, p.at.x, p.at.y) != FALSE, p.inside) << p.at.x << "," << p.at.y;
    DeleteObject(outline);
}

// The picture's pixel (x, y) as an opaque colour over white, 0x00RRGGBB.
DWORD overWhite(const PngImage& png, int x, int y)
{
    const std::uint8_t* p = &png.rgba[(static_cast<std::size_t>(y) * png.width + x) * 4];
    DWORD out = 0;
    for (int c = 0; c < 3; ++c)
        out = (out << 8) | static_cast<DWORD>((p[c] * p[3] + 255 * (255 - p[3]) + 127) / 255);
    return out;
}

PngImage pictureBytes(const char* name)
{
    const HRSRC resource = FindResourceW(nullptr, wide::fromUtf8(name).c_str(), RT_RCDATA);
    const void* bytes = LockResource(LoadResource(nullptr, resource));
    return *decodePng(std::string_view(static_cast<const char*>(bytes), SizeofResource(nullptr, resource)));
}

// What a control paints (WM_PRINTCLIENT), 0x00RRGGBB a pixel.
std::vector<DWORD> painted(HWND control, int& width)
{
    RECT r{};
    GetClientRect(control, &r);
    width = r.right;
    const HDC screen = GetDC(nullptr);
    OffscreenBitmap bitmap(screen, r.right, r.bottom);
    ReleaseDC(nullptr, screen);
    SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(bitmap.dc()), PRF_CLIENT);
    GdiFlush();
    std::vector<DWORD> out(bitmap.pixels(), bitmap.pixels() + r.right * r.bottom);
    for (DWORD& p : out)
        p &= 0xFFFFFF;
    return out;
}

bool similar(DWORD a, DWORD b)
{
    for (int shift = 0; shift < 24; shift += 8) {
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 2)
            return false;
    }
    return true;
}

TEST_F(MainFormTest, PanelsAndButtonsAreDrawnFromTheirPictures)
{
    MainForm form(dispatcher, clock, test::loopbackEndpoints());
    form.show();
    // A panel: its ends keep their width and stretch only vertically, the middle stretches both ways, over
    // white. A row of the panel shows a row of the picture (nearest, allowing the neighbour rows).
    for (const char* name : {"pan_top", "imagepanle4", "Pan_bot"}) {
        const PngImage png = pictureBytes(name);
        const int w3 = png.width / 3;
        int width = 0;
        const HWND panel = form.control(name == std::string("pan_top")   ? IdPanTop
                                        : name == std::string("Pan_bot") ? IdPanBot
                                                                         : IdToolbar);
        const std::vector<DWORD> pixels = painted(panel, width);
        const int height = static_cast<int>(pixels.size()) / width;
        // Points clear of the caption: the left end, the middle, the right end.
        // The left end, the middle (clear of the captions) and the right end, with the picture's column of
        // each.
        const int end = w3;
        const int mid = width * 3 / 4;
        const struct {
            int x;
            int sourceX;
        } columns[] = {{2, 2}, {mid, w3 + (mid - end) * w3 / (width - 2 * end)}, {width - 3, 3 * w3 - 3}};
        for (int y : {1, height / 2, height - 2}) {
            for (const auto& c : columns) {
                const int sy = y * png.height / height;
                bool found = false;
                for (int dy = -1; dy <= 1 && !found; ++dy) {
                    const int row = std::clamp(sy + dy, 0, png.height - 1);
                    for (int dx = -1; dx <= 1 && !found; ++dx)
                        found = similar(pixels[static_cast<std::size_t>(y * width + c.x)],
                                        overWhite(png, std::clamp(c.sourceX + dx, 0, png.width - 1), row));
                }
                EXPECT_TRUE(found) << name << " at " << c.x << "," << y;
            }
        }
    }
    // A button: each state shows its frame where the frame is opaque, and the panel's skin where it is
    // transparent.
    const PngImage png = pictureBytes("BTN_STOP");
    const int frame = png.width / 4;
    POINT opaque{-1, -1};
    POINT clear{-1, -1};
    for (int y = 0; y < png.height; ++y) {
        for (int x = 0; x < frame; ++x) {
            auto alpha = [&](int f) {
                return png.rgba[(static_cast<std::size_t>(y) * png.width + f * frame + x) * 4 + 3];
            };
            if (opaque.x < 0 && alpha(0) == 255 && alpha(1) == 255 && alpha(2) == 255)
                opaque = {x, y};
            if (clear.x < 0 && alpha(0) == 0)
                clear = {x, y};
        }
    }
    ASSERT_GE(opaque.x, 0);
    ASSERT_GE(clear.x, 0);
    const HWND button = form.control(IdStop);
    int width = 0;
    int toolbarWidth = 0;
    const std::vector<DWORD> toolbar = painted(form.control(IdToolbar), toolbarWidth);
    const RECT place = placeIn(button);
    EXPECT_EQ(painted(button, width)[static_cast<std::size_t>(clear.y * width + clear.x)],
              toolbar[static_cast<std::size_t>((place.top + clear.y) * toolbarWidth + place.left + clear.x)]);
    const struct {
        UINT message;
        int frame;
    } states[] = {{0, 0}, {WM_MOUSEMOVE, 1}, {WM_LBUTTONDOWN, 2}, {WM_LBUTTONUP, 0}};
    for (const auto& s : states) {
        if (s.message)
            SendMessageW(button, s.message, s.message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(3, 3));
        EXPECT_TRUE(similar(painted(button, width)[static_cast<std::size_t>(opaque.y * width + opaque.x)],
                            overWhite(png, s.frame * frame + opaque.x, opaque.y)))
            << "frame " << s.frame;
    }
}

std::wstring cellText(HWND list, int row, int col)
{
    wchar_t text[128] = {};
    ListView_GetItemText(list, row, col, text, 128);
    return text;
}

TEST_F(MainFormTest, TheListShowsTheGridsRowsAndSharesItsSelection)
{
    MainForm form(dispatcher, clock, test::loopbackEndpoints());
    form.show();
    const HWND list = form.control(IdGrid);
    wchar_t title[32] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = title;
    column.cchTextMax = 32;
    ListView_GetColumn(list, 1, &column);
    EXPECT_STREQ(title, L" IP地址");

    ProxyTable& table = form.controller().table();
    for (int i = 1; i <= 3; ++i) {
        table.append();
        table.setText(Field::Ip, "10.0.0." + std::to_string(i));
        table.setText(Field::Port, "80");
        table.setText(Field::Location, g("北京"));
        table.post();
    }
    form.controller().showingrid();
    EXPECT_EQ(ListView_GetItemCount(list), 3);
    EXPECT_EQ(cellText(list, 2, 0), L"3");
    EXPECT_EQ(cellText(list, 2, 1), L"10.0.0.3");
    EXPECT_EQ(cellText(list, 0, 4), L"北京");
    EXPECT_EQ(windowText(form.control(IdPanBot)), L"共有3个代理");
    // A verdict written into the table shows once the grid is told; the list copies nothing.
    table.first();
    table.moveBy(1);
    table.setMark(*table.bookmark(), CheckMark::Failed);
    form.controller().grid().rowsChanged();
    EXPECT_EQ(cellText(list, 1, 5), L"⊙");

    ListView_SetItemState(list, 2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(form.controller().grid().selectedRow(), 3);
    form.controller().grid().setSelectedRow(1);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 0);

    // A million rows: the list asks only for what it shows.
    const std::string rows = [] {
        std::string s;
        for (int i = 0; i < 1000000; ++i)
            s += "10." + std::to_string(i >> 16) + "." + std::to_string((i >> 8) & 255) + "." +
                 std::to_string(i & 255) + ":8080\r\n";
        return s;
    }();
    form.controller().importbytes(rows);
    form.controller().showingrid();
    EXPECT_EQ(ListView_GetItemCount(list), 1000000);
    EXPECT_EQ(cellText(list, 999999, 0), L"1000000");
    EXPECT_EQ(cellText(list, 999999, 2), L"8080");
}

std::vector<std::pair<std::wstring, UINT>> entries(HMENU menu)
{
    std::vector<std::pair<std::wstring, UINT>> out;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        out.emplace_back(text,
                         GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & (MF_CHECKED | MF_POPUP));
    }
    return out;
}

TEST_F(MainFormTest, MenusShowTheControllersMarksAndRunItsHandlers)
{
    MainForm form(dispatcher, clock, test::loopbackEndpoints());
    form.show();
    form.setChecked(MenuEntry::Mn02, true);
    form.setChecked(MenuEntry::Mn04, true);
    form.setEntryVisible(MenuEntry::Mn03, false);
    HMENU menu = form.buildMenu(Popup::Popsvr);
    const std::vector<std::pair<std::wstring, UINT>> sources = {
        {L"从国内网站下载", MF_CHECKED}, {L"从国外网站下载", MF_CHECKED}, {L"自定义来源", MF_CHECKED}};
    EXPECT_EQ(entries(menu), sources) << "a hidden entry is not in the menu";
    DestroyMenu(menu);
    form.command(CmdMn02); // a click reverses the mark once
    EXPECT_FALSE(form.isChecked(MenuEntry::Mn02));
    EXPECT_EQ(form.controller().downoption, "100");

    menu = form.buildMenu(Popup::Popset);
    const std::vector<std::wstring> tools = {
        L"获取地理位置",    L"排序",         L"删除所选",           L"导入代理", L"编辑自定义来源...",
        L"验证网页设置...", L"离线查询位置", L"编辑验证网页列表..."};
    std::vector<std::wstring> shown;
    for (const auto& [text, state] : entries(menu))
        shown.push_back(text);
    EXPECT_EQ(shown, tools);
    EXPECT_EQ(entries(GetSubMenu(menu, 1)),
              (std::vector<std::pair<std::wstring, UINT>>{{L"按位置排序", 0}, {L"按速度排序", 0}}));
    DestroyMenu(menu);
}

TEST_F(MainFormTest, DialogsAnswerAsTheUserDoes)
{
    MainForm form(dispatcher, clock, test::loopbackEndpoints());
    form.show();
    {
        DialogAnswer no([](HWND box) {
            EXPECT_EQ(windowText(box), L"Vorin智能代理 V5.0");
            press(box, IDNO);
        });
        EXPECT_FALSE(form.askYesNo(g("是否设置为主页?")));
        EXPECT_TRUE(DialogAnswer::answered());
    }
    {
        DialogAnswer yes([](HWND box) { press(box, IDYES); });
        EXPECT_TRUE(form.askYesNo(g("是否设置为主页?")));
    }
    // The settings dialog gives back every field as edited.
    {
        DialogAnswer edit([](HWND d) {
            SendDlgItemMessageW(d, dialogs::JudgeMode, CB_SETCURSEL, 1, 0);
            SetDlgItemTextW(d, dialogs::JudgeUrl, L"  http://judge.test/azenv.php ");
            SetDlgItemTextW(d, dialogs::JudgeMarker, L"您的IP");
            SetDlgItemTextW(d, dialogs::JudgeBytes, L"64");
            CheckDlgButton(d, dialogs::JudgeSocks5, BST_CHECKED);
            SetDlgItemTextW(d, dialogs::JudgeGeoip, L"C:\\数据\\城市.mmdb");
            SetDlgItemTextW(d, dialogs::JudgeFast, L"99999999"); // held to the range
            CheckDlgButton(d, dialogs::JudgeGuard, BST_CHECKED);
            SetDlgItemTextW(d, dialogs::JudgeGuardSeconds, L"30");
            CheckDlgButton(d, dialogs::JudgeRelay, BST_CHECKED);
            SetDlgItemTextW(d, dialogs::JudgeRelayPort, L"18899");
            press(d, IDOK);
        });
        const auto chosen = form.judgeDialog(View::JudgeChoice{});
        ASSERT_TRUE(chosen);
        EXPECT_FALSE(chosen->pool);
        EXPECT_EQ(chosen->url, "http://judge.test/azenv.php");
        EXPECT_EQ(chosen->marker, "您的IP");
        EXPECT_EQ(chosen->markerBytes, 64);
        EXPECT_EQ(chosen->protocols, bit(Protocol::Http) | bit(Protocol::Socks5));
        EXPECT_EQ(chosen->geoipFile, "C:\\数据\\城市.mmdb");
        EXPECT_EQ(chosen->fastChecks, 65536);
        EXPECT_TRUE(chosen->guard);
        EXPECT_EQ(chosen->guardSeconds, 30);
        EXPECT_TRUE(chosen->relay);
        EXPECT_EQ(chosen->relayPort, 18899);
    }
    {
        DialogAnswer cancel([](HWND d) { press(d, IDCANCEL); });
        EXPECT_FALSE(form.judgeDialog(View::JudgeChoice{}));
    }
    // The editor keeps the file's LF lines.
    {
        DialogAnswer save([](HWND d) {
            EXPECT_EQ(windowText(GetDlgItem(d, dialogs::EditorText)), L"# 来源\r\nhttp://a.test/list.txt");
            SetDlgItemTextW(d, dialogs::EditorText, L"# 来源\r\nhttp://b.test/list.txt socks5\r\n");
            press(d, IDOK);
        });
        EXPECT_EQ(form.editText(g("编辑"), "# 来源\nhttp://a.test/list.txt"),
                  std::optional<std::string>("# 来源\nhttp://b.test/list.txt socks5\n"));
    }
    // The save dialog gives the name the user typed, every character of it, and the filter entry.
    test::TempDir dir("save");
    const std::filesystem::path typed = dir.path() / L"代理列表 Søren.html";
    {
        DialogAnswer name([&typed](HWND d) {
            SetDlgItemTextW(d, 0x47c /* cmb13, the file name */, typed.wstring().c_str());
            press(d, IDOK);
        });
        const auto chosen = form.saveDialog(texts().saveFilter, 2);
        ASSERT_TRUE(chosen);
        EXPECT_EQ(chosen->path, typed);
        EXPECT_EQ(chosen->filterIndex, 2);
    }
    {
        DialogAnswer cancel([](HWND d) { press(d, IDCANCEL); });
        EXPECT_FALSE(form.openDialog());
    }
}

TEST_F(MainFormTest, OtherThreadsReachTheWindowThroughItsMessageLoop)
{
    const DWORD mainThread = GetCurrentThreadId();
    DWORD ranOn = 0;
    std::thread worker([&] { dispatcher.synchronize([&] { ranOn = GetCurrentThreadId(); }); });
    // The program's own loop: GetMessage, as the window's.
    const UINT_PTR limit = SetTimer(nullptr, 0, 5000, nullptr);
    MSG msg;
    while (ranOn == 0 && GetMessageW(&msg, nullptr, 0, 0) > 0 && msg.message != WM_TIMER)
        DispatchMessageW(&msg);
    KillTimer(nullptr, limit);
    worker.join();
    EXPECT_EQ(ranOn, mainThread);
}

TEST_F(MainFormTest, ClosingStoresTheOptionAndEndsTheMessageLoop)
{
    MainForm form(dispatcher, clock, test::loopbackEndpoints());
    form.show();
    form.command(CmdMn02);
    // The close button: the window goes, its loop ends.
    SendMessageW(form.control(IdClose), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    EXPECT_FALSE(IsWindow(form.control(IdPanTop)));
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(registry::Key::open(registry::Hive::CurrentUser, "SOFTWARE\\VORINSOFT\\vorindaili")
                  .readString("downoption"),
              "110");
}

TEST_F(MainFormTest, LoggingOffPutsTheDesktopBackBeforeTheRelayGoes)
{
    MainForm form(dispatcher, clock, test::loopbackEndpoints());
    form.show();
    ProxyTable& table = form.controller().table();
    table.append();
    table.setText(Field::Ip, "127.0.0.1");
    table.setText(Field::Port, "9");
    table.post();
    form.controller().showingrid();
    form.controller().userelay = true;
    form.controller().relayport = 0; // any free port
    form.controller().btnsetproxyExecute();
    const auto settings = registry::Key::open(registry::Hive::CurrentUser, systemproxy::kInternetSettingsKey);
    ASSERT_EQ(settings.readDword("ProxyEnable"), 1u);
    EXPECT_EQ(settings.readString("ProxyServer").value_or("").rfind("127.0.0.1:", 0), 0u);
    // The session ends without a close: the desktop gets its settings back while the relay still runs.
    SendMessageW(form.hwnd(), WM_QUERYENDSESSION, 0, 0);
    SendMessageW(form.hwnd(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(settings.readDword("ProxyEnable"), 0u);
    EXPECT_FALSE(form.controller().localrelay().running());
}

TEST_F(MainFormTest, ThePaneShowsItsOwnPageWhereItCannotLoadOne)
{
    MainForm form(dispatcher, clock, test::loopbackEndpoints());
    form.show();
    if (form.pane().hasEngine())
        GTEST_SKIP() << "the system's browser control draws the pages here";
    // The home page could not be loaded: the program's own page, after the start-up has returned.
    MSG msg;
    for (int i = 0; i < 100 && !form.pane().showingOwnPage(); ++i) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        Sleep(10);
    }
    EXPECT_TRUE(form.pane().showingOwnPage());
    EXPECT_EQ(form.pane().requested(), test::loopbackEndpoints().root("softsite") + "/daili5");
}

} // namespace
} // namespace vorin::win32
