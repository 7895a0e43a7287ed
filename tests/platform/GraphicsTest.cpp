// Text measured and drawn through the canvas, and bitmaps read back by rows:
// the colours keep their channels, a copy lands where it is asked to, and a
// character is one character however the toolkit stores it.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/Graphics.h"

namespace zelvo::platform {
namespace {

constexpr std::uint32_t kRgb = 0xFFFFFF;

TFont Mono() {
    TFont face;
    face.Name = "DejaVu Sans Mono";
    face.Height = 13;
    return face;
}

std::uint32_t PixelAt(const TBitmap& bitmap, int x, int y) {
    return bitmap.ScanLine(y)[x] & kRgb;
}

// How many pixels of the row differ from the colour.
int Inked(const TBitmap& bitmap, int y, std::uint32_t back) {
    int n = 0;
    for (int x = 0; x < bitmap.Width(); ++x)
        n += PixelAt(bitmap, x, y) != back ? 1 : 0;
    return n;
}

TEST(Graphics, ColoursGoInRedFirstAndComeOutAsRowsOfRedGreenBlue) {
    TBitmap bitmap(4, 3);
    bitmap.Fill(0x0000FF);  // red
    EXPECT_EQ(PixelAt(bitmap, 0, 0), 0xFF0000u);
    {
        TCanvas canvas(bitmap);
        canvas.FillRect(1, 1, 2, 1, 0x30201);  // blue 3, green 2, red 1
    }
    EXPECT_EQ(PixelAt(bitmap, 1, 1), 0x010203u);
    EXPECT_EQ(PixelAt(bitmap, 2, 1), 0x010203u);
    EXPECT_EQ(PixelAt(bitmap, 0, 1), 0xFF0000u) << "outside the rectangle";
    EXPECT_EQ(PixelAt(bitmap, 3, 1), 0xFF0000u);
    EXPECT_EQ(PixelAt(bitmap, 1, 2), 0xFF0000u);
}

TEST(Graphics, ADrawnPartLandsAtItsPlaceAndNothingElseMoves) {
    TBitmap source(6, 2);
    source.Fill(0);
    {
        TCanvas canvas(source);
        for (int x = 0; x < 6; ++x)
            canvas.FillRect(x, 0, 1, 2, x + 1);
    }
    TBitmap target(5, 2);
    target.Fill(0xFFFFFF);
    {
        TCanvas canvas(target);
        canvas.Draw(1, 1, source, 2, 0, 3, 1);  // columns 2..4 of the top row
    }
    EXPECT_EQ(PixelAt(target, 0, 1), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(target, 1, 1), 0x030000u);
    EXPECT_EQ(PixelAt(target, 3, 1), 0x050000u);
    EXPECT_EQ(PixelAt(target, 4, 1), 0xFFFFFFu);
    EXPECT_EQ(Inked(target, 0, 0xFFFFFF), 0) << "the row above stays";

    // A clipped canvas leaves what lies outside the clip.
    {
        TCanvas canvas(target);
        canvas.SetClip(0, 0, 2, 2);
        canvas.FillRect(0, 0, 5, 2, 0);
    }
    EXPECT_EQ(PixelAt(target, 1, 0), 0u);
    EXPECT_EQ(PixelAt(target, 2, 0), 0xFFFFFFu);
}

TEST(Graphics, ABitmapMovedTakesItsPixelsAndLeavesNothingBehind) {
    TBitmap first(3, 2);
    first.Fill(0x00FF00);
    TBitmap second = std::move(first);
    EXPECT_TRUE(first.Empty());  // NOLINT(bugprone-use-after-move)
    ASSERT_FALSE(second.Empty());
    EXPECT_EQ(second.Width(), 3);
    EXPECT_EQ(second.Height(), 2);
    EXPECT_EQ(PixelAt(second, 2, 1), 0x00FF00u);
    second = TBitmap();
    EXPECT_TRUE(second.Empty());
    EXPECT_TRUE(TBitmap().Empty());
}

TEST(Graphics, EdgesCountCharactersNotTheToolkitsUnits) {
    const TTextMetrics metrics(Mono());
    // Two bytes, three bytes, four bytes (beyond the first plane) and one.
    const std::string text = "\u00E9\u20AC\U0001D400a";
    const std::vector<int> edges = metrics.Edges(text);
    ASSERT_EQ(edges.size(), 5u);
    EXPECT_EQ(edges.front(), 0);
    EXPECT_EQ(edges.back(), metrics.Width(text));
    for (std::size_t i = 1; i < edges.size(); ++i)
        EXPECT_GE(edges[i], edges[i - 1]) << i;
    EXPECT_EQ(edges[1], metrics.Width("\u00E9"));
    EXPECT_EQ(metrics.Edges(""), std::vector<int>{0});
    EXPECT_GT(metrics.Height(), 0);
    EXPECT_GT(metrics.Ascent(), 0);
    EXPECT_LE(metrics.Ascent(), metrics.Height());
}

TEST(Graphics, AFontWithoutASizeIsEightPoints) {
    TFont unsized = Mono();
    unsized.Height = 0;
    TFont eight = unsized;
    eight.Size = 8;
    TFont twenty = unsized;
    twenty.Size = 20;
    const std::string text = "Wide enough to tell sizes apart";
    EXPECT_EQ(TTextMetrics(unsized).Width(text), TTextMetrics(eight).Width(text));
    EXPECT_GT(TTextMetrics(twenty).Width(text), TTextMetrics(eight).Width(text));
}

TEST(Graphics, TextIsDrawnAtItsBaselineAndAnUnderlineTakesNoRoom) {
    const TFont face = Mono();
    const TTextMetrics metrics(face);
    const int height = metrics.Height() + 4;
    const int baseline = 2 + metrics.Ascent();
    auto draw = [&](bool underline, int& advance) {
        TBitmap row(metrics.Width("xxxx") + 4, height);
        row.Fill(0);
        TCanvas canvas(row);
        canvas.SetFont(face);
        canvas.SetTextColor(0xFFFFFF);
        advance = canvas.TextOut(0, baseline, "xxxx", underline);
        return row;
    };
    int plainAdvance = 0;
    int underlinedAdvance = 0;
    const TBitmap plain = draw(false, plainAdvance);
    const TBitmap underlined = draw(true, underlinedAdvance);
    EXPECT_EQ(plainAdvance, metrics.Width("xxxx"));
    EXPECT_EQ(underlinedAdvance, plainAdvance);
    // Ink lies above the baseline, none above the ascent's top.
    EXPECT_GT(Inked(plain, baseline - 2, 0), 0);
    EXPECT_EQ(Inked(plain, 0, 0), 0);
    // The underline is a row of ink below the baseline the plain text has not.
    int plainBelow = 0;
    int underlinedBelow = 0;
    for (int y = baseline; y < height; ++y) {
        plainBelow += Inked(plain, y, 0);
        underlinedBelow += Inked(underlined, y, 0);
    }
    EXPECT_EQ(plainBelow, 0) << "an x has no descender";
    EXPECT_GE(underlinedBelow, plainAdvance - 2);
}

}  // namespace
}  // namespace zelvo::platform
