// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <windows.h>

namespace vorin::win32 {

// A skin picture as GDI draws it: a 32-bit DIB section with premultiplied alpha, decoded with libpng from
// the program's resources (RCDATA under the control's layout name). Main thread.
class Picture {
public:
    // The picture of a control ("pan_top", "BTN_SAVE", ...), decoded once on first use; an empty picture
    // where the program has none.
    static const Picture& named(const char* name);

    ~Picture();
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    bool empty() const { return !bitmap_; }
    int width() const { return width_; }
    int height() const { return height_; }

    // Blends the source rectangle (sx, sy, sw, sh) of the picture by its alpha over dc's pixels at the
    // destination rectangle (x, y, w, h), stretching where the sizes differ.
    void blend(HDC dc, int x, int y, int w, int h, int sx, int sy, int sw, int sh) const;
    // The whole picture at (x, y), one picture pixel per device pixel.
    void blend(HDC dc, int x, int y) const { blend(dc, x, y, width_, height_, 0, 0, width_, height_); }

private:
    Picture() = default;

    HBITMAP bitmap_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// A 32-bit top-down DIB section of width x height selected into a memory DC, for drawing off screen:
// panels draw their slices and every control its face into one before the result goes on the screen.
class OffscreenBitmap {
public:
    OffscreenBitmap(HDC like, int width, int height);
    ~OffscreenBitmap();
    OffscreenBitmap(const OffscreenBitmap&) = delete;
    OffscreenBitmap& operator=(const OffscreenBitmap&) = delete;

    HDC dc() const { return dc_; }
    // The pixels, 0xAARRGGBB, rows top to bottom.
    DWORD* pixels() const { return pixels_; }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    DWORD* pixels_ = nullptr;
};

} // namespace vorin::win32
