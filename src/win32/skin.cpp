// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "win32/skin.h"

#include "platform/pngimage.h"
#include "platform/widetext.h"

#include <map>
#include <memory>
#include <string>

namespace vorin::win32 {

const Picture& Picture::named(const char* name)
{
    static std::map<std::string, std::unique_ptr<Picture>> cache;
    auto& slot = cache[name];
    if (slot)
        return *slot;
    slot.reset(new Picture);
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC resource = FindResourceW(module, wide::fromUtf8(name).c_str(), RT_RCDATA);
    const HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return *slot;
    const auto png =
        decodePng(std::string_view(static_cast<const char*>(bytes), SizeofResource(module, resource)));
    if (!png)
        return *slot;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = png->width;
    info.bmiHeader.biHeight = -png->height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    slot->bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!slot->bitmap_)
        return *slot;
    slot->width_ = png->width;
    slot->height_ = png->height;
    // GDI blends premultiplied BGRA; the decoder gives straight RGBA.
    auto* out = static_cast<std::uint8_t*>(bits);
    const std::size_t count = static_cast<std::size_t>(png->width) * static_cast<std::size_t>(png->height);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* in = &png->rgba[i * 4];
        const unsigned a = in[3];
        out[i * 4 + 0] = static_cast<std::uint8_t>((in[2] * a + 127) / 255);
        out[i * 4 + 1] = static_cast<std::uint8_t>((in[1] * a + 127) / 255);
        out[i * 4 + 2] = static_cast<std::uint8_t>((in[0] * a + 127) / 255);
        out[i * 4 + 3] = static_cast<std::uint8_t>(a);
    }
    return *slot;
}

Picture::~Picture()
{
    if (bitmap_)
        DeleteObject(bitmap_);
}

void Picture::blend(HDC dc, int x, int y, int w, int h, int sx, int sy, int sw, int sh) const
{
    if (!bitmap_ || w <= 0 || h <= 0 || sw <= 0 || sh <= 0)
        return;
    const HDC source = CreateCompatibleDC(dc);
    const HGDIOBJ previous = SelectObject(source, bitmap_);
    const BLENDFUNCTION over{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, x, y, w, h, source, sx, sy, sw, sh, over);
    SelectObject(source, previous);
    DeleteDC(source);
}

OffscreenBitmap::OffscreenBitmap(HDC like, int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width > 0 ? width : 1;
    info.bmiHeader.biHeight = -(height > 0 ? height : 1);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(like, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    pixels_ = static_cast<DWORD*>(bits);
    dc_ = CreateCompatibleDC(like);
    previous_ = SelectObject(dc_, bitmap_);
}

OffscreenBitmap::~OffscreenBitmap()
{
    SelectObject(dc_, previous_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
}

} // namespace vorin::win32
