// A form's showing, closing and modal loop under the system's dialog keys,
// played with the messages the desktop sends.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Forms.h"
#include "platform/MessageLoop.h"
#include "platform/StdCtrls.h"
#include "platform/win32/ControlImpl.h"

namespace zelvo::platform {
namespace {

using win32::FocusTarget;
using win32::WindowOf;

std::map<UINT_PTR, std::function<void()>>& Waiting() {
    static std::map<UINT_PTR, std::function<void()>> waiting;
    return waiting;
}

void CALLBACK RunWaiting(::HWND, ::UINT, UINT_PTR id, ::DWORD) {
    ::KillTimer(nullptr, id);
    auto found = Waiting().find(id);
    if (found == Waiting().end())
        return;
    auto fn = std::move(found->second);
    Waiting().erase(found);
    fn();
}

// Runs fn once the modal loop has started, or that many milliseconds later.
UINT_PTR Later(std::function<void()> fn, ::UINT delay = 0) {
    const UINT_PTR id = ::SetTimer(nullptr, 0, delay, RunWaiting);
    Waiting()[id] = std::move(fn);
    return id;
}

// A key as the desktop delivers it: queued for the window with the focus.
void PostKey(::HWND focus, ::WPARAM key) {
    ::PostMessageW(focus, WM_KEYDOWN, key, 1);
    ::PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
}

class Win32Forms : public ::testing::Test {
protected:
    void SetUp() override {
        if (WindowOf(form) == nullptr)
            GTEST_SKIP() << "no display to make windows on";
        form.OnShow = [this](TControl*) { events.push_back("show"); };
        form.OnHide = [this](TControl*) { events.push_back("hide"); };
        // A loop the test fails to end must not hang the suite.
        watchdog = Later(
            [this] {
                ADD_FAILURE() << "the modal loop was still running";
                form.SetModalResult(-1);
            },
            10000);
    }
    void TearDown() override {
        ::KillTimer(nullptr, watchdog);
        Waiting().erase(watchdog);
    }

