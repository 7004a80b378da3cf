// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vorin::win32 {

// A dialog described in memory (DLGTEMPLATE and its items, in dialog units), so that its texts come from
// the program's text table rather than a second copy in a resource script. Main thread.
class DialogTemplate {
public:
    // The system's control classes by their atoms.
    enum Class : WORD {
        Button = 0x0080,
        Edit = 0x0081,
        Static = 0x0082,
        ComboBox = 0x0085,
    };

    DialogTemplate(const std::wstring& title, DWORD style, short width, short height,
                   const std::wstring& font, WORD points);

    void add(Class kind, const std::wstring& text, WORD id, DWORD style, short x, short y, short width,
             short height);
    // A control of a class named by its window class (an up-down control, for instance).
    void add(const std::wstring& className, const std::wstring& text, WORD id, DWORD style, short x, short y,
             short width, short height);

    // Runs the dialog modally over owner; proc gets param in WM_INITDIALOG's lParam.
    INT_PTR run(HWND owner, DLGPROC proc, LPARAM param) const;

private:
    void word(WORD w) { bytes_.push_back(w); }
    void text(const std::wstring& s);
    void align();
    void item(DWORD style, short x, short y, short width, short height, WORD id);

    std::vector<WORD> bytes_;
    std::size_t countAt_ = 0; // where the item count is kept
};

} // namespace vorin::win32
