// The strip between the character steps: the text drawn once and moved by
// pixels, held still under the pointer, and dragged only past the drag
// distance.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <string>

#include "app/MainZv3.h"
#include "app/SmoothScroll.h"
#include "app/TickerImage.h"
#include "app/TickerLabel.h"
#include "config/LiveSettings.h"
#include "platform/Dialogs.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "platform/MessageLoop.h"
#include "platform/linux/ControlImpl.h"
#include "support/DialogRecorder.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "support/TrayFakes.h"

using namespace zelvo;
using app::TfrmMain;
using app::TSmoothScroll;
using app::TTickerImage;
using app::TTickerLabel;
using platform::toolkit::WidgetOf;

namespace {

QFont Fixed() {
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(13);
    font.setStyleHint(QFont::Monospace);
    return font;
}

// The same face as the image sets its text in.
platform::TFont FixedFace() {
    platform::TFont face;
    face.Name = "DejaVu Sans Mono";
    face.Height = 13;
    return face;
}

// The share of pixels of b that match no pixel of a at the same place or one
// pixel beside it: glyphs placed at whole pixels per piece may sit a
// fraction of a pixel off the glyphs of one line drawn whole.
double Mismatch(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return 1;
    auto close = [](QRgb p, QRgb q) {
        return std::abs(qRed(p) - qRed(q)) < 96 && std::abs(qGreen(p) - qGreen(q)) < 96 &&
               std::abs(qBlue(p) - qBlue(q)) < 96;
    };
    int bad = 0;
    for (int y = 0; y < b.height(); ++y) {
        for (int x = 0; x < b.width(); ++x) {
            bool ok = false;
            for (int dx = -1; dx <= 1 && !ok; ++dx) {
                const int ax = std::clamp(x + dx, 0, a.width() - 1);
                ok = close(a.pixel(ax, y), b.pixel(x, y));
            }
            bad += ok ? 0 : 1;
        }
    }
    return static_cast<double>(bad) / (b.width() * b.height());
}

void Wait(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

}  // namespace

TEST(TickerImage, PositionsRunAcrossPiecesAndSkipTheMnemonicPrefix) {
    const QFontMetrics m(Fixed());
    auto advance = [&m](const std::string& s) {
        return m.horizontalAdvance(QString::fromStdString(s));
    };
    TTickerImage image;
    image.SetLook(FixedFace(), 0, 0xFFFFFF);
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += static_cast<char>('a' + i % 26);
    image.SetText(text);
    // Across the pieces the text is drawn in, a position is off by at most a
    // pixel a piece from the text measured whole.
    int before = -1;
    for (std::size_t i = 0; i <= 300; ++i) {
        const int x = image.XOf(i);
        EXPECT_GT(x, before) << i;
        EXPECT_NEAR(x, advance(text.substr(0, i)), 1 + static_cast<int>(i) / 40) << i;
        EXPECT_EQ(image.CharAt(x), i < 300 ? static_cast<long>(i) : -1) << i;
        before = x;
    }
    EXPECT_EQ(image.XOf(400), image.XOf(300)) << "past the end: the text's width";
    EXPECT_EQ(image.CharAt(-1), -1);

    // "&&" shows one ampersand, "&c" an underlined c: a prefix takes no room.
    TTickerImage marked;
    marked.SetLook(FixedFace(), 0, 0xFFFFFF);
    marked.SetText("a&&b&cd");
    const std::vector<int> expected{0,
                                    advance("a"),
                                    advance("a"),
                                    advance("a&"),
                                    advance("a&b"),
                                    advance("a&b"),
                                    advance("a&bc"),
                                    advance("a&bcd")};
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(marked.XOf(i), expected[i]) << i;
    EXPECT_EQ(marked.CharAt(advance("a") + 1), 2) << "the ampersand drawn";
    EXPECT_EQ(marked.CharAt(advance("a&b") + 1), 5);

    // A pair that would straddle two pieces stays in one: one ampersand
    // drawn, nothing underlined.
    std::string straddle(47, 'x');
    straddle += "&&yz";
    marked.SetText(straddle);
    EXPECT_EQ(marked.XOf(48), marked.XOf(47));
    EXPECT_NEAR(marked.XOf(51), advance(std::string(47, 'x') + "&yz"), 2);

    // A reading of plain text: every ampersand is a character of its own.
    TTickerImage plain;
    plain.SetLook(FixedFace(), 0, 0xFFFFFF);
    plain.SetText("a&&b&cd", false);
    EXPECT_EQ(plain.XOf(2), advance("a&"));
    EXPECT_EQ(plain.XOf(5), advance("a&&b&"));
    EXPECT_EQ(plain.XOf(7), advance("a&&b&cd"));
}

TEST(TickerImage, APlainTextDrawsItsAmpersandsAsTheyAre) {
    // A headline's ampersand is a character like any other: drawn, and
    // nothing after it underlined.
    TTickerImage plain;
    plain.SetLook(FixedFace(), 0, 0xFFFFFF);
    plain.SetText("Salt & Pepper &Co", false);
    TTickerImage marked;
    marked.SetLook(FixedFace(), 0, 0xFFFFFF);
    marked.SetText("Salt && Pepper &&Co");
    const int width = plain.XOf(17);
    ASSERT_EQ(width, marked.XOf(19));
    std::vector<std::uint32_t> plainRows(static_cast<std::size_t>(width) * 21, 0x123456);
    std::vector<std::uint32_t> markedRows = plainRows;
    plain.CopyPixels(plainRows.data(), width, 0, 0, width, 21);
    marked.CopyPixels(markedRows.data(), width, 0, 0, width, 21);
    EXPECT_TRUE(plainRows == markedRows);
}

TEST(TickerImage, AFrameDrawnFromTheImageIsTheCaptionDrawnByCharacters) {
    const std::string text =
        "Loopback news &&more: Alpha river bridge opens, Second story, "
        "Third story with a longer headline than the others";
    platform::TForm host;
    TTickerLabel label(host);
    label.SetTextFont(FixedFace());
    label.SetBounds(0, 0, 600, 21);
    label.SetBackcolor(0x102030);
    label.SetForeColor(0xE0F0FF);
    TTickerImage image;
    image.SetLook(label.TextFont(), label.Backcolor(), label.ForeColor());
    image.SetText(text);

    // (A frame that starts between the two of a doubled ampersand differs:
    // there the characters' caption reads a mnemonic the whole text has not.)
    for (std::size_t start : {0u, 14u, 16u, 33u}) {
        label.ShowImage(nullptr, 0, 0, 0);
        label.SetCaption(" " + text.substr(start));
        const QImage byCharacters = WidgetOf(label.Box())->grab().toImage();
        const int blank = platform::TTextMetrics(label.TextFont()).Width(" ");
        const int from = image.XOf(start);
        label.ShowImage(&image, from - blank, from, image.XOf(start + 225));
        const QImage byPixels = WidgetOf(label.Box())->grab().toImage();
        EXPECT_LT(Mismatch(byCharacters, byPixels), 0.01) << "frame at " << start;
    }
}

TEST(TickerImage, ALongTextKeepsFewImagesWhileItScrolls) {
    TTickerImage image;
    image.SetLook(FixedFace(), 0, 0xFFFFFF);
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += static_cast<char>('a' + i % 26);
    image.SetText(text);
    platform::TBitmap row(800, 21);
    platform::TCanvas canvas(row);
    for (int x = 0; x < image.XOf(20000); x += 97)
        image.Draw(canvas, x, x, x + 800, 21);
    EXPECT_LE(image.ImagesHeld(), 64u);
    EXPECT_GT(image.ImagesHeld(), 0u);
}

TEST(SmoothScroll, GlidesFromOneFrameToTheNextAtTheCharacterStepsSpeed) {
    platform::TForm host;
    TTickerLabel label(host);
    label.SetTextFont(FixedFace());
    label.SetBounds(0, 0, 600, 21);
    TSmoothScroll smooth(label);
    std::string text(400, 'n');
    const int blank = platform::TTextMetrics(label.TextFont()).Width(" ");
    TTickerImage image;
    image.SetLook(label.TextFont(), label.Backcolor(), label.ForeColor());
    image.SetText(text);
    auto X = [&image](std::size_t i) { return image.XOf(i); };

    // A later frame: one blank of indent, two characters a tick of 400 ms.
    smooth.Frame(text, true, 10, 1, 2, 400);
    EXPECT_EQ(smooth.Offset(), X(10) - blank);
    Wait(200);
    // Halfway in time is about halfway in pixels (the steps come at most
    // 60 a second, and the clock of a busy machine is coarse).
    EXPECT_GT(smooth.Offset(), X(10) - blank);
    EXPECT_LT(smooth.Offset(), X(12) - blank);
    Wait(400);
    EXPECT_EQ(smooth.Offset(), X(12) - blank) << "the next frame's place, and no further";

    // Held still while paused, on from there once let go.
    smooth.Frame(text, true, 12, 1, 2, 400);
    Wait(100);
    smooth.SetPaused(true);
    const int held = smooth.Offset();
    Wait(300);
    EXPECT_EQ(smooth.Offset(), held);
    smooth.SetPaused(false);
    Wait(600);
    EXPECT_EQ(smooth.Offset(), X(14) - blank);

    // The first frame's indent of six blanks closes as the text moves on.
    smooth.Frame(text, true, 0, 6, 2, 200);
    EXPECT_EQ(smooth.Offset(), -6 * blank);
    Wait(400);
    EXPECT_EQ(smooth.Offset(), X(2) - blank);
}

TEST(SmoothScroll, NothingGlidesWithoutAStepToGlideAcross) {
    platform::TForm host;
    TTickerLabel label(host);
    label.SetTextFont(FixedFace());
    label.SetBounds(0, 0, 600, 21);
    TSmoothScroll smooth(label);
    const std::string text(400, 'n');
    for (int step : {0, -3, 226, 2147483647}) {
        smooth.Frame(text, true, 5, 1, step, 100);
        const int at = smooth.Offset();
        Wait(150);
        EXPECT_EQ(smooth.Offset(), at) << "step " << step;
    }
    // The end of the text: the next frame starts the cycle again, so this
    // one stands.
    smooth.Frame(text, true, 400, 1, 2, 100);
    const int end = smooth.Offset();
    Wait(150);
    EXPECT_EQ(smooth.Offset(), end);
    EXPECT_GE(TSmoothScroll::StepsPerSecond(), 1);
    EXPECT_LE(TSmoothScroll::StepsPerSecond(), 60);
}

namespace {

class StripPointer : public ::testing::Test {
protected:
    zelvo::testing::TempDir dir;
    zelvo::testing::ScopedEnv home{"XDG_CONFIG_HOME", dir.Path()};
    zelvo::testing::DialogRecorder boxes;
    zelvo::testing::FakeNotificationArea tray;