    std::vector<std::string> events;
    TForm form;
    UINT_PTR watchdog = 0;
};

TEST_F(Win32Forms, ShowAndHideReachTheirHandlersOncePerChange) {
    EXPECT_FALSE(form.Visible());
    form.Show();
    form.Show();
    EXPECT_TRUE(form.Visible());
    EXPECT_TRUE(::IsWindowVisible(WindowOf(form)));
    form.Hide();
    form.Hide();
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(events, (std::vector<std::string>{"show", "hide"}));
}

TEST_F(Win32Forms, ShowModalReturnsTheResultAButtonSets) {
    TButton ok(form, "OK");
    ok.OnClick = [this](TControl*) { form.SetModalResult(mrOk); };
    bool modalInside = false;
    Later([&] {
        modalInside = form.Modal();
        ::SendMessageW(WindowOf(ok), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_TRUE(modalInside);
    EXPECT_FALSE(form.Visible());
    EXPECT_FALSE(form.Modal());
    EXPECT_EQ(events, (std::vector<std::string>{"show", "hide"}));
}

TEST_F(Win32Forms, EscapeCancelsWithoutAHandlerAndRunsTheHandlerInsteadWithOne) {
    TEdit field(form);
    Later([&] { PostKey(FocusTarget(field), VK_ESCAPE); });
    EXPECT_EQ(form.ShowModal(), mrCancel);

    int cancels = 0;
    bool visibleAfterFirst = false;
    form.OnCancel = [&](TControl*) {
        ++cancels;
        if (cancels == 1) {
            visibleAfterFirst = true;
            PostKey(FocusTarget(field), VK_ESCAPE);
        } else {
            form.SetModalResult(mrOk);
        }
    };
    Later([&] { PostKey(FocusTarget(field), VK_ESCAPE); });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_EQ(cancels, 2);
    EXPECT_TRUE(visibleAfterFirst) << "the handler decides";
}

TEST_F(Win32Forms, EnterPressesTheDefaultButtonWhereverItSits) {
    TPanel panel(form);
    TEdit field(form);
    TButton cancel(panel, "Cancel"), ok(panel, "OK");
    ok.SetDefault(true);
    EXPECT_TRUE(ok.Default());
    EXPECT_FALSE(cancel.Default());
    std::vector<std::string> clicked;
    ok.OnClick = [&](TControl*) {
        clicked.push_back("ok");
        form.SetModalResult(mrOk);
    };
    cancel.OnClick = [&](TControl*) { clicked.push_back("cancel"); };
    Later([&] {
        field.SetFocus();
        PostKey(FocusTarget(field), VK_RETURN);
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_EQ(clicked, (std::vector<std::string>{"ok"}));
}

TEST_F(Win32Forms, TheTabKeyWalksTheControlsInTheirOrder) {
    TEdit first(form);
    TCheckBox box(form, "Box");
    TEdit last(form);
    std::vector<::HWND> focused;
    Later([&] {
        first.SetFocus();
        PostKey(FocusTarget(first), VK_TAB);
        Later([&] {
            focused.push_back(::GetFocus());
            PostKey(::GetFocus(), VK_TAB);
            Later([&] {
                focused.push_back(::GetFocus());
                form.SetModalResult(mrOk);
            });
        });
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_EQ(focused, (std::vector<::HWND>{WindowOf(box), WindowOf(last)}));
}

TEST_F(Win32Forms, CloseRunsItsHandlerThenHidesAndEndsAModalLoop) {
    form.Show();
    int closes = 0;
    bool visibleInHandler = false;
    form.OnClose = [&](TControl*) {
        ++closes;
        visibleInHandler = form.Visible();
    };
    form.Close();
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(visibleInHandler);
    EXPECT_FALSE(form.Visible());

    form.OnClose = [&](TControl*) {
        ++closes;
        form.SetModalResult(mrOk);
    };
    // The close box sends WM_CLOSE.
    Later([this] { ::PostMessageW(WindowOf(form), WM_CLOSE, 0, 0); });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_EQ(closes, 2);

    form.OnClose = nullptr;
    Later([this] { form.Close(); });
    EXPECT_EQ(form.ShowModal(), mrCancel);
}

TEST_F(Win32Forms, AModalFormKeepsInputFromTheProgramsOtherWindows) {
    TForm other;
    other.Show();
    bool otherEnabledInside = true;
    Later([&] {
        otherEnabledInside = ::IsWindowEnabled(WindowOf(other)) != FALSE;
        form.SetModalResult(mrOk);
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_FALSE(otherEnabledInside);
    EXPECT_TRUE(::IsWindowEnabled(WindowOf(other)));
}

TEST_F(Win32Forms, TheLoopsOwnWindowsGetTheirMessagesWhileAFormIsModal) {
    std::vector<::LPARAM> timers;
    MessageWindow window([&](UINT msg, WPARAM, LPARAM lParam) -> LRESULT {
        if (msg == WM_TIMER)
            timers.push_back(lParam);
        return 0;
    });
    Later([&] {
        // A posted timer message carrying data, not a procedure's address.
        PostMessage(window.Handle(), WM_TIMER, 7, 0x1234);
        PostMessage(window.Handle(), WM_USER, 0, 0);
        Later([this] { form.SetModalResult(mrOk); });
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_EQ(timers, (std::vector<::LPARAM>{0x1234}));
}

TEST_F(Win32Forms, AFormDestroyedWhileShownOrModalRunsNoHandlerAndEndsItsLoop) {
    std::vector<std::string> seen;
    {
        TForm shown;
        TEdit field(shown);
        shown.OnHide = [&](TControl*) { seen.push_back("hide"); };
        field.OnChange = [&](TControl*) { seen.push_back("change"); };
        shown.Show();
    }
    EXPECT_TRUE(seen.empty());

    auto modal = std::make_unique<TForm>();
    modal->OnHide = [&](TControl*) { seen.push_back("hide"); };
    Later([&] { modal.reset(); });
    EXPECT_EQ(modal->ShowModal(), mrCancel);
    EXPECT_EQ(modal, nullptr);
    EXPECT_TRUE(seen.empty());
}

TEST_F(Win32Forms, FittingFixesTheSizeAtTheContentsButNeverBelowTheLeast) {
    TLabel wide(form, std::string(200, 'W'));
    form.ArrangeInColumn().Add(wide);
    form.FitToContents(100, 80);
    EXPECT_GT(form.Width(), 100);
    EXPECT_EQ(form.Height(), 80) << "one line needs less than the least";
    const int fitted = form.Width();
    EXPECT_EQ(::GetWindowLongPtrW(WindowOf(form), GWL_STYLE) & WS_THICKFRAME, 0)
        << "the user cannot resize it";
    wide.SetCaption("W");
    form.FitToContents(100, 80);
    EXPECT_EQ(form.Width(), 100);
    EXPECT_LT(form.Width(), fitted);
}

TEST_F(Win32Forms, AFontChangeIsReportedSoTheFormCanFitItsControls) {
    int fits = 0;
    form.OnFontChange = [&](TControl*) { ++fits; };
    TFont f = form.Font();
    f.Size = f.Size > 0 ? f.Size + 4 : 14;
    form.SetFont(f);
    EXPECT_EQ(fits, 1);
}

TEST_F(Win32Forms, MovingPlacesTheFrame) {
    form.MoveTo(40, 30);
    RECT frame{};
    ::GetWindowRect(WindowOf(form), &frame);
    EXPECT_EQ(frame.left, 40);
    EXPECT_EQ(frame.top, 30);
    EXPECT_EQ(form.Left(), 40);
}

}  // namespace
}  // namespace zelvo::platform
