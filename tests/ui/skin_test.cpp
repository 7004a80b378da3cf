// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
// The skinned panel and button on a real QApplication (offscreen).
#include "ui/Unpngpanel.h"
#include "ui/skin.h"
#include "ui/uvrpngbtn.h"

#include <QEnterEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace vorin {
namespace {

// A strip of n equal parts in the given colours.
QImage strip(std::initializer_list<QColor> colours, int partWidth, int height)
{
    QImage image(static_cast<int>(colours.size()) * partWidth, height, QImage::Format_ARGB32_Premultiplied);
    int i = 0;
    for (const QColor& c : colours) {
        for (int x = 0; x < partWidth; ++x)
            for (int y = 0; y < height; ++y)
                image.setPixelColor(i * partWidth + x, y, c);
        ++i;
    }
    return image;
}

TEST(Skin, EveryControlHasItsPictureAtItsSize)
{
    struct Want {
        const char* name;
        int width;
        int height;
    };
    const Want wants[] = {
        {"pan_top", 720, 46},        {"imagepanle4", 60, 24},    {"imagepanle3", 60, 25},
        {"Pan_bot", 210, 64},        {"vrpngbtn1", 184, 18},     {"vrpngbtn2", 108, 18},
        {"BTN_DOWNLIST", 128, 30},   {"BTN_CHECK", 128, 30},     {"BTN_STOP", 140, 29},
        {"BTN_ABOUT", 140, 29},      {"BTN_VAIL", 140, 29},      {"BTN_SETUP", 176, 30},
        {"BTN_STARTPROXY", 116, 29}, {"BTN_STOPPROXY", 116, 29}, {"BTN_SAVE", 116, 29},
        {"btn_menu", 96, 10},
    };
    for (const Want& w : wants) {
        const QImage& image = skin::picture(w.name);
        EXPECT_EQ(image.size(), QSize(w.width, w.height)) << w.name;
    }
    EXPECT_TRUE(skin::picture("no such control").isNull());
    // The fourth frame is pale on the proxy buttons and empty elsewhere.
    const QImage& start = skin::picture("BTN_STARTPROXY");
    const QImage& save = skin::picture("BTN_SAVE");
    int startPixels = 0;
    int savePixels = 0;
    for (int x = 87; x < 116; ++x)
        for (int y = 0; y < 29; ++y) {
            startPixels += start.pixelColor(x, y).alpha() > 0;
            savePixels += save.pixelColor(x, y).alpha() > 0;
        }
    EXPECT_GT(startPixels, 50);
    EXPECT_EQ(savePixels, 0);
}

TEST(ImagePanel, PaintsThreeSlicesAndTheEndsKeepTheirWidth)
{
    Timagepanle panel;
    panel.resize(100, 20);
    // Width 10: one column is lost, the slices are 3 wide. Red, green, blue thirds.
    QImage picture = strip({Qt::red, Qt::green, Qt::blue}, 3, 4);
    QImage wide(10, 4, QImage::Format_ARGB32_Premultiplied);
    wide.fill(Qt::black);
    for (int x = 0; x < 9; ++x)
        for (int y = 0; y < 4; ++y)
            wide.setPixelColor(x, y, picture.pixelColor(x, y));
    panel.Setpicture(wide);
    QImage shot = panel.grab().toImage();
    EXPECT_EQ(shot.pixelColor(1, 10), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(2, 19), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(50, 10), QColor(Qt::green));
    EXPECT_EQ(shot.pixelColor(98, 1), QColor(Qt::blue)); // the lost column never shows
}

TEST(ImagePanel, AlphaBlendsOverWhiteAndSideDockingStretchesTheWholePicture)
{
    Timagepanle panel;
    panel.resize(60, 10);
    panel.Setpicture(strip({QColor(0, 0, 0, 0), QColor(0, 0, 0, 0), QColor(0, 0, 0, 0)}, 5, 5));
    QImage shot = panel.grab().toImage();
    EXPECT_EQ(shot.pixelColor(2, 5), QColor(Qt::white)); // transparent picture: the white bitmap
    panel.Setpicture(strip({Qt::red, Qt::green, Qt::blue}, 5, 5));
    panel.setAlign(Timagepanle::Dock::Left);
    shot = panel.grab().toImage();
    EXPECT_EQ(shot.pixelColor(2, 5), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(30, 5), QColor(Qt::green));
    EXPECT_EQ(shot.pixelColor(57, 5), QColor(Qt::blue));
}

TEST(ImagePanel, WritesItsCaptionTwentyPixelsInAndCentred)
{
    Timagepanle panel;
    panel.resize(200, 40);
    panel.Setpicture(strip({Qt::white, Qt::white, Qt::white}, 4, 4));
    panel.setCaption(QStringLiteral("Vorin"));
    QImage shot = panel.grab().toImage();
    int left = 200;
    int top = 40;
    int bottom = 0;
    for (int x = 0; x < 200; ++x)
        for (int y = 0; y < 40; ++y)
            if (shot.pixelColor(x, y).lightness() < 128) {
                left = std::min(left, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    EXPECT_GE(left, 20);
    EXPECT_LE(left, 22);
    EXPECT_NEAR((top + bottom) / 2.0, 20.0, 4.0);
    // Docked at a side: no caption at all.
    panel.setAlign(Timagepanle::Dock::Right);
    shot = panel.grab().toImage();
    for (int x = 0; x < 200; ++x)
        EXPECT_EQ(shot.pixelColor(x, 20), QColor(Qt::white));
}

class ButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        button.Setpicture(strip({Qt::red, Qt::green, Qt::blue, QColor(0, 0, 0, 0)}, 10, 8));
        button.Onclick = [this](Tvrpngbtn* s) {
            EXPECT_EQ(s, &button);
            EXPECT_EQ(button.state(), Tvrpngbtn::Pressed); // clicked on the press, pressed frame shown
            ++clicks;
        };
        button.OnRigthClick = [this](Tvrpngbtn*) { ++rightClicks; };
        button.show();
    }
    QColor shown() { return button.grab().toImage().pixelColor(5, 4); }

    Tvrpngbtn button;
    int clicks = 0;
    int rightClicks = 0;
};

TEST_F(ButtonTest, TakesTheFrameSizeAndShowsTheFrameOfItsState)
{
    EXPECT_EQ(button.size(), QSize(10, 8));
    EXPECT_EQ(shown(), QColor(Qt::red));
    QEnterEvent enter(QPointF(5, 4), QPointF(5, 4), QPointF(5, 4));
    QCoreApplication::sendEvent(&button, &enter);
    EXPECT_EQ(shown(), QColor(Qt::green));
    QTest::mousePress(&button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 4));
    EXPECT_EQ(shown(), QColor(Qt::blue));
    EXPECT_EQ(clicks, 1);
    QTest::mouseRelease(&button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 4));
    EXPECT_EQ(shown(), QColor(Qt::red)); // normal after a click, the pointer still over it
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&button, &leave);
    EXPECT_EQ(button.state(), Tvrpngbtn::Normal);
}

