// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "ui/skin.h"

#include "platform/pngimage.h"

#include <QFile>
#include <map>
#include <string>

namespace vorin::skin {

const QImage& picture(const char* name)
{
    static std::map<std::string, QImage> cache;
    auto it = cache.find(name);
    if (it != cache.end())
        return it->second;
    QImage image;
    QFile file(QStringLiteral(":/skin/") + QString::fromLatin1(name) + QStringLiteral(".png"));
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        if (auto png =
                decodePng(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
            // libpng decodes; Qt only gets the pixels, copied out of the decoder's buffer.
            image = QImage(png->rgba.data(), png->width, png->height, png->width * 4, QImage::Format_RGBA8888)
                        .copy()
                        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        }
    }
    return cache.emplace(name, std::move(image)).first->second;
}

} // namespace vorin::skin
