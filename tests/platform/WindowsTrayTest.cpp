// The notification area through the shell, under Wine's own taskbar.
#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "platform/Icon.h"
#include "platform/MessageLoop.h"
#include "platform/TrayNotify.h"
#include "platform/win32/ShellHooks.h"
#include "platform/win32/Win32.h"

// After the system's main header, which it needs.
#include <shellapi.h>

// The platform's own function, not the system's narrow one.
#undef Shell_NotifyIcon

namespace zelvo::platform {
namespace {

constexpr UINT kCallback = WM_USER + 7;
constexpr UINT kId = 3;

bool IsIconWindow(::HWND wnd) {
    wchar_t cls[64] = {};
    ::GetClassNameW(wnd, cls, 64);
    return ::lstrcmpW(cls, L"__winex11_tray_icon") == 0 ||
           ::lstrcmpW(cls, L"__wine_tray_icon") == 0;
}

class TrayIcon : public ::testing::Test {
protected:
    TrayIcon()
        : window_([this](UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
              if (msg == kCallback)
                  heard.emplace_back(wParam, lParam);
              return 0;
          }) {}

    ~TrayIcon() override { Shell_NotifyIcon(NIM_DELETE, Data()); }

    NotifyIconData Data() const {
        NotifyIconData data;
        data.hWnd = window_.Handle();
        data.uID = kId;
        data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data.uCallbackMessage = kCallback;
        data.hIcon = LoadIconResource("MAINICON");
        std::strcpy(data.szTip, "Zelvo \x96 news");
        return data;
    }

    // Whether the shell itself knows the icon: only a known icon can be modified.
    bool ShellHasIcon() const {
        NOTIFYICONDATAW shell{};
        shell.cbSize = sizeof shell;
        shell.hWnd = reinterpret_cast<::HWND>(window_.Handle());
        shell.uID = kId;
        shell.uFlags = NIF_TIP;
        return ::Shell_NotifyIconW(NIM_MODIFY, &shell) != 0;
    }

    void ShellForgets() const {
        NOTIFYICONDATAW shell{};
        shell.cbSize = sizeof shell;
        shell.hWnd = reinterpret_cast<::HWND>(window_.Handle());
        shell.uID = kId;
        ::Shell_NotifyIconW(NIM_DELETE, &shell);
    }

    std::vector<std::pair<WPARAM, LPARAM>> heard;
    MessageWindow window_;
};

TEST_F(TrayIcon, AddModifyAndDeleteAnswerAsTheShellDoes) {
    ASSERT_NE(nullptr, Data().hIcon) << "the test program carries the program icon";
    EXPECT_TRUE(Shell_NotifyIcon(NIM_ADD, Data()));
    EXPECT_TRUE(ShellHasIcon());
    EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, Data())) << "the same icon twice";

    NotifyIconData tip;
    tip.hWnd = window_.Handle();
    tip.uID = kId;
    tip.uFlags = NIF_TIP;
    std::strcpy(tip.szTip, "Retrieving...");
    EXPECT_TRUE(Shell_NotifyIcon(NIM_MODIFY, tip));

    NotifyIconData other = tip;
    other.uID = kId + 1;
    EXPECT_FALSE(Shell_NotifyIcon(NIM_MODIFY, other)) << "an icon never added";
    EXPECT_FALSE(Shell_NotifyIcon(NIM_DELETE, other));

    EXPECT_TRUE(Shell_NotifyIcon(NIM_DELETE, Data()));
    EXPECT_FALSE(ShellHasIcon());
    EXPECT_FALSE(Shell_NotifyIcon(NIM_DELETE, Data())) << "deleted already";
    EXPECT_TRUE(Shell_NotifyIcon(NIM_ADD, Data())) << "added again after its deletion";
}

TEST_F(TrayIcon, ARestartedTaskbarGetsTheIconsAgain) {
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, Data()));
    ShellForgets();
    ASSERT_FALSE(ShellHasIcon());
    // What a taskbar that starts broadcasts to every top-level window.
    ::SendMessageW(reinterpret_cast<::HWND>(win32::TaskbarCreatedListener()),
                   ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(ShellHasIcon());
    EXPECT_FALSE(NotificationAreaMissing());
}

// The shell's own icon window passes the mouse on as the callback message.
TEST_F(TrayIcon, MouseMessagesReachTheWindowAsTheCallbackMessage) {
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, Data()));
    // Wine shows each icon in a window of its own (on a display without a
    // tray, in a stand-alone window) that passes the mouse on.
    std::vector<::HWND> icons;
    ::EnumWindows(
        [](::HWND top, LPARAM list) -> BOOL {
            ::EnumChildWindows(
                top,
                [](::HWND child, LPARAM l) -> BOOL {
                    if (IsIconWindow(child))
                        reinterpret_cast<std::vector<::HWND>*>(l)->push_back(child);
                    return TRUE;
                },
                list);
            if (IsIconWindow(top))
                reinterpret_cast<std::vector<::HWND>*>(list)->push_back(top);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&icons));
    if (icons.empty())
        GTEST_SKIP() << "this Wine shows no icon windows";
    for (::HWND icon : icons)
        ::SendMessageW(icon, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    for (int i = 0; i < 50 && heard.empty(); ++i) {
        ::Sleep(20);
        ProcessMessages();
    }
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(kId, heard.front().first);
    EXPECT_EQ(static_cast<LPARAM>(WM_LBUTTONUP), heard.front().second);
}

}  // namespace
}  // namespace zelvo::platform
