// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "ui/Unpngpanel.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOption>
#include <algorithm>

namespace vorin {

Timagepanle::Timagepanle(QWidget* parent) : QWidget(parent) {}

void Timagepanle::Setpicture(const QImage& picture)
{
    picture_ = picture;
    update();
}

void Timagepanle::setCaption(const QString& caption)
{
    caption_ = caption;
    update();
}

void Timagepanle::setCaptionEnd(int x)
{
    captionEnd_ = x;
    update();
}

void Timagepanle::setAlign(Dock align)
{
    align_ = align;
    update();
}

void Timagepanle::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (picture_.isNull()) {
        // A plain panel: face, a raised bevel and the caption centred.
        p.fillRect(rect(), palette().color(QPalette::Button));
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(0, 0, width() - 1, 0);
        p.drawLine(0, 0, 0, height() - 1);
        p.setPen(palette().color(QPalette::Dark));
        p.drawLine(0, height() - 1, width() - 1, height() - 1);
        p.drawLine(width() - 1, 0, width() - 1, height() - 1);
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(rect(), Qt::AlignCenter, caption_);
        return;
    }
    if (align_ == Dock::Left || align_ == Dock::Right) {
        p.drawImage(rect(), picture_);
        return;
    }
    // Three slices through one white bitmap a third of the picture wide: each slice is drawn into it over
    // what the last one left, then stretched onto the panel as an opaque image.
    const int w3 = picture_.width() / 3;
    const int h = picture_.height();
    if (w3 > 0) {
        QImage slice(w3, h, QImage::Format_ARGB32_Premultiplied);
        slice.fill(Qt::white);
        const int targets[3][2] = {{0, w3}, {w3, width() - w3}, {width() - w3, width()}};
        for (int i = 0; i < 3; ++i) {
            {
                QPainter s(&slice);
                s.drawImage(-i * w3, 0, picture_);
            }
            p.drawImage(QRect(targets[i][0], 0, targets[i][1] - targets[i][0], height()), slice);
        }
    }
    // The caption in the default font, not the panel's own.
    QFont font = QApplication::font();
    font.setPointSize(8);
    p.setFont(font);
    p.setPen(QApplication::palette().color(QPalette::WindowText));
    QFontMetrics metrics(font);
    const int y = (height() - metrics.height()) / 2; // the height of "Vorin": the font's full line height
    const int end = captionEnd_ > 0 ? captionEnd_ : width();
    p.drawText(20, y + metrics.ascent(), metrics.elidedText(caption_, Qt::ElideRight, std::max(0, end - 20)));
}

} // namespace vorin