    void SetUp() override {
        config::Live() = {};
        config::Live().BorderOn = false;
    }
    void TearDown() override { platform::SetExceptionHandler(nullptr); }

    static void Send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        const QPoint global = w->mapToGlobal(at);
        QMouseEvent e(type, QPointF(at), QPointF(global), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
};

}  // namespace

TEST_F(StripPointer, TheTextHoldsStillUnderThePointerAndGoesOnFromThereAfter) {
    for (bool smooth : {true, false}) {
        config::Live().SmoothScroll = smooth;
        TfrmMain form({1280, 800, std::nullopt});
        form.FormCreate();
        form.Show();
        // The offscreen pointer enters every window shown.
        platform::ProcessMessages();
        form.StripHovered(false);
        form.Scroller.TickerText = "Headlines of the day, one after another, as the feed gave them";
        form.Scroller.ScrollPos = 1;
        form.timerCaption.SetInterval(100);
        form.timerCaption.SetEnabled(true);
        Wait(250);
        ASSERT_GT(form.Scroller.ScrollPos, 1);

        QEnterEvent enter(QPointF(20, 10), QPointF(20, 10), QPointF(20, 10));
        QApplication::sendEvent(WidgetOf(form.lblTicker.Box()), &enter);
        const std::int32_t held = form.Scroller.ScrollPos;
        const std::string caption = form.lblTicker.Caption();
        const int offset = form.Smooth->Offset();
        Wait(450);
        EXPECT_EQ(form.Scroller.ScrollPos, held) << "smooth " << smooth;
        EXPECT_EQ(form.lblTicker.Caption(), caption);
        EXPECT_EQ(form.Smooth->Offset(), offset);
        EXPECT_TRUE(form.timerCaption.Enabled()) << "the schedule of the steps stays";

        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(WidgetOf(form.lblTicker.Box()), &leave);
        Wait(250);
        EXPECT_GT(form.Scroller.ScrollPos, held);
        EXPECT_LE(form.Scroller.ScrollPos, held + 3 * config::Live().ScrollStep)
            << "from where it stopped, not from where it would have been";
        EXPECT_EQ(form.Smooth->Active(), smooth);
        form.timerCaption.SetEnabled(false);
    }
}

TEST_F(StripPointer, APressMovesNothingUntilThePointerPassesTheDragDistance) {
    TfrmMain form({1280, 800, std::nullopt});
    form.FormCreate();
    form.Show();
    platform::ProcessMessages();
    const QPoint origin(form.Left(), form.Top());
    const int d = TfrmMain::DragDistance();
    QWidget* label = WidgetOf(form.lblTicker.Box());

    Send(label, QEvent::MouseButtonPress, {100, 10}, Qt::LeftButton);
    Send(label, QEvent::MouseMove, {100 + d - 1, 10}, Qt::LeftButton);
    EXPECT_EQ(QPoint(form.Left(), form.Top()), origin) << "a shaky click is no drag";
    Send(label, QEvent::MouseButtonRelease, {100 + d - 1, 10}, Qt::NoButton);
    EXPECT_EQ(QPoint(form.Left(), form.Top()), origin);

    // Past the distance the strip follows the pointer from the press on
    // (here without a window manager to hand the move to).
    Send(label, QEvent::MouseButtonPress, {100, 10}, Qt::LeftButton);
    Send(label, QEvent::MouseMove, {100, 10 - d - 20}, Qt::LeftButton);
    EXPECT_EQ(QPoint(form.Left(), form.Top()), origin + QPoint(0, -d - 20));
    Send(label, QEvent::MouseButtonRelease, {100, 10 - d - 20}, Qt::NoButton);

    // A move with the button up is no drag.
    const QPoint after(form.Left(), form.Top());
    Send(label, QEvent::MouseMove, {300, 10}, Qt::NoButton);
    EXPECT_EQ(QPoint(form.Left(), form.Top()), after);
}

TEST_F(StripPointer, WithAWorkAreaAndNoBottomPanelTheStripSitsOnTheBottomEdge) {
    TfrmMain form({1280, 800, std::nullopt, {}, true});
    form.FormCreate();
    EXPECT_EQ(form.StripTop(), 800 - TfrmMain::kStripHeight);
    TfrmMain older({1280, 800, std::nullopt, {}, false});
    EXPECT_EQ(older.TaskbarHeight, 28);
}
