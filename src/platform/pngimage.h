// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace vorin {

// A decoded picture: 8-bit RGBA pixels, rows top to bottom, alpha straight (not premultiplied). Pictures
// without an alpha channel come out opaque.
struct PngImage {
    int width = 0;
    int height = 0;
    bool hadAlpha = false;
    std::vector<std::uint8_t> rgba;
};

// Decodes PNG bytes with libpng (8-bit RGB and RGBA, and whatever else libpng turns into RGBA); nothing
// for bytes that are no PNG or would decode to more than 64 megapixels. Any thread.
std::optional<PngImage> decodePng(std::string_view bytes);

} // namespace vorin
