// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "ui/uvrpngbtn.h"

#include <QMouseEvent>
#include <QPainter>

namespace vorin {

Tvrpngbtn::Tvrpngbtn(QWidget* parent) : QWidget(parent)
{
    resize(105, 105);
    setAttribute(Qt::WA_AlwaysShowToolTips);
}

void Tvrpngbtn::Setpicture(const QImage& picture)
{
    picture_ = picture;
    if (!picture_.isNull())
        resize(picture_.width() / 4, picture_.height());
    update();
}

void Tvrpngbtn::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (picture_.isNull()) {
        p.fillRect(rect(), palette().color(QPalette::Button));
        return;
    }
    if (size() != QSize(picture_.width() / 4, picture_.height()))
        resize(picture_.width() / 4, picture_.height());
    // Nothing is filled first: the panel's skin shows wherever the frame is transparent.
    const int x = state_ == Hover ? -picture_.width() / 4 : state_ == Pressed ? -picture_.width() / 2 : 0;
    p.drawImage(x, 0, picture_);
}

void Tvrpngbtn::enterEvent(QEnterEvent*)
{
    if (picture_.isNull())
        return;
    state_ = Hover;
    update();
}

void Tvrpngbtn::leaveEvent(QEvent*)
{
    if (picture_.isNull())
        return;
    state_ = Normal;
    // The parent repaints beneath a widget that does not fill itself, so the normal frame lands on an
    // intact panel skin.
    update();
}

void Tvrpngbtn::pressed(QMouseEvent* event, bool doubleClick)
{
    if (event->button() == Qt::LeftButton) {
        state_ = Pressed;
        repaint();
        if (Onclick)
            Onclick(this);
    }
    if (!doubleClick && event->buttons() == Qt::RightButton && event->modifiers() == Qt::NoModifier &&
        OnRigthClick)
        OnRigthClick(this);
}

void Tvrpngbtn::mousePressEvent(QMouseEvent* event)
{
    pressed(event, false);
}

void Tvrpngbtn::mouseDoubleClickEvent(QMouseEvent* event)
{
    pressed(event, true); // a second left press clicks again; a second right press does not
}

void Tvrpngbtn::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    state_ = Normal;
    update();
}

} // namespace vorin
