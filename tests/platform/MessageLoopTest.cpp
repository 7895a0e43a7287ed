#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "platform/MessageLoop.h"
#include "platform/WindowTimer.h"
#include "support/DialogRecorder.h"
#include "support/WaitFor.h"

using namespace zelvo::platform;

namespace {

struct Recorded {
    UINT msg;
    WPARAM w;
    LPARAM l;
};

using ::zelvo::testing::WaitFor;

}  // namespace

TEST(PostedMessages, ArriveInOrderAndNeverInsideThePost) {
    std::vector<Recorded> got;
    MessageWindow wnd([&](UINT m, WPARAM w, LPARAM l) -> LRESULT {
        got.push_back({m, w, l});
        return 0;
    });
    for (UINT i = 0; i < 5; ++i)
        ASSERT_TRUE(PostMessage(wnd.Handle(), WM_USER + i, i * 10, -static_cast<LPARAM>(i)));
    EXPECT_TRUE(got.empty());
    ProcessMessages();
    ASSERT_EQ(got.size(), 5u);
    for (UINT i = 0; i < 5; ++i) {
        EXPECT_EQ(got[i].msg, WM_USER + i);
        EXPECT_EQ(got[i].w, i * 10);
        EXPECT_EQ(got[i].l, -static_cast<LPARAM>(i));
    }
}

TEST(PostedMessages, PostedWhileProcessingAreHandledBeforeReturn) {
    int depth = 0;
    std::vector<UINT> order;
    MessageWindow* self = nullptr;
    MessageWindow wnd([&](UINT m, WPARAM, LPARAM) -> LRESULT {
        order.push_back(m);
        if (m < WM_USER + 3)
            PostMessage(self->Handle(), m + 1, 0, 0);
        ++depth;
        return 0;
    });
    self = &wnd;
    PostMessage(wnd.Handle(), WM_USER, 0, 0);
    ProcessMessages();
    EXPECT_EQ(order, (std::vector<UINT>{WM_USER, WM_USER + 1, WM_USER + 2, WM_USER + 3}));
}

TEST(PostedMessages, ForAWindowThatIsGoneAreDroppedSafely) {
    int handled = 0;
    HWND stale = 0;
    {
        MessageWindow wnd([&](UINT, WPARAM, LPARAM) -> LRESULT { return ++handled; });
        stale = wnd.Handle();
        PostMessage(stale, WM_USER, 0, 0);
    }
    EXPECT_FALSE(IsWindow(stale));
    EXPECT_FALSE(PostMessage(stale, WM_USER, 0, 0));
    ProcessMessages();
    EXPECT_EQ(handled, 0);
}

TEST(PostedMessages, AProcedureMayDestroyAWindowWithMessagesQueued) {
    int second = 0;
    auto victim =
        std::make_unique<MessageWindow>([&](UINT, WPARAM, LPARAM) -> LRESULT { return ++second; });
    MessageWindow killer([&](UINT, WPARAM, LPARAM) -> LRESULT {
        victim.reset();
        return 0;
    });
    PostMessage(killer.Handle(), WM_USER, 0, 0);
    PostMessage(victim->Handle(), WM_USER, 0, 0);
    ProcessMessages();
    EXPECT_EQ(second, 0);
}

TEST(PostedMessages, SendRunsTheProcedureAtOnce) {
    MessageWindow wnd(
        [](UINT m, WPARAM w, LPARAM) -> LRESULT { return static_cast<LRESULT>(m + w); });
    EXPECT_EQ(SendMessage(wnd.Handle(), 7, 3, 0), 10);
    EXPECT_EQ(SendMessage(0, 7, 3, 0), 0);
}

TEST(PostedMessages, PumpHandlesOnlyPostedMessages) {
    int handled = 0;
    MessageWindow wnd([&](UINT, WPARAM, LPARAM) -> LRESULT { return ++handled; });
    PostMessage(wnd.Handle(), WM_USER, 0, 0);
    PostMessage(wnd.Handle(), WM_USER, 0, 0);
    PumpPostedMessages();
    EXPECT_EQ(handled, 2);
}

