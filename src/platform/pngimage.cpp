// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "platform/pngimage.h"

#include <png.h>

namespace vorin {

std::optional<PngImage> decodePng(std::string_view bytes)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return std::nullopt;
    if (static_cast<std::uint64_t>(image.width) * image.height > (64u << 20)) {
        png_image_free(&image);
        return std::nullopt;
    }
    PngImage out;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.hadAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = PNG_FORMAT_RGBA;
    out.rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, out.rgba.data(), 0, nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    return out;
}

} // namespace vorin
