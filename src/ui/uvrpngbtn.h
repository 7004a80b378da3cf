// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

namespace vorin {

// The skinned button: a strip of four frames (normal, hover, pressed, unused) of which the one for the
// state is drawn over whatever lies behind. The click happens on the left press; a right press with no
// key and no other button held, and not the second press of a double-click, raises OnRigthClick. The
// button takes the size of one frame.
class Tvrpngbtn : public QWidget {
    Q_OBJECT
public:
    using Tclickevent = std::function<void(Tvrpngbtn* sender)>;
    enum State {
        Normal = 0,
        Hover = 1,
        Pressed = 2,
    };

    explicit Tvrpngbtn(QWidget* parent = nullptr);

    const QImage& picture() const { return picture_; }
    void Setpicture(const QImage& picture);
    int state() const { return state_; }

    Tclickevent Onclick;
    Tclickevent OnRigthClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void pressed(QMouseEvent* event, bool doubleClick);

    QImage picture_;
    int state_ = Normal;
};

} // namespace vorin
