// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "win32/skin.h"
#include "win32/window.h"

#include <functional>

namespace vorin::win32 {

// The skinned button: a strip of four frames (normal, hover, pressed, unused) of which the one for the
// state is drawn over the parent's skin. The click happens on the left press; a right press with no key
// and no other button held, and not the second press of a double-click, raises OnRigthClick. The button
// takes the size of one frame (at the window's resolution). Main thread.
class Tvrpngbtn : public PaintedWindow {
public:
    using Tclickevent = std::function<void(Tvrpngbtn* sender)>;
    enum State {
        Normal = 0,
        Hover = 1,
        Pressed = 2,
    };

    // place: the top-left corner at 96 dpi within the parent.
    Tvrpngbtn(HWND parent, int id, const Picture& picture, POINT place);

    const Picture& picture() const { return *picture_; }
    int state() const { return state_; }
    // Moves the button to its place at the window's resolution (after a change of resolution).
    void place(POINT place);

    Tclickevent Onclick;
    Tclickevent OnRigthClick;

protected:
    void paint(HDC dc) const override;
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void setState(int state);

    const Picture* picture_;
    int state_ = Normal;
    bool inside_ = false;
};

} // namespace vorin::win32
