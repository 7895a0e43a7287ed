// An icon drawn for several sizes: a place of any size gets the drawing
// that suits it, so a large place is not filled with a blown-up small one.
#include "platform/linux/IconData.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

namespace zelvo::platform {
namespace {

QImage Filled(int side, QColor colour) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

TEST(IconSizes, ThePlaceGetsTheSmallestDrawingAtLeastAsLargeAsItself) {
    IconData icon(Filled(16, Qt::red), "test",
                  {Filled(64, Qt::blue), Filled(32, Qt::green), Filled(22, Qt::yellow)});
    // Exactly a drawn size: that drawing, untouched.
    EXPECT_EQ(Filled(32, Qt::green), icon.Picture(32));
    EXPECT_EQ(Filled(16, Qt::red), icon.Picture(16));
    // Between sizes: the next larger one, brought down.
    QImage at44 = icon.Picture(44);
    EXPECT_EQ(QSize(44, 44), at44.size());
    EXPECT_EQ(QColor(Qt::blue), at44.pixelColor(22, 22));
    EXPECT_EQ(QColor(Qt::yellow), icon.Picture(20).pixelColor(10, 10));
    // Larger than every drawing: the largest, brought up.
    QImage at100 = icon.Picture(100);
    EXPECT_EQ(QSize(100, 100), at100.size());
    EXPECT_EQ(QColor(Qt::blue), at100.pixelColor(50, 50));
}

TEST(IconSizes, AnIconOfOneSizeServesEverySize) {
    IconData icon(Filled(32, Qt::green), "test");
    EXPECT_EQ(QSize(48, 48), icon.Picture(48).size());
    EXPECT_EQ(QSize(16, 16), icon.Picture(16).size());
    EXPECT_EQ(QColor(Qt::green), icon.Picture(16).pixelColor(8, 8));
}

}  // namespace
}  // namespace zelvo::platform
