// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "win32/skin.h"
#include "win32/window.h"

#include <functional>
#include <string>

namespace vorin::win32 {

// The skinned panel: paints its PNG picture in three slices (the ends keep one third of the picture's
// width each and stretch only vertically, the middle stretches both ways, each drawn over white and then
// onto the panel as an opaque image) and writes its caption at x = 20, centred vertically on the height of
// "Vorin". Docked left or right it stretches the whole picture and writes no caption; without a picture it
// looks like a plain panel. Its children show its skin beneath them (WM_PRINTCLIENT). Main thread.
class Timagepanle : public PaintedWindow {
public:
    enum class Dock {
        None,
        Top,
        Bottom,
        Left,
        Right,
        Client,
    };

    // place: at 96 dpi, in the parent's client area; the panel scales it to the window's resolution.
    Timagepanle(HWND parent, int id, const Picture& picture, Dock dock, const RECT& place);

    const Picture& picture() const { return *picture_; }
    void Setpicture(const Picture& picture);

    const std::wstring& caption() const { return caption_; }
    void setCaption(const std::wstring& caption);
    // Where the caption must end (something else is drawn beyond it), at 96 dpi; a longer caption ends
    // with an ellipsis. 0: the panel's width.
    void setCaptionEnd(int x);

    // A left press, and a move with the left button held: the title panel drags the window with it.
    std::function<void()> onLeftDrag;

protected:
    // The panel's face, in its client coordinates.
    void paint(HDC dc) const override;
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    const Picture* picture_;
    Dock dock_;
    std::wstring caption_;
    int captionEnd_ = 0;
};

} // namespace vorin::win32
