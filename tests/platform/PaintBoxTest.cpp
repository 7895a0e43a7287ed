// The paint box through its own interface; the toolkit's widget only to play
// the user's pointer and to read back what was painted.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ExtCtrls.h"
#include "platform/Forms.h"
#include "platform/MessageLoop.h"
#include "platform/linux/ControlImpl.h"

namespace zelvo::platform {
namespace {

class PaintBox : public ::testing::Test {
protected:
    PaintBox() {
        SetExceptionHandler(
            [this](std::exception_ptr e) { failures.push_back(ExceptionMessage(e)); });
        box->SetBounds(0, 0, 40, 10);
    }
    ~PaintBox() override { SetExceptionHandler({}); }

    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QWidget* w = toolkit::WidgetOf(*box);
        QMouseEvent event(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(w, &event);
    }

    TForm form;
    std::unique_ptr<TPaintBox> box = std::make_unique<TPaintBox>(form);
    std::vector<std::string> failures;
};

TEST_F(PaintBox, WhatTheHandlerPaintsIsWhatTheBoxShows) {
    std::vector<TRect> areas;
    box->OnPaint = [&](TCanvas& canvas, const TRect& area) {
        areas.push_back(area);
        canvas.FillRect(0, 0, 40, 10, 0x0000FF);  // red
        canvas.FillRect(10, 0, 5, 10, 0xFF0000);  // blue
    };
    const QImage shown = toolkit::WidgetOf(*box)->grab().toImage();
    ASSERT_FALSE(areas.empty());
    EXPECT_EQ(areas.back().Width(), 40);
    EXPECT_EQ(areas.back().Height(), 10);
    EXPECT_EQ(shown.pixelColor(2, 5), QColor(255, 0, 0));
    EXPECT_EQ(shown.pixelColor(12, 5), QColor(0, 0, 255));
    EXPECT_EQ(shown.pixelColor(20, 5), QColor(255, 0, 0));
}

TEST_F(PaintBox, TheLeftButtonAndTheHoverReachTheHandlersAndNothingElseDoes) {
    std::vector<std::string> heard;
    box->OnMouseDown = [&](TPoint) { heard.push_back("down"); };
    box->OnMouseMove = [&](TPoint) { heard.push_back("move"); };
    box->OnMouseUp = [&] { heard.push_back("up"); };
    box->OnDblClick = [&](TPoint at) {
        heard.push_back("double " + std::to_string(at.x) + "," + std::to_string(at.y));
    };
    box->OnHover = [&](bool on) { heard.push_back(on ? "on" : "off"); };

    Mouse(QEvent::MouseButtonPress, {3, 4}, Qt::RightButton, Qt::RightButton);
    Mouse(QEvent::MouseMove, {5, 4}, Qt::NoButton, Qt::RightButton);
    Mouse(QEvent::MouseButtonRelease, {5, 4}, Qt::RightButton, Qt::NoButton);
    EXPECT_TRUE(heard.empty()) << "the right button is the menu's";

    Mouse(QEvent::MouseButtonPress, {3, 4}, Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseMove, {6, 4}, Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, {6, 4}, Qt::LeftButton, Qt::NoButton);
    Mouse(QEvent::MouseMove, {7, 4}, Qt::NoButton, Qt::NoButton);
    Mouse(QEvent::MouseButtonDblClick, {7, 2}, Qt::LeftButton, Qt::LeftButton);
    QWidget* w = toolkit::WidgetOf(*box);
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(w->mapToGlobal(QPoint(1, 1))));
    QApplication::sendEvent(w, &enter);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(w, &leave);
    // The second press of a double click is a press as well, as the desktop
    // sends it.
    EXPECT_EQ(heard,
              (std::vector<std::string>{"down", "move", "up", "double 7,2", "down", "on", "off"}));
}

TEST_F(PaintBox, APressCarriesTheDesktopPlace) {
    TPoint pressed{-1, -1};
    box->OnMouseDown = [&](TPoint p) { pressed = p; };
    Mouse(QEvent::MouseButtonPress, {3, 4}, Qt::LeftButton, Qt::LeftButton);
    const QPoint global = toolkit::WidgetOf(*box)->mapToGlobal(QPoint(3, 4));
    EXPECT_EQ(pressed, (TPoint{global.x(), global.y()}));
}

TEST_F(PaintBox, AFailingHandlerGoesToTheLoopsHandler) {
    box->OnMouseUp = [] { throw std::runtime_error("broken"); };
    Mouse(QEvent::MouseButtonRelease, {1, 1}, Qt::LeftButton, Qt::NoButton);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("broken"), std::string::npos);
}

TEST(PaintBoxAlone, ABoxWhoseFormWentFirstDoesNothingAndGoesQuietly) {
    auto form = std::make_unique<TForm>();
    auto box = std::make_unique<TPaintBox>(*form);
    form.reset();
    EXPECT_EQ(toolkit::WidgetOf(*box), nullptr);
    EXPECT_FALSE(box->Showing());
    box->Invalidate();
    box->Repaint();
    box->Scroll(-3);
    box.reset();
}

TEST_F(PaintBox, ARepaintOfAShownBoxIsDoneWhenItReturns) {
    int painted = 0;
    box->OnPaint = [&](TCanvas&, const TRect&) { ++painted; };
    form.Show();
    ProcessMessages();
    const int before = painted;
    box->Invalidate();
    EXPECT_EQ(painted, before) << "an invalidated box paints later";
    box->Repaint();
    EXPECT_GT(painted, before);
}

TEST_F(PaintBox, PixelsMoveOnTheDisplayOnlyWhileTheBoxIsShown) {
    std::vector<std::uint32_t> column(10, 0);
    const TPixels uncovered{column.data(), 1, 10, 1};
    EXPECT_FALSE(box->Showing());
    EXPECT_FALSE(box->ShiftPixels(-1, uncovered, 39)) << "nothing on screen to move";
}

}  // namespace
}  // namespace zelvo::platform