TEST(WaitMessageTest, ReturnsOnceAPostedMessageIsHandled) {
    bool handled = false;
    MessageWindow wnd([&](UINT, WPARAM, LPARAM) -> LRESULT {
        handled = true;
        return 0;
    });
    PostMessage(wnd.Handle(), WM_USER, 0, 0);
    WaitMessage();
    EXPECT_TRUE(handled);
}

TEST(WindowTimerTest, TicksFromTheLoopWhileEnabled) {
    int ticks = 0;
    WindowTimer timer(10, [&] { ++ticks; });
    timer.SetEnabled(true);
    ASSERT_TRUE(WaitFor([&] { return ticks >= 3; }));
    timer.SetEnabled(false);
    int stopped = ticks;
    ProcessMessages();
    EXPECT_EQ(ticks, stopped);
}

TEST(WindowTimerTest, ANewIntervalRestartsThePeriod) {
    int slow = 0;
    int fast = 0;
    WindowTimer timer(3600000, [&] { ++slow; });
    timer.SetEnabled(true);
    timer.SetInterval(5);
    timer.SetOnTimer([&] { ++fast; });
    ASSERT_TRUE(WaitFor([&] { return fast >= 1; }));
    EXPECT_EQ(slow, 0);
    EXPECT_EQ(timer.Interval(), 5u);
}

TEST(WindowTimerTest, ADisabledTimerNeverTicks) {
    int ticks = 0;
    WindowTimer timer(1, [&] { ++ticks; });
    int other = 0;
    WindowTimer witness(20, [&] { ++other; });
    witness.SetEnabled(true);
    ASSERT_TRUE(WaitFor([&] { return other >= 2; }));
    EXPECT_EQ(ticks, 0);
}

TEST(LoopExceptions, AThrowingHandlerReachesTheApplicationHandlerAndTheLoopGoesOn) {
    std::vector<std::string> caught;
    SetExceptionHandler([&](std::exception_ptr e) { caught.push_back(ExceptionMessage(e)); });
    int after = 0;
    MessageWindow wnd([&](UINT m, WPARAM, LPARAM) -> LRESULT {
        if (m == WM_USER)
            throw std::runtime_error("posted failure");
        ++after;
        return 0;
    });
    PostMessage(wnd.Handle(), WM_USER, 0, 0);
    PostMessage(wnd.Handle(), WM_USER + 1, 0, 0);
    ProcessMessages();

    bool timerThrew = false;
    WindowTimer timer(5, [&] {
        timerThrew = true;
        throw std::runtime_error("timer failure");
    });
    timer.SetEnabled(true);
    ASSERT_TRUE(WaitFor([&] { return timerThrew; }));
    timer.SetEnabled(false);
    SetExceptionHandler(nullptr);

    EXPECT_EQ(after, 1);
    ASSERT_GE(caught.size(), 2u);
    EXPECT_EQ(caught[0], "posted failure");
    EXPECT_EQ(caught[1], "timer failure");
}

TEST(LoopExceptions, WithoutAHandlerTheStandardErrorBoxShowsTheMessage) {
    zelvo::testing::DialogRecorder boxes;
    SetExceptionHandler(nullptr);
    MessageWindow wnd([](UINT, WPARAM, LPARAM) -> LRESULT { throw std::runtime_error("plain"); });
    PostMessage(wnd.Handle(), WM_USER, 0, 0);
    ProcessMessages();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "plain");
    EXPECT_EQ(boxes.boxes[0].flags & 0xF0, MB_ICONERROR);
}

TEST(TickCount, IsMonotonic) {
    DWORD a = GetTickCount();
    DWORD b = GetTickCount();
    EXPECT_LE(a, b);
}
