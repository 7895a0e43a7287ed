// Drawing with GDI: text in a colour lands in pixels of that colour inside
// the clip, text metrics grow with every character, and a paint box paints
// through its handler and hears the mouse as the desktop reports it.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ExtCtrls.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "platform/MessageLoop.h"
#include "platform/win32/ControlImpl.h"

namespace zelvo::platform {
namespace {

using win32::WindowOf;

constexpr std::uint32_t kRgb = 0xFFFFFF;

TFont Face(int height) {
    TFont face;
    face.Name = "Tahoma";
    face.Height = height;
    return face;
}

int CountPixels(const TBitmap& bitmap, std::uint32_t rgb, int left = 0, int right = -1) {
    if (right < 0)
        right = bitmap.Width();
    int n = 0;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = left; x < right; ++x)
            n += (bitmap.ScanLine(y)[x] & kRgb) == rgb ? 1 : 0;
    return n;
}

TEST(Win32Canvas, TextInAColourLandsInPixelsOfThatColourAndOnlyInsideTheClip) {
    const TTextMetrics metrics(Face(20));
    TBitmap bitmap(metrics.Width("HHHH HHHH") + 10, metrics.Height() + 6);
    bitmap.Fill(0x000000);
    const int half = bitmap.Width() / 2;
    {
        TCanvas canvas(bitmap);
        canvas.SetFont(Face(20));
        canvas.SetTextColor(0x0000FF);  // red
        canvas.SetClip(0, 0, half, bitmap.Height());
        canvas.TextOut(2, 3 + metrics.Ascent(), "HHHH HHHH");
    }
    EXPECT_GT(CountPixels(bitmap, 0xFF0000, 0, half), 10) << "red strokes left of the clip's edge";
    EXPECT_EQ(CountPixels(bitmap, 0xFF0000, half), 0);
    EXPECT_EQ(bitmap.Width() * bitmap.Height() - CountPixels(bitmap, 0, half, -1) -
                  CountPixels(bitmap, 0, 0, half),
              CountPixels(bitmap, 0xFF0000, 0, half) +
                  (bitmap.Width() * bitmap.Height() - CountPixels(bitmap, 0) -
                   CountPixels(bitmap, 0xFF0000)))
        << "nothing beyond the clip changed";
}

TEST(Win32Canvas, ACanvasGivesTheBitmapBackAsFound) {
    TBitmap bitmap(8, 8);
    bitmap.Fill(0xFFFFFF);
    {
        TCanvas canvas(bitmap);
        canvas.SetClip(0, 0, 2, 2);
    }
    {
        TCanvas canvas(bitmap);
        canvas.FillRect(0, 0, 8, 8, 0x00FF00);
    }
    EXPECT_EQ(CountPixels(bitmap, 0x00FF00), 64) << "an earlier canvas's clip is gone";
    TBitmap copy(8, 8);
    {
        TCanvas onCopy(copy);
        TCanvas onSource(bitmap);  // a bitmap drawn on can be drawn from
        onCopy.Draw(0, 0, bitmap, 0, 0, 8, 8);
    }
    EXPECT_EQ(CountPixels(copy, 0x00FF00), 64);
}

TEST(Win32TextMetrics, WidthsGrowWithEveryCharacterHoweverManyBytesItTakes) {
    const TTextMetrics metrics(Face(14));
    // UTF-8 of "Café – “quoted” ©€".
    const std::string text =
        "Caf\xC3\xA9 \xE2\x80\x93 \xE2\x80\x9Cquoted\xE2\x80\x9D \xC2\xA9\xE2\x82\xAC";
    const std::vector<int> edges = metrics.Edges(text);
    ASSERT_EQ(edges.size(), 19u) << "one edge per character and the end";
    for (std::size_t i = 1; i < edges.size(); ++i)
        EXPECT_GT(edges[i], edges[i - 1]) << "character " << i;
    EXPECT_EQ(edges.back(), metrics.Width(text));
    std::string prefix;
    int previous = 0;
    for (const char* piece : {"C", "a", "f", "\xC3\xA9", "\xE2\x82\xAC"}) {
        prefix += piece;
        const int width = metrics.Width(prefix);
        EXPECT_GT(width, previous) << prefix;
        previous = width;
    }
    EXPECT_GT(TTextMetrics(Face(28)).Width(text), metrics.Width(text));
    EXPECT_GT(TTextMetrics(Face(28)).Height(), metrics.Height());
}

class Win32PaintBox : public ::testing::Test {
protected:
    void SetUp() override {
        if (WindowOf(form) == nullptr)
            GTEST_SKIP() << "no display to make windows on";
        SetExceptionHandler(
            [this](std::exception_ptr e) { failures.push_back(ExceptionMessage(e)); });
        box.SetBounds(0, 0, 60, 20);
        form.SetBounds(50, 50, 100, 40);
    }
    void TearDown() override { SetExceptionHandler({}); }

