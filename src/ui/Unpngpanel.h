// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include <QImage>
#include <QWidget>

namespace vorin {

// The skinned panel: paints its PNG picture in three slices (the ends keep one third of the picture's
// width each and stretch only vertically, the middle stretches both ways) and writes its caption at
// x = 20, centred vertically on the height of "Vorin", in the default font. Docked left or right it
// stretches the whole picture and writes no caption; without a picture it looks like a plain panel.
class Timagepanle : public QWidget {
    Q_OBJECT
public:
    enum class Dock {
        None,
        Top,
        Bottom,
        Left,
        Right,
        Client,
    };

    explicit Timagepanle(QWidget* parent = nullptr);

    const QImage& picture() const { return picture_; }
    void Setpicture(const QImage& picture);

    const QString& caption() const { return caption_; }
    void setCaption(const QString& caption);

    // Where the caption must end (something else is drawn beyond it); a longer caption is cut short with
    // an ellipsis. 0: the panel's width.
    void setCaptionEnd(int x);

    Dock align() const { return align_; }
    void setAlign(Dock align);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
    QString caption_;
    Dock align_ = Dock::None;
    int captionEnd_ = 0;
};

} // namespace vorin
