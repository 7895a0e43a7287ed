// The boxes of the windowed program: the system's boxes answer while the
// Application runs, and the boxes nobody waits for are windows of our own.
#include <gtest/gtest.h>

#include <string>

#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/MessageLoop.h"
#include "platform/Notice.h"
#include "platform/win32/LastingBoxes.h"
#include "platform/win32/SystemDialogs.h"
#include "platform/win32/Win32.h"

namespace zelvo::platform {
namespace {

::HWND Native(HWND wnd) {
    return reinterpret_cast<::HWND>(wnd);
}

std::wstring Text(HWND box) {
    wchar_t buffer[512] = {};
    ::GetDlgItemTextW(Native(box), win32::kBoxTextId, buffer, 512);
    return buffer;
}

std::wstring Caption(HWND box) {
    wchar_t buffer[256] = {};
    ::GetWindowTextW(Native(box), buffer, 256);
    return buffer;
}

// Our boxes' windows on the desktop, whoever keeps them.
int BoxesOnScreen() {
    int count = 0;
    ::HWND wnd = nullptr;
    while ((wnd = ::FindWindowExW(nullptr, wnd, L"ZelvoBox", nullptr)) != nullptr)
        count += ::IsWindowVisible(wnd) ? 1 : 0;
    return count;
}

class Win32Boxes : public ::testing::Test {
protected:
    void TearDown() override {
        win32::CloseBoxes();
        ProcessMessages();
    }
};

TEST_F(Win32Boxes, TheSystemBoxesAnswerOnlyWhileTheApplicationRuns) {
    DialogService& before = Dialogs();
    EXPECT_NE(&win32::SystemDialogs(), &before) << "without a window, boxes go to standard error";
    {
        int argc = 1;
        char name[] = "zelvo";
        char* argv[] = {name, nullptr};
        Application app(argc, argv);
        EXPECT_EQ(&win32::SystemDialogs(), &Dialogs());
        ShowLastingWarning("failure", "no answer");
        EXPECT_NE(0u, win32::LastingBoxWindow("failure"));
    }
    EXPECT_EQ(&before, &Dialogs());
    EXPECT_EQ(0u, win32::LastingBoxWindow("failure")) << "the program's end closes its boxes";
    EXPECT_EQ(0, BoxesOnScreen());
}

TEST_F(Win32Boxes, ShowingANameAgainReplacesTheTextInTheOneBox) {
    const HWND first =
        win32::ShowLastingBox("fetch", "first failure", "Warning", MB_OK | MB_ICONWARNING);
    ASSERT_NE(0u, first);
    EXPECT_TRUE(::IsWindowVisible(Native(first)));
    const HWND again = win32::ShowLastingBox(
        "fetch", "second failure & a\nlonger line with http://example.com/a/b", "Warning 2",
        MB_OK | MB_ICONERROR);
    ProcessMessages();
    EXPECT_EQ(first, again);
    EXPECT_EQ(1, BoxesOnScreen());
    EXPECT_EQ(L"second failure & a\nlonger line with http://example.com/a/b", Text(again));
    EXPECT_EQ(L"Warning 2", Caption(again));

    // Two lines need a taller box than one.
    RECT two{};
    ::GetWindowRect(Native(again), &two);
    win32::ShowLastingBox("fetch", "one", "Warning", MB_OK);
    RECT one{};
    ::GetWindowRect(Native(again), &one);
    EXPECT_LT(one.bottom - one.top, two.bottom - two.top);
}

TEST_F(Win32Boxes, TwoNamesAreTwoBoxes) {
    const HWND a = win32::ShowLastingBox("a", "text a", "A", MB_OK);
    const HWND b = win32::ShowLastingBox("b", "text b", "B", MB_OK | MB_ICONINFORMATION);
    ASSERT_NE(0u, a);
    ASSERT_NE(0u, b);
    EXPECT_NE(a, b);
    EXPECT_EQ(2, BoxesOnScreen());
    EXPECT_EQ(L"text a", Text(a));
    EXPECT_EQ(L"text b", Text(b));
}

TEST_F(Win32Boxes, TheBoxIsOnTheTaskbarAndOwnedByNoWindow) {
    const HWND box = win32::ShowLastingBox("x", "text", "X", MB_OK);
    EXPECT_EQ(nullptr, ::GetWindow(Native(box), GW_OWNER));
    EXPECT_NE(0, ::GetWindowLongW(Native(box), GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_NE(nullptr, ::GetDlgItem(Native(box), IDOK));
}

TEST_F(Win32Boxes, AClosedBoxIsMadeAfreshByTheNextShow) {
    const HWND first = win32::ShowLastingBox("fetch", "first", "Warning", MB_OK);
    ::SendMessageW(Native(first), WM_CLOSE, 0, 0);
    ProcessMessages();
    EXPECT_FALSE(::IsWindow(Native(first)));
    EXPECT_EQ(0u, win32::LastingBoxWindow("fetch"));

    const HWND second = win32::ShowLastingBox("fetch", "second", "Warning", MB_OK);
    ASSERT_NE(0u, second);
    EXPECT_TRUE(::IsWindowVisible(Native(second)));
    EXPECT_EQ(L"second", Text(second));
    EXPECT_EQ(1, BoxesOnScreen());

    ::SendMessageW(::GetDlgItem(Native(second), IDOK), BM_CLICK, 0, 0);
    ProcessMessages();
    EXPECT_FALSE(::IsWindow(Native(second))) << "the OK button closes the box";
    EXPECT_EQ(0u, win32::LastingBoxWindow("fetch"));

    const HWND third = win32::ShowLastingBox("fetch", "third", "Warning", MB_OK);
    ASSERT_NE(0u, third);
    EXPECT_EQ(1, BoxesOnScreen());
}

TEST_F(Win32Boxes, EnterAndEscapeOnTheButtonCloseTheBox) {
    for (WPARAM key : {static_cast<WPARAM>(VK_RETURN), static_cast<WPARAM>(VK_ESCAPE)}) {
        const HWND box = win32::ShowLastingBox("keys", "text", "Keys", MB_OK);
        ::SendMessageW(::GetDlgItem(Native(box), IDOK), WM_KEYDOWN, key, 0);
        ProcessMessages();
        EXPECT_FALSE(::IsWindow(Native(box))) << key;
        EXPECT_EQ(0u, win32::LastingBoxWindow("keys"));
    }
}

TEST_F(Win32Boxes, ANoticeReturnsAtOnceAndLeavesAWindow) {
    ShowNotice("No tray here", "Zelvo");
    ShowNotice("Another", "Zelvo");
    // Returned without anyone pressing a button; both are on the screen.
    EXPECT_EQ(2, BoxesOnScreen());
    ::HWND box = ::FindWindowExW(nullptr, nullptr, L"ZelvoBox", L"Zelvo");
    ASSERT_NE(nullptr, box);
    EXPECT_NE(nullptr, ::GetDlgItem(box, IDOK));
}

}  // namespace
}  // namespace zelvo::platform
