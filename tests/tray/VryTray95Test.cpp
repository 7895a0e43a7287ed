#include "tray/VryTray95.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/TrayFakes.h"
#include "platform/AppWindow.h"
#include "platform/MessageLoop.h"

namespace zelvo::tray {
namespace {

using namespace platform;
using testing::FakeInput;
using testing::FakeNotificationArea;
using testing::FormOwner;
using testing::ManualClock;
using testing::MenuRecorder;

class TrayIconTest : public ::testing::Test {
protected:
    TrayIconTest() : tray(&owner), clock(tray.Timers()) {}

    void Notify(UINT mouseMessage) {
        PostMessage(tray.Handle(), WM_TRAYNOTIFY, kTrayIconId, static_cast<LPARAM>(mouseMessage));
        PumpPostedMessages();
    }
    void Click(UINT down) {
        Notify(down);
        Notify(down + 1);
    }
    void DoubleClick(UINT down) {
        Click(down);
        Notify(down + 2);
        Notify(down + 1);
    }

    FakeNotificationArea shell;
    FakeInput input;
    MenuRecorder menus;
    FormOwner owner;
    TVryTrayIcon95 tray;
    ManualClock clock;
    std::vector<std::string> events;
};

// --- creation and the shell record -----------------------------------------

TEST(TrayIconCreation, OwnerMustBeAForm) {
    testing::FakeNotificationArea shell;
    FormOwner notAForm(false);
    for (TVryTrayOwner* owner :
         {static_cast<TVryTrayOwner*>(nullptr), static_cast<TVryTrayOwner*>(&notAForm)}) {
        try {
            TVryTrayIcon95 tray(owner);
            ADD_FAILURE() << "created without a form";
        } catch (const EInvalidOperation& e) {
            EXPECT_STREQ("TrayIcons must be owned by a Form !", e.what());
        }
    }
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(TrayIconTest, ActivationAddsIconWithFixedRecordAndDeactivationRemovesIt) {
    HICON icon = LoadIconResource("MAINICON");
    tray.SetIcon(icon);
    tray.SetHint("Zelvo is running");
    EXPECT_TRUE(shell.calls.empty()) << "nothing reaches the shell while inactive";

    tray.SetActive(true);
    tray.SetActive(true);
    ASSERT_EQ(1u, shell.calls.size());
    const testing::ShellCall& add = shell.Last();
    EXPECT_EQ(NIM_ADD, add.message);
    EXPECT_EQ(tray.Handle(), add.data.hWnd);
    EXPECT_EQ(42u, add.data.uID);
    EXPECT_EQ(7u, add.data.uFlags);
    EXPECT_EQ(1124u, add.data.uCallbackMessage);
    EXPECT_EQ(88u, add.data.cbSize);
    EXPECT_EQ(icon, add.data.hIcon);
    EXPECT_EQ("Zelvo is running", add.Tip());

    tray.SetActive(false);
    tray.SetActive(false);
    ASSERT_EQ(2u, shell.calls.size());
    EXPECT_EQ(NIM_DELETE, shell.Last().message);
}

TEST_F(TrayIconTest, PropertiesReadWhileLoadingAddTheIconOnceAtLoaded) {
    FormOwner form;
    TVryTrayIcon95 loading(&form);
    loading.BeginLoading();
    loading.SetActive(true);
    loading.SetHint("Zelvo is running");
    loading.SetAutoPopup(true);
    loading.SetState(tsDisabled);
    EXPECT_TRUE(shell.calls.empty());
    loading.Loaded();
    ASSERT_EQ(1u, shell.calls.size());
    EXPECT_EQ(NIM_ADD, shell.Last().message);
    EXPECT_EQ("Zelvo is running", shell.Last().Tip());
    EXPECT_TRUE(loading.Active());
}

TEST_F(TrayIconTest, HintIsCutTo63CharactersAndHiddenWithoutShowHint) {
    tray.SetActive(true);
    for (size_t length : {100u, 300u}) {
        tray.SetHint(std::string(length, 'h'));
        EXPECT_EQ(NIM_MODIFY, shell.Last().message);
        EXPECT_EQ(std::string(63, 'h'), shell.Last().Tip()) << length;
    }
    tray.SetHint("short");
    EXPECT_EQ("short", shell.Last().Tip());

    size_t before = shell.calls.size();
    tray.SetHint("short");
    EXPECT_EQ(before, shell.calls.size()) << "an unchanged hint is not sent again";

    tray.SetShowHint(false);
    EXPECT_EQ("", shell.Last().Tip());
    tray.SetHint("another");
    EXPECT_EQ("", std::string(tray.Tip()));
    tray.SetShowHint(true);
    EXPECT_EQ("another", shell.Last().Tip());
}

TEST_F(TrayIconTest, NewIconIsSentToTheShellWhileActive) {
    tray.SetActive(true);
    HICON icon = LoadIconResource("MAINICON");
    tray.SetIcon(icon);
    EXPECT_EQ(NIM_MODIFY, shell.Last().message);
    EXPECT_EQ(icon, shell.Last().data.hIcon);
}

// --- state -------------------------------------------------------------------

TEST_F(TrayIconTest, StateWrittenWhileInactiveIsOnlyStored) {
    HICON normal = LoadIconResource("MAINICON");
    auto disabled = std::make_shared<HICON>(LoadIconResource("MAINICON"));
    tray.SetIcon(normal);
    tray.SetDisabledIcon(*disabled);
    int changing = 0;
    tray.OnStateChanging = [&](TVryObject*, TVryTrayIconState&) { ++changing; };
    tray.SetState(tsDisabled);
    EXPECT_EQ(tsDisabled, tray.State());
    EXPECT_EQ(0, changing);
    EXPECT_TRUE(shell.calls.empty());

    tray.SetActive(true);
    EXPECT_EQ(*disabled, shell.Last().data.hIcon) << "the disabled picture shows on activation";
}

TEST_F(TrayIconTest, StateChangeWhileActiveAsksHandlerWhichMayReplaceValue) {
    HICON normal = LoadIconResource("MAINICON");
    tray.SetIcon(normal);
    tray.SetActive(true);
    std::vector<TVryTrayIconState> asked;
    tray.OnStateChanging = [&](TVryObject* sender, TVryTrayIconState& next) {
        EXPECT_EQ(&tray, sender);
        asked.push_back(next);
        next = tsEnabled;
    };
    tray.SetState(tsDisabled);
    EXPECT_EQ(std::vector<TVryTrayIconState>{tsDisabled}, asked);
    EXPECT_EQ(tsEnabled, tray.State());
    tray.SetState(tsEnabled);
    EXPECT_EQ(1u, asked.size()) << "an unchanged state asks nobody";

    tray.OnStateChanging = nullptr;
    tray.SetState(tsDisabled);
    EXPECT_EQ(tsDisabled, tray.State());
    EXPECT_EQ(nullptr, shell.Last().data.hIcon) << "no disabled picture was given";
}

TEST_F(TrayIconTest, WritingStateFromStateChangingHandlerIsRefused) {
    tray.SetActive(true);
    std::string error;
    tray.OnStateChanging = [&](TVryObject*, TVryTrayIconState&) {
        try {
            tray.SetState(tsAnimated);
        } catch (const EInvalidOperation& e) {
            error = e.what();
            throw;
        }
    };
    EXPECT_THROW(tray.SetState(tsDisabled), EInvalidOperation);
    EXPECT_EQ("You cannot modify the state property in the OnStateChanging event !!!", error);
    EXPECT_EQ(tsEnabled, tray.State());

    tray.OnStateChanging = nullptr;
    tray.SetState(tsDisabled);
    EXPECT_EQ(tsDisabled, tray.State()) << "the guard does not outlive the refused write";
}

TEST_F(TrayIconTest, FailingStateChangingHandlerDoesNotLeaveGuardSet) {
    tray.SetActive(true);
    tray.OnStateChanging = [](TVryObject*, TVryTrayIconState&) {
        throw std::runtime_error("handler failed");
    };
    EXPECT_THROW(tray.SetState(tsDisabled), std::runtime_error);
    tray.OnStateChanging = nullptr;
    EXPECT_NO_THROW(tray.SetState(tsDisabled));
    EXPECT_EQ(tsDisabled, tray.State());
}

// --- clicks --------------------------------------------------------------------

TEST_F(TrayIconTest, WithDoubleClickHandlerSingleClickIsDecidedAfterTheWait) {
    tray.OnClick = [&](TVryObject* sender) {
        EXPECT_EQ(&tray, sender);
        events.push_back("click");
    };
    tray.OnDblClick = [&](TVryObject*) { events.push_back("dblclick"); };
    Click(WM_LBUTTONDOWN);
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(tray.MsgWindow().ClickItem().Enabled());
    clock.Advance(399);
    EXPECT_TRUE(events.empty());
    clock.Advance(1);
    EXPECT_EQ(std::vector<std::string>{"click"}, events);
    clock.Run(2000, 150);
    EXPECT_EQ(1u, events.size());
}

TEST_F(TrayIconTest, WithDoubleClickHandlerDoubleClickFiresOnlyDoubleClick) {
    tray.OnClick = [&](TVryObject*) { events.push_back("click"); };
    tray.OnDblClick = [&](TVryObject* sender) {
        EXPECT_EQ(&tray, sender);
        events.push_back("dblclick");
    };
    DoubleClick(WM_LBUTTONDOWN);
    EXPECT_EQ(std::vector<std::string>{"dblclick"}, events);
    clock.Run(2000, 150);
    EXPECT_EQ(std::vector<std::string>{"dblclick"}, events);
    EXPECT_FALSE(tray.MsgWindow().ClickItem().Enabled());
}

TEST_F(TrayIconTest, WithoutDoubleClickHandlerEveryPressClicksRightAfterTheNotification) {
    tray.OnClick = [&](TVryObject*) { events.push_back("click"); };
    PostMessage(tray.Handle(), WM_TRAYNOTIFY, kTrayIconId, WM_MBUTTONDOWN);
    PumpPostedMessages();
    EXPECT_EQ(std::vector<std::string>{"click"}, events)
        << "deferred behind the notification, not timed";
    EXPECT_EQ(2, tray.MsgWindow().LastButton());

    events.clear();
    DoubleClick(WM_LBUTTONDOWN);
    Click(WM_LBUTTONDOWN);
    EXPECT_EQ((std::vector<std::string>{"click", "click"}), events);
    EXPECT_FALSE(tray.MsgWindow().ClickItem().Enabled());
}

TEST_F(TrayIconTest, RightPressWithAutoPopupOpensMenuAtOnceAndFiresNoClick) {
    auto menu = std::make_shared<PopupMenu>();
    bool chosen = false;
    menu->AddItem("&Retrieve", [&] { chosen = true; });
    tray.SetPopupMenu(menu);
    tray.SetAutoPopup(true);
    tray.OnClick = [&](TVryObject*) { events.push_back("click"); };
    input.pos = {640, 1010};
    Notify(WM_MOUSEMOVE);
    menus.choose = 0;

    int appMessages = 0;
    SetApplicationWndProc([&](UINT msg, WPARAM, LPARAM) -> LRESULT {
        appMessages += msg == WM_USER ? 1 : 0;
        return 0;
    });
    Click(WM_RBUTTONDOWN);
    ProcessMessages();
    SetApplicationWndProc(nullptr);

    ASSERT_EQ(1u, menus.opened.size());
    EXPECT_EQ((TPoint{640, 1010}), menus.opened[0]);
    EXPECT_TRUE(chosen);
    EXPECT_EQ(1, appMessages) << "WM_USER goes to the application window after tracking";
    clock.Run(1000, 150);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(1, tray.MsgWindow().LastButton());
}

TEST_F(TrayIconTest, RightPressWithoutAutoPopupIsAClick) {
    auto menu = std::make_shared<PopupMenu>();
    menu->AddItem("&Retrieve");
    tray.SetPopupMenu(menu);
    tray.OnClick = [&](TVryObject*) { events.push_back("click"); };
    Click(WM_RBUTTONDOWN);
    EXPECT_EQ(std::vector<std::string>{"click"}, events);
    EXPECT_TRUE(menus.opened.empty());
}

TEST_F(TrayIconTest, MenuReferenceGoesWithTheMenu) {
    auto menu = std::make_shared<PopupMenu>();
    menu->AddItem("E&xit");
    tray.SetPopupMenu(menu);
    EXPECT_EQ(menu, tray.PopupMenu());
    menu.reset();
    EXPECT_EQ(nullptr, tray.PopupMenu());
    tray.ShowPopupMenu();
    EXPECT_TRUE(menus.opened.empty());
}

// --- hovering -----------------------------------------------------------------

TEST_F(TrayIconTest, PointerEnteringRestingAndLeavingTheIcon) {
    struct Seen {
        std::string what;
        TVryObject* sender;
        TShiftState shift;
        TPoint pos;
    };
    std::vector<Seen> seen;
    tray.OnMouseEnter = [&](TVryObject* s, TShiftState sh, int x, int y) {
        seen.push_back({"enter", s, sh, {x, y}});
    };
    tray.OnMouseExit = [&](TVryObject* s, TShiftState sh, int x, int y) {
        seen.push_back({"exit", s, sh, {x, y}});
    };
    tray.OnMouseMove = [&](TVryObject* s, TShiftState sh, int x, int y) {
        seen.push_back({"move", s, sh, {x, y}});
    };

    input.pos = {800, 1000};
    input.down = {VK_SHIFT};
    Notify(WM_MOUSEMOVE);
    ASSERT_EQ(1u, seen.size()) << "the first move only enters";
    EXPECT_EQ("enter", seen[0].what);
    EXPECT_EQ(&tray, seen[0].sender);
    EXPECT_EQ(ssShift, seen[0].shift);
    EXPECT_EQ((TPoint{800, 1000}), seen[0].pos);
    EXPECT_TRUE(tray.MsgWindow().PollItem().Enabled());

    input.down.clear();
    input.pos = {801, 1001};
    Notify(WM_MOUSEMOVE);
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ("move", seen[1].what);
    EXPECT_EQ(&tray.MsgWindow(), seen[1].sender);

    // Resting, or straying up to 2 pixels, keeps the hover.
    input.pos = {803, 999};
    clock.Run(700, 70);
    EXPECT_EQ(2u, seen.size());

    input.pos = {804, 1001};
    clock.Advance(70);
    ASSERT_EQ(3u, seen.size());
    EXPECT_EQ("exit", seen[2].what);
    EXPECT_EQ(&tray, seen[2].sender);
    EXPECT_EQ((TPoint{801, 1001}), seen[2].pos) << "where the shell last saw the pointer";
    EXPECT_FALSE(tray.MsgWindow().Inside());
    EXPECT_FALSE(tray.MsgWindow().PollItem().Enabled());

    Notify(WM_MOUSEMOVE);
    ASSERT_EQ(4u, seen.size());
    EXPECT_EQ("enter", seen[3].what) << "the next move starts a new hover";
}

TEST_F(TrayIconTest, MoveEventsWaitForTheClickDecision) {
    int moves = 0;
    tray.OnMouseMove = [&](TVryObject*, TShiftState, int, int) { ++moves; };
    tray.OnDblClick = [](TVryObject*) {};
    Notify(WM_MOUSEMOVE);
    EXPECT_EQ(1, moves) << "without enter and exit handlers the first move already counts";
    Notify(WM_LBUTTONDOWN);
    Notify(WM_MOUSEMOVE);
    EXPECT_EQ(1, moves);
    clock.Advance(400);
    Notify(WM_MOUSEMOVE);
    EXPECT_EQ(2, moves);
}

TEST_F(TrayIconTest, UnreadablePointerKeepsTheHover) {
    int exits = 0;
    tray.OnMouseEnter = [](TVryObject*, TShiftState, int, int) {};
    tray.OnMouseExit = [&](TVryObject*, TShiftState, int, int) { ++exits; };
    Notify(WM_MOUSEMOVE);
    input.readable = false;
    clock.Run(350, 70);
    EXPECT_EQ(0, exits);
    EXPECT_TRUE(tray.MsgWindow().Inside());
}

// --- deferred calls, session end, minimising ------------------------------------

TEST_F(TrayIconTest, OnePendingDeferredCallAndItsFailureIsSwallowed) {
    tray.PostDeferredCall([&] { events.push_back("first"); });
    tray.PostDeferredCall([&] {
        events.push_back("second");
        throw std::runtime_error("ignored");
    });
    PumpPostedMessages();
    EXPECT_EQ(std::vector<std::string>{"second"}, events);
}

TEST_F(TrayIconTest, SessionEndRemovesTheIcon) {
    tray.SetActive(true);
    EXPECT_EQ(1, SendMessage(tray.Handle(), WM_QUERYENDSESSION, 0, 0));
    SendMessage(tray.Handle(), WM_ENDSESSION, 0, 0);
    EXPECT_TRUE(tray.Active()) << "the session goes on";
    SendMessage(tray.Handle(), WM_ENDSESSION, 1, 0);
    EXPECT_FALSE(tray.Active());
    EXPECT_EQ(NIM_DELETE, shell.Last().message);
    EXPECT_EQ(0, SendMessage(tray.Handle(), WM_CLOSE, 0, 0));
}

class MinimizeRecorder : public TVryTrayIcon95 {
public:
    using TVryTrayIcon95::TVryTrayIcon95;
    std::vector<std::string> calls;

protected:
    void MinimizeApplication() override { calls.push_back("minimize"); }
    void RestoreApplication() override { calls.push_back("restore"); }
};

TEST_F(TrayIconTest, MinimiseAndRestoreAreDeferredWhileActive) {
    FormOwner form;
    MinimizeRecorder icon(&form);
    icon.OnAppMinimize = [&](TVryObject*) { events.push_back("OnAppMinimize"); };
    icon.OnAppRestore = [&](TVryObject*) { events.push_back("OnAppRestore"); };

    icon.ApplicationMinimized();
    PumpPostedMessages();
    EXPECT_TRUE(icon.calls.empty()) << "inactive";
    EXPECT_EQ(std::vector<std::string>{"OnAppMinimize"}, events);

    icon.SetActive(true);
    icon.ApplicationMinimized();
    EXPECT_TRUE(icon.calls.empty()) << "runs after the current message";
    PumpPostedMessages();
    icon.ApplicationRestored();
    PumpPostedMessages();
    EXPECT_EQ((std::vector<std::string>{"minimize", "restore"}), icon.calls);

    icon.SetOptions(0);
    icon.ApplicationMinimized();
    PumpPostedMessages();
    EXPECT_EQ(2u, icon.calls.size()) << "without toMinimizeToTray only the event fires";
    EXPECT_EQ(4u, events.size());
}

TEST_F(TrayIconTest, RestoreShowsAHiddenMainFormAndBalancesTheScreenLock) {
    tray.SetActive(true);
    owner.visible = false;
    tray.ApplicationRestored();
    PumpPostedMessages();
    EXPECT_EQ(1, owner.shown);
    EXPECT_EQ(0, TVryTrayIcon95::ScreenLockCount());

    owner.visible = false;
    owner.failShow = true;
    tray.ApplicationRestored();
    PumpPostedMessages();
    EXPECT_EQ(0, TVryTrayIcon95::ScreenLockCount())
        << "a failed restore does not leave the screen locked";
}

TEST_F(TrayIconTest, DestroyingAnActiveIconRemovesItAndDropsQueuedNotifications) {
    FormOwner form;
    auto icon = std::make_unique<TVryTrayIcon95>(&form);
    int clicks = 0;
    icon->OnClick = [&](TVryObject*) { ++clicks; };
    icon->SetActive(true);
    PostMessage(icon->Handle(), WM_TRAYNOTIFY, kTrayIconId, WM_LBUTTONDOWN);
    icon.reset();
    PumpPostedMessages();
    EXPECT_EQ(0, clicks);
    EXPECT_EQ(NIM_DELETE, shell.Last().message);
}

}  // namespace
}  // namespace zelvo::tray
