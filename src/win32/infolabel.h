// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "win32/window.h"

#include <string>

namespace vorin::win32 {

// A label of one line over its parent's skin (the status bar's Lbinfo): sized to its text, written in its
// colour with no background of its own. Main thread.
class InfoLabel : public PaintedWindow {
public:
    // place: the top-left corner at 96 dpi within the parent.
    InfoLabel(HWND parent, int id, POINT place, COLORREF colour);

    const std::wstring& text() const { return text_; }
    void setText(const std::wstring& text);
    void place(POINT place);

protected:
    void paint(HDC dc) const override;
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    POINT place_;
    COLORREF colour_;
    std::wstring text_;
};

} // namespace vorin::win32
