// The strip window on Win32, played with the messages the desktop sends: how
// it stands to the taskbar and to other windows, its close query, its title,
// its sizing limit, and the menu and keys reaching its handlers.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/MessageLoop.h"
#include "platform/StripForm.h"
#include "platform/win32/ControlImpl.h"

namespace zelvo::platform {
namespace {

using win32::WindowOf;

LONG_PTR StyleOf(::HWND w) {
    return ::GetWindowLongPtrW(w, GWL_STYLE);
}
LONG_PTR ExStyleOf(::HWND w) {
    return ::GetWindowLongPtrW(w, GWL_EXSTYLE);
}

SIZE ClientSize(::HWND w) {
    RECT rc{};
    ::GetClientRect(w, &rc);
    return SIZE{rc.right, rc.bottom};
}

class Win32Strip : public ::testing::Test {
protected:
    void SetUp() override {
        if (WindowOf(strip) == nullptr)
            GTEST_SKIP() << "no display to make windows on";
    }

    TStripForm strip{false};
};

TEST_F(Win32Strip, ABarePopupWithoutTaskbarButtonAndAFramedOneSizesByItsBorder) {
    ::HWND bare = WindowOf(strip);
    EXPECT_NE(StyleOf(bare) & WS_POPUP, 0);
    EXPECT_EQ(StyleOf(bare) & (WS_CAPTION | WS_THICKFRAME), 0);
    EXPECT_NE(ExStyleOf(bare) & WS_EX_TOOLWINDOW, 0);
    EXPECT_EQ(ExStyleOf(bare) & WS_EX_APPWINDOW, 0);

    TStripForm framed(true);
    ::HWND w = WindowOf(framed);
    EXPECT_NE(StyleOf(w) & WS_THICKFRAME, 0);
    EXPECT_NE(StyleOf(w) & WS_CAPTION, WS_CAPTION) << "a framed strip has no title bar";
    // The size asked for is the inside, whatever the frame takes.
    framed.SetSize(400, 30);
    EXPECT_EQ(ClientSize(w).cx, 400);
    EXPECT_EQ(ClientSize(w).cy, 30);
}

TEST_F(Win32Strip, StayOnTopIsToldToTheSameWindowAndShowingTakesNoFocus) {
    ::HWND before = WindowOf(strip);
    strip.SetSize(300, 22);
    strip.Show();
    EXPECT_TRUE(::IsWindowVisible(before));
    EXPECT_NE(::GetActiveWindow(), before);

    strip.SetStayOnTop(true);
    EXPECT_TRUE(strip.StayOnTop());
    EXPECT_NE(ExStyleOf(before) & WS_EX_TOPMOST, 0);
    strip.SetStayOnTop(false);
    EXPECT_FALSE(strip.StayOnTop());
    EXPECT_EQ(WindowOf(strip), before);
    EXPECT_TRUE(::IsWindowVisible(before));
}

TEST_F(Win32Strip, TheCloseQueryDecidesAndAFailingOneKeepsTheStrip) {
    std::vector<std::string> events;
    bool allow = false;
    strip.OnCloseQuery = [&] {
        events.push_back("query");
        return allow;
    };
    strip.OnClose = [&](TControl*) { events.push_back("close"); };
    strip.Show();

    ::SendMessageW(WindowOf(strip), WM_CLOSE, 0, 0);
    EXPECT_EQ(events, (std::vector<std::string>{"query"}));
    EXPECT_TRUE(::IsWindowVisible(WindowOf(strip)));

    // A query that throws is no yes: the strip stays, and the failure goes
    // to the program's handler.
    std::vector<std::string> failures;
    SetExceptionHandler(
        [&](std::exception_ptr error) { failures.push_back(ExceptionMessage(error)); });
    strip.OnCloseQuery = []() -> bool { throw std::runtime_error("query failed"); };
    ::SendMessageW(WindowOf(strip), WM_CLOSE, 0, 0);
    SetExceptionHandler(nullptr);
    EXPECT_TRUE(::IsWindowVisible(WindowOf(strip)));
    EXPECT_EQ(failures, (std::vector<std::string>{"query failed"}));

    strip.OnCloseQuery = [&] {
        events.push_back("query");
        return true;
    };
    ::SendMessageW(WindowOf(strip), WM_CLOSE, 0, 0);
    EXPECT_EQ(events, (std::vector<std::string>{"query", "query", "close"}));
    EXPECT_FALSE(::IsWindowVisible(WindowOf(strip)));
    // Closing hides: the window is still there to show again.
    EXPECT_NE(WindowOf(strip), nullptr);
}

TEST_F(Win32Strip, ItsTitleIsUtf8AndItsHeightStopsAtTheMaximum) {
    strip.SetCaption("Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(strip.Caption(), "Caf\xC3\xA9 \xE2\x82\xAC");
    wchar_t title[16] = {};
    ::GetWindowTextW(WindowOf(strip), title, 16);
    EXPECT_EQ(std::wstring(title), L"Caf\u00E9 \u20AC");

    strip.SetSize(500, 60);
    strip.SetMaxHeight(40);
    EXPECT_EQ(ClientSize(WindowOf(strip)).cy, 40);
    strip.SetSize(500, 80);
    EXPECT_EQ(ClientSize(WindowOf(strip)).cy, 40);
    // The user's sizing stops there too.
    MINMAXINFO info{};
    info.ptMaxTrackSize = POINT{4000, 4000};
    ::SendMessageW(WindowOf(strip), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMaxTrackSize.y, 40);
}

TEST_F(Win32Strip, TheMenuAndKeysReachTheHandlersAndAGoneStripHearsNothing) {
    std::vector<TPoint> menus;
    std::vector<std::pair<bool, bool>> keys;
    strip.OnContextMenu = [&](TPoint at) { menus.push_back(at); };
    strip.OnKeyDown = [&](bool shift, bool ctrl) { keys.emplace_back(shift, ctrl); };
    strip.MoveTo(100, 200);
    strip.SetSize(300, 22);

    ::HWND w = WindowOf(strip);
    ::SendMessageW(w, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w), MAKELPARAM(130, 210));
    // From the menu key: no place, so the strip's corner.
    ::SendMessageW(w, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w), static_cast<LPARAM>(-1));
    ASSERT_EQ(menus.size(), 2u);
    EXPECT_EQ(menus[0].x, 130);
    EXPECT_EQ(menus[0].y, 210);
    EXPECT_EQ(menus[1].x, 100);
    EXPECT_EQ(menus[1].y, 200);

    BYTE state[256] = {};
    ::GetKeyboardState(state);
    state[VK_SHIFT] = 0x80;
    state[VK_CONTROL] = 0;
    ::SetKeyboardState(state);
    ::SendMessageW(w, WM_KEYDOWN, 'R', 1);
    state[VK_CONTROL] = 0x80;
    ::SetKeyboardState(state);
    ::SendMessageW(w, WM_KEYDOWN, 'R', 1);
    state[VK_SHIFT] = 0;
    state[VK_CONTROL] = 0;
    ::SetKeyboardState(state);
    ::SendMessageW(w, WM_KEYDOWN, 'R', 1);
    EXPECT_EQ(keys,
              (std::vector<std::pair<bool, bool>>{{true, false}, {true, true}, {false, false}}));

    int resized = 0;
    {
        TStripForm gone(false);
        gone.OnResize = [&](TControl*) { ++resized; };
        gone.SetSize(200, 22);
        EXPECT_GT(resized, 0);
        resized = 0;
    }
    EXPECT_EQ(resized, 0);
    EXPECT_GE(TStripForm::DragDistance(), 1);
}

}  // namespace
}  // namespace zelvo::platform
