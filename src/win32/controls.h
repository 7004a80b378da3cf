// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

// The main window's controls: their layout names, window ids and places (left, top, width, height in
// pixels at 96 dots per inch, within their parent), and the commands of the two popup menus. The window
// lays itself out from this table; its tests and the end-to-end probe find controls by these ids.
namespace vorin::win32 {

enum ControlId : int {
    IdPanTop = 100,
    IdMinimize,
    IdClose,
    IdToolbar,
    IdDownList,
    IdCheck,
    IdStop,
    IdStartProxy,
    IdStopProxy,
    IdSetup,
    IdSave,
    IdVail,
    IdAbout,
    IdMenuButton,
    IdGrid,
    IdBrowserFrame,
    IdBrowser,
    IdPanBot,
    IdInfo,
};

struct ControlPlace {
    const char* name; // the layout name, also the skin picture's name where it has one
    int id;
    int parent; // 0: the main window
    int left;
    int top;
    int width; // a button's is its frame's
    int height;
};

inline constexpr int kFormWidth = 690;
inline constexpr int kFormHeight = 505;
inline constexpr int kFormLeft = 200;
inline constexpr int kFormTop = 100;

inline constexpr ControlPlace kPlaces[] = {
    {"pan_top", IdPanTop, 0, 0, 0, 690, 41},
    {"vrpngbtn2", IdMinimize, IdPanTop, 618, 0, 27, 18},
    {"vrpngbtn1", IdClose, IdPanTop, 644, 0, 46, 18},
    {"imagepanle4", IdToolbar, 0, 0, 41, 690, 42},
    {"BTN_DOWNLIST", IdDownList, IdToolbar, 16, 6, 32, 30},
    {"BTN_CHECK", IdCheck, IdToolbar, 70, 6, 32, 30},
    {"BTN_STOP", IdStop, IdToolbar, 116, 6, 35, 29},
    {"BTN_STARTPROXY", IdStartProxy, IdToolbar, 173, 6, 29, 29},
    {"BTN_STOPPROXY", IdStopProxy, IdToolbar, 232, 7, 29, 29},
    {"BTN_SETUP", IdSetup, IdToolbar, 283, 6, 44, 30},
    {"BTN_SAVE", IdSave, IdToolbar, 349, 6, 29, 29},
    {"BTN_VAIL", IdVail, IdToolbar, 400, 6, 35, 29},
    {"BTN_ABOUT", IdAbout, IdToolbar, 458, 6, 35, 29},
    {"btn_menu", IdMenuButton, IdToolbar, 654, 26, 24, 10},
    {"sgrid", IdGrid, 0, 0, 83, 690, 237},
    {"imagepanle3", IdBrowserFrame, 0, 0, 320, 690, 155},
    {"eweb", IdBrowser, IdBrowserFrame, 0, 0, 690, 155},
    {"Pan_bot", IdPanBot, 0, 0, 475, 690, 30},
    {"Lbinfo", IdInfo, IdPanBot, 406, 8, 0, 0}, // sized to its text
};

// Where the status text must end: the info label follows it.
inline constexpr int kStatusEnd = 406 - 8;

// The popup menus' commands: popsvr's entries mn01 to mn04 in menu order, then popset's.
enum Command : int {
    CmdMn01 = 1001,
    CmdMn02,
    CmdMn03,
    CmdMn04,
    CmdGetCity = 1101, // N4
    CmdSortLocation,   // N5
    CmdSortSpeed,      // N6
    CmdDelete,         // N1
    CmdImport,         // N3
    CmdEditSources,    // N7
    CmdJudge,          // N8
    CmdOffline,        // N9
    CmdEditJudges,     // N10
};

// The main window's class name: the installer and the end-to-end probe find a running window by it.
inline constexpr const wchar_t* kFormClass = L"Tfrmvrdl";

} // namespace vorin::win32