TEST_F(ButtonTest, ClicksAndRightClicksByTheirRules)
{
    QTest::mousePress(&button, Qt::LeftButton, Qt::ControlModifier, QPoint(5, 4));
    QTest::mouseRelease(&button, Qt::LeftButton, Qt::ControlModifier, QPoint(5, 4));
    EXPECT_EQ(clicks, 1); // keys do not matter to the left press
    QTest::mousePress(&button, Qt::RightButton, Qt::NoModifier, QPoint(5, 4));
    QTest::mouseRelease(&button, Qt::RightButton, Qt::NoModifier, QPoint(5, 4));
    EXPECT_EQ(rightClicks, 1);
    for (auto keys : {Qt::ControlModifier, Qt::ShiftModifier, Qt::AltModifier}) {
        QTest::mousePress(&button, Qt::RightButton, keys, QPoint(5, 4));
        QTest::mouseRelease(&button, Qt::RightButton, keys, QPoint(5, 4));
    }
    EXPECT_EQ(rightClicks, 1);
    // Double clicks (press, release, the second press marked double, release): the left one clicks twice,
    // the right one right-clicks once.
    auto doubleClick = [this](Qt::MouseButton which) {
        QTest::mousePress(&button, which, Qt::NoModifier, QPoint(5, 4));
        QTest::mouseRelease(&button, which, Qt::NoModifier, QPoint(5, 4));
        QTest::mouseDClick(&button, which, Qt::NoModifier, QPoint(5, 4));
        QTest::mouseRelease(&button, which, Qt::NoModifier, QPoint(5, 4));
    };
    doubleClick(Qt::LeftButton);
    EXPECT_EQ(clicks, 3);
    doubleClick(Qt::RightButton);
    EXPECT_EQ(rightClicks, 2);
    EXPECT_EQ(button.state(), Tvrpngbtn::Normal);
}

TEST(Button, WithoutAPictureItStillClicks)
{
    Tvrpngbtn button;
    int clicks = 0;
    button.Onclick = [&](Tvrpngbtn*) { ++clicks; };
    button.show();
    EXPECT_EQ(button.size(), QSize(105, 105));
    QTest::mousePress(&button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(button.state(), Tvrpngbtn::Pressed);
    QTest::mouseRelease(&button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(button.state(), Tvrpngbtn::Normal);
}

} // namespace
} // namespace vorin
