#include "platform/AppWindow.h"

#include <gtest/gtest.h>

#include <QWidget>

#include "platform/MessageLoop.h"

namespace zelvo::platform {
namespace {

class AppWindowTest : public ::testing::Test {
protected:
    AppWindowTest() {
        previousMinimize_ = SetOnApplicationMinimize([this] { ++minimized; });
        previousRestore_ = SetOnApplicationRestore([this] { ++restored; });
        form.resize(200, 20);
        form.show();
        ProcessMessages();
    }
    ~AppWindowTest() override {
        RestoreApplication();
        SetOnApplicationMinimize(std::move(previousMinimize_));
        SetOnApplicationRestore(std::move(previousRestore_));
    }

    QWidget form;
    int minimized = 0;
    int restored = 0;

private:
    ApplicationNotification previousMinimize_;
    ApplicationNotification previousRestore_;
};

TEST_F(AppWindowTest, MinimisingAndRestoringNotifyOncePerChangeOfTheWhole) {
    QWidget second;
    second.show();
    HWND app = ApplicationWindow();
    EXPECT_FALSE(IsIconic(app));

    MinimizeApplication();
    ProcessMessages();
    EXPECT_EQ(1, minimized);
    EXPECT_TRUE(IsIconic(app));
    EXPECT_TRUE(form.isMinimized());

    RestoreApplication();
    ProcessMessages();
    EXPECT_EQ(1, restored);
    EXPECT_FALSE(IsIconic(app));
    EXPECT_FALSE(form.isMinimized());
}

TEST_F(AppWindowTest, UserMinimisingOneWindowNotifies) {
    form.showMinimized();
    ProcessMessages();
    EXPECT_EQ(1, minimized);
    form.showNormal();
    ProcessMessages();
    EXPECT_EQ(1, restored);
}

TEST_F(AppWindowTest, HidingTheApplicationWindowHidesItsFormsUntilRestored) {
    HWND app = ApplicationWindow();
    EXPECT_TRUE(ShowWindow(app, SW_HIDE));
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(ShowWindow(app, SW_RESTORE));
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(ShowWindow(0x1234, SW_HIDE)) << "not a window of the desktop";
}

TEST_F(AppWindowTest, MessagesToTheApplicationWindowReachItsProcedure) {
    int seen = 0;
    SetApplicationWndProc([&](UINT msg, WPARAM, LPARAM) -> LRESULT {
        seen += msg == WM_USER ? 1 : 0;
        return 0;
    });
    EXPECT_TRUE(PostMessage(ApplicationWindow(), WM_USER, 0, 0));
    PumpPostedMessages();
    SetApplicationWndProc(nullptr);
    PostMessage(ApplicationWindow(), WM_USER, 0, 0);
    PumpPostedMessages();
    EXPECT_EQ(1, seen);
    EXPECT_TRUE(SetForegroundWindow(ApplicationWindow()));
    EXPECT_TRUE(LockWindowUpdate(GetDesktopWindow()));
}

}  // namespace
}  // namespace zelvo::platform
