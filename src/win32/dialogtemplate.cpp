// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "win32/dialogtemplate.h"

namespace vorin::win32 {

DialogTemplate::DialogTemplate(const std::wstring& title, DWORD style, short width, short height,
                               const std::wstring& font, WORD points)
{
    // DLGTEMPLATE: style, extended style, item count, x, y, cx, cy; then menu, class, title and font.
    style |= DS_SETFONT;
    word(LOWORD(style));
    word(HIWORD(style));
    word(0);
    word(0);
    countAt_ = bytes_.size();
    word(0);
    word(0);
    word(0);
    word(static_cast<WORD>(width));
    word(static_cast<WORD>(height));
    word(0); // no menu
    word(0); // the dialog class
    text(title);
    word(points);
    text(font);
}

void DialogTemplate::text(const std::wstring& s)
{
    bytes_.insert(bytes_.end(), s.begin(), s.end());
    word(0);
}

void DialogTemplate::align()
{
    // Items start on a DWORD boundary.
    if (bytes_.size() % 2)
        word(0);
}

void DialogTemplate::item(DWORD style, short x, short y, short width, short height, WORD id)
{
    align();
    style |= WS_CHILD | WS_VISIBLE;
    word(LOWORD(style));
    word(HIWORD(style));
    word(0);
    word(0);
    word(static_cast<WORD>(x));
    word(static_cast<WORD>(y));
    word(static_cast<WORD>(width));
    word(static_cast<WORD>(height));
    word(id);
    ++bytes_[countAt_];
}

void DialogTemplate::add(Class kind, const std::wstring& label, WORD id, DWORD style, short x, short y,
                         short width, short height)
{
    item(style, x, y, width, height, id);
    word(0xFFFF);
    word(kind);
    text(label);
    word(0); // no creation data
}

void DialogTemplate::add(const std::wstring& className, const std::wstring& label, WORD id, DWORD style,
                         short x, short y, short width, short height)
{
    item(style, x, y, width, height, id);
    text(className);
    text(label);
    word(0);
}

INT_PTR DialogTemplate::run(HWND owner, DLGPROC proc, LPARAM param) const
{
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                                   reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()), owner, proc, param);
}

} // namespace vorin::win32
