// The strip window through its own interface; the toolkit's widgets only to
// play the desktop's requests and to read back what the window asked for.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/ExtCtrls.h"
#include "platform/MessageLoop.h"
#include "platform/StripForm.h"
#include "platform/linux/ControlImpl.h"

namespace zelvo::platform {
namespace {

class StripWindow : public ::testing::Test {
protected:
    StripWindow() {
        SetExceptionHandler(
            [this](std::exception_ptr e) { failures.push_back(ExceptionMessage(e)); });
        strip.OnClose = [this](TControl*) { heard.push_back("close"); };
    }
    ~StripWindow() override { SetExceptionHandler({}); }

    // The desktop's close box: whether the window let itself be closed.
    bool CloseFromDesktop() {
        QCloseEvent event;
        QApplication::sendEvent(toolkit::WidgetOf(strip), &event);
        return event.isAccepted();
    }

    TStripForm strip{false};
    std::vector<std::string> heard;
    std::vector<std::string> failures;
};

TEST_F(StripWindow, TheCloseQueryDecidesAndAFailingOneKeepsTheStrip) {
    strip.Show();
    strip.OnCloseQuery = [this] {
        heard.push_back("query");
        return false;
    };
    EXPECT_FALSE(CloseFromDesktop());
    strip.Close();
    EXPECT_TRUE(strip.Visible());
    EXPECT_EQ(heard, (std::vector<std::string>{"query", "query"}));

    strip.OnCloseQuery = []() -> bool { throw std::runtime_error("no answer"); };
    EXPECT_FALSE(CloseFromDesktop());
    EXPECT_TRUE(strip.Visible());
    EXPECT_EQ(failures, (std::vector<std::string>{"no answer"}));

    heard.clear();
    strip.OnCloseQuery = [this] {
        heard.push_back("query");
        return true;
    };
    strip.Close();
    EXPECT_FALSE(strip.Visible());
    EXPECT_EQ(heard, (std::vector<std::string>{"query", "close"}));
}

TEST_F(StripWindow, WithoutAQueryItClosesAndAGoneFormHearsNothing) {
    strip.Show();
    strip.Close();
    EXPECT_FALSE(strip.Visible());
    EXPECT_EQ(heard, (std::vector<std::string>{"close"}));

    // The form takes its window with it, and nothing the dying window
    // does reaches the form.
    auto gone = std::make_unique<TStripForm>(true);
    QPointer<QWidget> window = toolkit::WidgetOf(*gone);
    bool ran = false;
    gone->OnResize = [&](TControl*) { ran = true; };
    gone->OnCloseQuery = [&] { return ran = true; };
    gone->OnClose = [&](TControl*) { ran = true; };
    gone->Show();
    ProcessMessages();
    ran = false;
    gone.reset();
    ProcessMessages();
    EXPECT_TRUE(window.isNull());
    EXPECT_FALSE(ran);
}

TEST_F(StripWindow, TheFrameIsDecidedAtCreationAndStayOnTopKeepsTheWindow) {
    QWidget* bare = toolkit::WidgetOf(strip);
    EXPECT_TRUE(bare->windowFlags().testFlag(Qt::FramelessWindowHint));
    TStripForm framed(true);
    EXPECT_FALSE(toolkit::WidgetOf(framed)->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_FALSE(toolkit::WidgetOf(framed)->windowFlags().testFlag(Qt::WindowTitleHint));

    strip.Show();
    ProcessMessages();
    const WId id = bare->winId();
    EXPECT_FALSE(strip.StayOnTop());
    strip.SetStayOnTop(true);
    EXPECT_TRUE(strip.StayOnTop());
    strip.SetStayOnTop(false);
    EXPECT_FALSE(strip.StayOnTop());
    EXPECT_EQ(id, bare->winId()) << "the same window, not a new one";
    EXPECT_TRUE(strip.Visible());
}

TEST_F(StripWindow, ItsTitleIsUtf8AndItsHeightStopsAtTheMaximum) {
    strip.SetCaption("Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(strip.Caption(), "Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(toolkit::WidgetOf(strip)->windowTitle(), QString::fromUtf8("Caf\u00E9 \u20AC"));

    int resized = 0;
    strip.OnResize = [&](TControl*) { ++resized; };
    strip.SetMaxHeight(22);
    strip.SetSize(300, 40);
    strip.Show();
    ProcessMessages();
    EXPECT_EQ(strip.Width(), 300);
    EXPECT_EQ(strip.Height(), 22);
    EXPECT_GE(resized, 1);
    strip.MoveTo(15, 30);
    EXPECT_EQ(strip.Left(), 15);
    EXPECT_EQ(strip.Top(), 30);
    EXPECT_GE(TStripForm::DragDistance(), 1);
}

TEST_F(StripWindow, AContextMenuOverAControlAndAKeyReachTheStripsHandlers) {
    TPaintBox box(strip);
    box.SetBounds(0, 0, 100, 20);
    std::vector<TPoint> menus;
    strip.OnContextMenu = [&](TPoint at) { menus.push_back(at); };
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(30, 5), QPoint(330, 755));
    QApplication::sendEvent(toolkit::WidgetOf(box), &click);
    EXPECT_EQ(menus, (std::vector<TPoint>{{330, 755}}));

    std::vector<std::pair<bool, bool>> keys;
    strip.OnKeyDown = [&](bool shift, bool ctrl) { keys.emplace_back(shift, ctrl); };
    for (Qt::KeyboardModifiers mods :
         {Qt::KeyboardModifiers(Qt::ShiftModifier), Qt::ShiftModifier | Qt::ControlModifier,
          Qt::KeyboardModifiers(Qt::NoModifier)}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_R, mods);
        QApplication::sendEvent(toolkit::WidgetOf(strip), &press);
    }
    EXPECT_EQ(keys,
              (std::vector<std::pair<bool, bool>>{{true, false}, {true, true}, {false, false}}));
}

}  // namespace
}  // namespace zelvo::platform