    TForm form;
    TPaintBox box{form};
    std::vector<std::string> failures;
};

TEST_F(Win32PaintBox, WhatTheHandlerPaintsIsWhatTheBoxShows) {
    int paints = 0;
    box.OnPaint = [&](TCanvas& canvas, const TRect& area) {
        ++paints;
        canvas.FillRect(area.Left, area.Top, area.Width(), area.Height(), 0x0000FF);
        canvas.FillRect(30, 0, 30, 20, 0x00FF00);
    };
    form.Show();
    ::UpdateWindow(WindowOf(box));
    EXPECT_GE(paints, 1);
    EXPECT_TRUE(box.Showing());
    ::HDC dc = ::GetDC(WindowOf(box));
    EXPECT_EQ(::GetPixel(dc, 5, 5), RGB(255, 0, 0));
    EXPECT_EQ(::GetPixel(dc, 45, 5), RGB(0, 255, 0));
    ::ReleaseDC(WindowOf(box), dc);

    box.Invalidate();
    const int before = paints;
    ::UpdateWindow(WindowOf(box));
    EXPECT_EQ(paints, before + 1);
}

TEST_F(Win32PaintBox, TheLeftButtonAndTheHoverReachTheHandlersAndNothingElseDoes) {
    std::vector<std::string> seen;
    TPoint pressed;
    box.OnMouseDown = [&](TPoint p) {
        seen.push_back("down");
        pressed = p;
    };
    box.OnMouseMove = [&](TPoint) { seen.push_back("move"); };
    box.OnMouseUp = [&] { seen.push_back("up"); };
    box.OnDblClick = [&](TPoint at) { seen.push_back("dbl " + std::to_string(at.x)); };
    box.OnHover = [&](bool on) { seen.push_back(on ? "in" : "out"); };
    form.Show();
    ::HWND w = WindowOf(box);
    ::SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(3, 4));
    ::SendMessageW(w, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 4));
    ::SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 4));
    ::SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 4));
    ::SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(5, 4));
    ::SendMessageW(w, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(7, 4));
    ::SendMessageW(w, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(seen, (std::vector<std::string>{"in", "down", "move", "up", "dbl 7", "out"}));
    POINT screen{3, 4};
    ::ClientToScreen(w, &screen);
    EXPECT_EQ(pressed, (TPoint{screen.x, screen.y})) << "a press carries the desktop place";
}

TEST_F(Win32PaintBox, AFailingHandlerGoesToTheLoopsHandler) {
    box.OnMouseUp = [] { throw std::runtime_error("mouse up failed"); };
    ::SendMessageW(WindowOf(box), WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(failures, (std::vector<std::string>{"mouse up failed"}));
}

TEST_F(Win32PaintBox, PixelsMoveOnTheDisplayOnlyWhileTheBoxIsShown) {
    std::vector<std::uint32_t> column(20, 0x0000FF);  // blue, as 0x00RRGGBB
    const TPixels uncovered{column.data(), 1, 20, 1};
    EXPECT_FALSE(box.ShiftPixels(-1, uncovered, 59));
    box.OnPaint = [](TCanvas& canvas, const TRect& area) {
        canvas.FillRect(area.Left, area.Top, area.Width(), area.Height(), 0xFFFFFF);
    };
    form.Show();
    ::UpdateWindow(WindowOf(box));
    EXPECT_TRUE(box.ShiftPixels(-1, uncovered, 59));
    ::HDC dc = ::GetDC(WindowOf(box));
    EXPECT_EQ(::GetPixel(dc, 59, 10), RGB(0, 0, 255));
    EXPECT_EQ(::GetPixel(dc, 58, 10), RGB(255, 255, 255));
    ::ReleaseDC(WindowOf(box), dc);
}

TEST(Win32PaintBoxAlone, ABoxWhoseFormWentFirstDoesNothingAndGoesQuietly) {
    auto form = std::make_unique<TForm>();
    if (WindowOf(*form) == nullptr)
        GTEST_SKIP() << "no display to make windows on";
    TPaintBox box(*form);
    box.OnPaint = [](TCanvas&, const TRect&) { FAIL() << "painted without a window"; };
    form.reset();
    EXPECT_FALSE(box.Showing());
    box.Invalidate();
    box.Scroll(4);
    EXPECT_FALSE(box.ShiftPixels(1, TPixels{}, 0));
}

}  // namespace
}  // namespace zelvo::platform
