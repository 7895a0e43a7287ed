// The shell side of the Windows platform: what the program asks of the
// desktop besides its controls, under Wine with a display.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/AppWindow.h"
#include "platform/Dialogs.h"
#include "platform/Icon.h"
#include "platform/MessageLoop.h"
#include "platform/PopupMenu.h"
#include "platform/Screen.h"
#include "platform/SessionEnd.h"
#include "platform/Shell.h"
#include "platform/WindowPixels.h"
#include "platform/win32/ShellHooks.h"
#include "support/TempDir.h"

// The system's headers: after the platform's own.
#include "platform/win32/NativeMenu.h"
#include "platform/win32/Win32.h"

// The platform's own functions, not the system's narrow ones.
#undef ShellExecute
#undef WinHelp

namespace zelvo::platform {
namespace {

// A top-level window of the test's own, of the given class.
class TestWindow {
public:
    TestWindow(const wchar_t* cls, RECT r, DWORD style = WS_POPUP | WS_VISIBLE) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = cls;
        ::RegisterClassExW(&wc);
        wnd_ = ::CreateWindowExW(WS_EX_TOOLWINDOW, cls, L"", style, r.left, r.top, r.right - r.left,
                                 r.bottom - r.top, nullptr, nullptr, ::GetModuleHandleW(nullptr),
                                 nullptr);
        ProcessMessages();
    }
    ~TestWindow() { ::DestroyWindow(wnd_); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    ::HWND Get() const { return wnd_; }

private:
    ::HWND wnd_;
};

std::wstring MenuText(HMENU menu, UINT position) {
    wchar_t text[64] = {};
    ::GetMenuStringW(menu, position, text, 64, MF_BYPOSITION);
    return text;
}

TEST(NativeMenu, ItemsCarryCaptionsChecksGreyingAndTheDefault) {
    PopupMenu menu;
    int clicked = 0;
    menu.AddItem("&Retrieve \x96 now", [&] { ++clicked; }).SetDefault(true);
    menu.AddSeparator();
    menu.AddItem("Always &on Top").SetChecked(true);
    menu.AddItem("Ca&ncel").SetEnabled(false);

    HMENU native = win32::BuildNativeMenu(menu);
    ASSERT_NE(nullptr, native);
    ASSERT_EQ(4, ::GetMenuItemCount(native));
    EXPECT_EQ(L"&Retrieve \u2013 now", MenuText(native, 0)) << "Windows-1252 0x96 is the en dash";
    EXPECT_EQ(0u, ::GetMenuDefaultItem(native, TRUE, 0));
    EXPECT_TRUE(::GetMenuState(native, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_TRUE(::GetMenuState(native, 2, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_FALSE(::GetMenuState(native, 2, MF_BYPOSITION) & MF_GRAYED);
    EXPECT_TRUE(::GetMenuState(native, 3, MF_BYPOSITION) & MF_GRAYED);

    // The command the system returns for each entry leads back to its item.
    const UINT first = ::GetMenuItemID(native, 0);
    EXPECT_EQ(&menu.Item(0), win32::ItemForCommand(menu, first));
    EXPECT_EQ(&menu.Item(3), win32::ItemForCommand(menu, ::GetMenuItemID(native, 3)));
    EXPECT_EQ(nullptr, win32::ItemForCommand(menu, 0)) << "a dismissed menu";
    EXPECT_EQ(nullptr, win32::ItemForCommand(menu, 99));
    ::DestroyMenu(native);

    win32::ItemForCommand(menu, first)->Click();
    EXPECT_EQ(1, clicked);
}

TEST(Taskbar, TheBarAlongTheBottomGivesItsRectangle) {
    const int w = ScreenWidth();
    const int h = ScreenHeight();
    ASSERT_GT(w, 0);
    ASSERT_GT(h, 0);
    EXPECT_EQ((TPoint{0, 0}), ScreenOrigin());
    EXPECT_TRUE(WorkAreaPublished());
    {
        TestWindow bar(L"Shell_TrayWnd", {0, h - 40, w, h});
        auto rect = FindTaskbarRect();
        ASSERT_TRUE(rect.has_value());
        EXPECT_EQ((TRect{0, h - 40, w, h}), *rect);
    }
    {
        TestWindow bar(L"Shell_TrayWnd", {0, 0, w, 40});
        EXPECT_FALSE(FindTaskbarRect().has_value()) << "a bar at the top leaves the bottom free";
    }
    {
        TestWindow bar(L"Shell_TrayWnd", {w - 60, 0, w, h});
        EXPECT_FALSE(FindTaskbarRect().has_value()) << "a bar at the side";
    }
    {
        // A bar that hides itself shows two pixels; the rest lies below the screen.
        TestWindow bar(L"Shell_TrayWnd", {0, h - 2, w, h + 38});
        auto rect = FindTaskbarRect();
        ASSERT_TRUE(rect.has_value());
        EXPECT_EQ((TRect{0, h - 2, w, h}), *rect);
    }
    {
        TestWindow hidden(L"Shell_TrayWnd", {0, h - 40, w, h}, WS_POPUP);
        EXPECT_FALSE(FindTaskbarRect().has_value()) << "a hidden window of the class is no bar";
    }
}

TEST(ShellLaunch, AMissingProgramIsReportedAsAFailure) {
    EXPECT_EQ(2, ShellExecute("no-such-program-here", "\"C:\\file.txt\""));
    EXPECT_EQ(2, ShellExecute("C:\\no\\such\\folder\\viewer.exe", ""));
    EXPECT_EQ(2, ShellExecute("   ", "x"));
    EXPECT_EQ(2, ShellBrowse("no-such-browser", "http://localhost/"));
    EXPECT_EQ(2, ShellBrowse("", "http://localhost/"));
}

TEST(ShellLaunch, OnlyWebAndFileAddressesAreOpened) {
    for (const char* address : {"notepad.exe", "C:\\windows\\system32\\cmd.exe", "-x", "",
                                "javascript:alert(1)", "shell:startup"})
        EXPECT_EQ(2, ShellOpenAddress(address)) << address;
}

class RecordedBoxes : public DialogService {
public:
    RecordedBoxes() : previous_(SetDialogService(this)) {}
    ~RecordedBoxes() override { SetDialogService(previous_); }
    int MessageBox(const std::string& text, const std::string&, UINT) override {
        texts.push_back(text);
        return IDOK;
    }
    void MessageBeep(UINT) override {}
    std::vector<std::string> texts;

private:
    DialogService* previous_;
};

TEST(ShellLaunch, AMissingGuideIsToldAndNothingStarts) {
    RecordedBoxes boxes;
    testing::TempDir dir;
    EXPECT_FALSE(WinHelp(dir / "help\\index.html", 3));
    EXPECT_FALSE(WinHelp(dir.Path(), 3)) << "a folder is no guide";
    ASSERT_EQ(2u, boxes.texts.size());
    EXPECT_EQ("Cannot find the " + (dir / "help\\index.html") + " file.", boxes.texts[0]);
}

TEST(Icon, TheProgramIconIsCompiledInUnderItsExactName) {
    HICON icon = LoadIconResource("MAINICON");
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ("MAINICON", IconSource(icon));
    IconPixels pixels = IconPixelsOf(icon);
    EXPECT_EQ(32, pixels.width);
    EXPECT_EQ(32, pixels.height);
    ASSERT_EQ(32u * 32u, pixels.argb.size());
    EXPECT_EQ(0u, pixels.argb[0] >> 24) << "the corner is transparent";
    EXPECT_EQ(0xFFu, pixels.argb[16 * 32 + 16] >> 24);

    EXPECT_EQ(nullptr, LoadIconResource("mainicon")) << "the system's lookup ignores case";
    EXPECT_EQ(nullptr, LoadIconResource("NOSUCHICON"));
    EXPECT_EQ(nullptr, LoadIconResource(""));
    EXPECT_EQ(nullptr, LoadIconResource("../icons/MAINICON"));
}

// What the resource script gives every program: the version block Explorer
// shows and the manifest that asks for common controls 6 and DPI awareness.
TEST(Resources, TheVersionBlockAndTheManifestAreCompiledIn) {
    wchar_t exe[MAX_PATH];
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    const ::DWORD size = ::GetFileVersionInfoSizeW(exe, nullptr);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(::GetFileVersionInfoW(exe, 0, size, block.data()));
    auto text = [&](const wchar_t* name) {
        wchar_t* value = nullptr;
        UINT length = 0;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        if (!::VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value),
                              &length))
            return std::wstring();
        return std::wstring(value);
    };
    EXPECT_EQ(L"Zelvo", text(L"ProductName"));
    EXPECT_EQ(L"Quorvane", text(L"CompanyName"));
    EXPECT_EQ(std::wstring(L"" ZELVO_VERSION_TEXT), text(L"FileVersion"));

    HRSRC manifest = ::FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(nullptr, manifest);
    const auto* bytes = static_cast<const char*>(::LockResource(::LoadResource(nullptr, manifest)));
    const std::string xml(bytes, ::SizeofResource(nullptr, manifest));
    EXPECT_NE(std::string::npos, xml.find("Microsoft.Windows.Common-Controls"));
    EXPECT_NE(std::string::npos, xml.find("PerMonitorV2"));
    EXPECT_NE(std::string::npos, xml.find("asInvoker"));
}

TEST(Icon, FilesThatCannotBeOpenedOrDecodedAreTwoDifferentErrors) {
    testing::TempDir dir;
    EXPECT_THROW(LoadIconFromFile(dir / "missing.ico"), FileOpenError);
    EXPECT_THROW(LoadIconFromFile(dir.Path()), FileOpenError) << "a folder";
    std::ofstream(dir / "garbage.ico") << "not a picture";
    EXPECT_THROW(LoadIconFromFile(dir / "garbage.ico"), InvalidGraphicError);

    HICON icon = LoadIconFromFile(ZELVO_ICON_FILE);
    EXPECT_EQ(ZELVO_ICON_FILE, IconSource(icon));
    EXPECT_EQ(32, IconPixelsOf(icon).width) << "the file's icon at the system's size";
}

TEST(AppWindow, MinimisingAndRestoringTheWholeIsOneNotificationEach) {
    TestWindow form(L"ZelvoTestForm", {100, 100, 300, 200}, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    int minimized = 0, restored = 0;
    auto previousMin = SetOnApplicationMinimize([&] { ++minimized; });
    auto previousRes = SetOnApplicationRestore([&] { ++restored; });
    const HWND app = ApplicationWindow();
    EXPECT_FALSE(IsIconic(app));

    EXPECT_TRUE(ShowWindow(app, SW_MINIMIZE));
    ProcessMessages();
    EXPECT_TRUE(::IsIconic(form.Get()));
    EXPECT_TRUE(IsIconic(app));
    EXPECT_EQ(1, minimized);

    RestoreApplication();
    ProcessMessages();
    EXPECT_FALSE(::IsIconic(form.Get()));
    EXPECT_FALSE(IsIconic(app));
    EXPECT_EQ(1, restored);

    // The user minimising one window is noticed the same way.
    ::ShowWindow(form.Get(), SW_MINIMIZE);
    ProcessMessages();
    EXPECT_EQ(2, minimized);
    ::ShowWindow(form.Get(), SW_RESTORE);
    ProcessMessages();
    EXPECT_EQ(2, restored);

    EXPECT_TRUE(ShowWindow(app, SW_HIDE));
    EXPECT_FALSE(::IsWindowVisible(form.Get()));
    EXPECT_TRUE(ShowWindow(app, SW_SHOW));
    EXPECT_TRUE(::IsWindowVisible(form.Get()));
    EXPECT_FALSE(ShowWindow(reinterpret_cast<HWND>(form.Get()), SW_HIDE))
        << "only the application window";

    SetOnApplicationMinimize(previousMin);
    SetOnApplicationRestore(previousRes);
}

// The shell asks, then tells, in two messages; the windows hear the outcome
// only from the second.
TEST(SessionEnd, TheShellsTwoStepsReachTheRegisteredWindows) {
    std::vector<std::string> log;
    LRESULT answer = 1;
    MessageWindow w([&](UINT msg, WPARAM wParam, LPARAM) -> LRESULT {
        if (msg == WM_QUERYENDSESSION) {
            log.push_back("query");
            return answer;
        }
        if (msg == WM_ENDSESSION)
            log.push_back("end " + std::to_string(wParam));
        return 0;
    });
    RegisterSessionWindow(w.Handle());
    auto watcher = reinterpret_cast<::HWND>(win32::SessionEndWatcher());
    ASSERT_NE(nullptr, watcher);

    answer = 0;
    EXPECT_EQ(FALSE, ::SendMessageW(watcher, WM_QUERYENDSESSION, 0, 0));
    EXPECT_EQ(TRUE, ::SendMessageW(watcher, WM_QUERYENDSESSION, 0, ENDSESSION_CRITICAL))
        << "a critical end cannot be refused";
    ::SendMessageW(watcher, WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ((std::vector<std::string>{"query", "query", "end 0"}), log);
    UnregisterSessionWindow(w.Handle());
}

TEST(WindowPixels, TheUncoveredColumnsAreDrawnAtTheirPlace) {
    TestWindow strip(L"ZelvoTestStrip", {0, 0, 64, 16});
    const auto native = reinterpret_cast<std::uintptr_t>(strip.Get());
    std::vector<std::uint32_t> column(4 * 16, 0x00FF8000u);
    TPixels uncovered{column.data(), 4, 16, 4};
    EXPECT_TRUE(ShiftWindowPixels(native, -4, 64, 16, uncovered, 60));
    HDC dc = ::GetDC(strip.Get());
    const COLORREF pixel = ::GetPixel(dc, 61, 8);
    ::ReleaseDC(strip.Get(), dc);
    EXPECT_EQ(RGB(0xFF, 0x80, 0x00), pixel);

    EXPECT_FALSE(ShiftWindowPixels(0, -4, 64, 16, uncovered, 60)) << "no window";
    TPixels none{};
    EXPECT_FALSE(ShiftWindowPixels(native, -4, 64, 16, none, 60)) << "nothing to draw";
}

}  // namespace
}  // namespace zelvo::platform
