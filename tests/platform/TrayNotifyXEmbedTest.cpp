// Docks an icon into a minimal tray of the test's own on a private virtual
// X display, and checks what the icon reports back.
#include "platform/linux/TrayNotifyXEmbed.h"
#include "support/WaitFor.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/MessageLoop.h"
#include "platform/WindowTimer.h"
#include "platform/linux/X11Display.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace zelvo::platform {
namespace {

bool Executable(const char* path) {
    return ::access(path, X_OK) == 0;
}

// A virtual X server on a display number it picks itself.
class VirtualDisplay {
public:
    VirtualDisplay() {
        const char* binary = "/usr/bin/Xvfb";
        int fds[2];
        if (!Executable(binary) || ::pipe(fds) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(fds[0]);
            int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
            std::string fd = std::to_string(fds[1]);
            ::execl(binary, binary, "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0",
                    "640x480x24", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        if (pid_ < 0) {
            ::close(fds[0]);
            return;
        }
        // Safety net only: the server writes its number as soon as it listens.
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        while (::poll(&p, 1, 20000) > 0) {
            char c;
            if (::read(fds[0], &c, 1) != 1 || c == '\n')
                break;
            number += c;
        }
        ::close(fds[0]);
        if (!number.empty())
            name_ = ":" + number;
    }
    ~VirtualDisplay() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& Name() const { return name_; }

private:
    pid_t pid_ = -1;
    std::string name_;
};

using ::zelvo::testing::WaitFor;

// The tray side of the protocol, as small as it can be.
class TestTray {
public:
    explicit TestTray(const std::string& display) : connection(display.c_str()) {
        d = connection.Display();
        selection = XInternAtom(d, "_NET_SYSTEM_TRAY_S0", False);
        opcode = XInternAtom(d, "_NET_SYSTEM_TRAY_OPCODE", False);
        listener = connection.AddListener([this](const XEvent& e) {
            if (e.type == ClientMessage && e.xclient.message_type == opcode &&
                e.xclient.data.l[1] == 0)
                docked.push_back(static_cast<Window>(e.xclient.data.l[2]));
        });
    }
    ~TestTray() { connection.RemoveListener(listener); }

    // With argb, the tray asks icons to use a 32-bit visual, if the server
    // has one; false when it has none.
    bool Start(bool argb = false) {
        Window root = DefaultRootWindow(d);
        tray = XCreateSimpleWindow(d, root, 0, 0, 100, 24, 0, 0, 0);
        XMapWindow(d, tray);
        if (argb) {
            XVisualInfo templ = {};
            templ.depth = 32;
            templ.c_class = TrueColor;
            int found = 0;
            XVisualInfo* infos =
                XGetVisualInfo(d, VisualDepthMask | VisualClassMask, &templ, &found);
            if (infos == nullptr)
                return false;
            long id = static_cast<long>(infos[0].visualid);
            XFree(infos);
            XChangeProperty(d, tray, XInternAtom(d, "_NET_SYSTEM_TRAY_VISUAL", False), XA_VISUALID,
                            32, PropModeReplace, reinterpret_cast<unsigned char*>(&id), 1);
        }
        XSetSelectionOwner(d, selection, tray, CurrentTime);
        XEvent manager = {};
        manager.xclient.type = ClientMessage;
        manager.xclient.window = root;
        manager.xclient.message_type = XInternAtom(d, "MANAGER", False);
        manager.xclient.format = 32;
        manager.xclient.data.l[0] = CurrentTime;
        manager.xclient.data.l[1] = static_cast<long>(selection);
        manager.xclient.data.l[2] = static_cast<long>(tray);
        XSendEvent(d, root, False, StructureNotifyMask, &manager);
        XFlush(d);
        return true;
    }

    void Embed(Window icon) {
        XReparentWindow(d, icon, tray, 0, 0);
        XMapWindow(d, icon);
        XFlush(d);
    }

    // The pixel of a window as the screen shows it (0 when unreadable).
    unsigned long Pixel(Window w, int x, int y) {
        XImage* image = XGetImage(d, w, x, y, 1, 1, AllPlanes, ZPixmap);
        if (image == nullptr)
            return 0;
        unsigned long pixel = XGetPixel(image, 0, 0);
        XDestroyImage(image);
        return pixel;
    }

    void Stop() {
        XDestroyWindow(d, tray);
        XFlush(d);
    }

    void SendButton(Window icon, int type, unsigned button, Time time) {
        XEvent e = {};
        e.xbutton.type = type;
        e.xbutton.window = icon;
        e.xbutton.button = button;
        e.xbutton.time = time;
        e.xbutton.x_root = 10;
        e.xbutton.y_root = 10;
        e.xbutton.same_screen = True;
        XSendEvent(d, icon, False, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &e);
        XFlush(d);
    }

    void SendMotion(Window icon) {
        XEvent e = {};
        e.xmotion.type = MotionNotify;
        e.xmotion.window = icon;
        e.xmotion.same_screen = True;
        XSendEvent(d, icon, False, PointerMotionMask, &e);
        XFlush(d);
    }

    x11::Connection connection;
    ::Display* d = nullptr;
    Atom selection = 0;
    Atom opcode = 0;
    Window tray = 0;
    std::vector<Window> docked;
    int listener = 0;
};

class TrayNotifyXEmbed : public ::testing::TestWithParam<bool> {};

TEST_P(TrayNotifyXEmbed, IconDocksReportsMouseAndDocksAgainAfterTrayRestart) {
    VirtualDisplay server;
    if (server.Name().empty())
        GTEST_SKIP() << "no virtual X server available";
    TestTray tray(server.Name());
    ASSERT_TRUE(tray.connection.Valid());
    if (!tray.Start(GetParam()))
        GTEST_SKIP() << "the server has no 32-bit visual";

    std::vector<LPARAM> received;
    MessageWindow window([&](UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (msg == WM_USER + 100 && wParam == 42)
            received.push_back(lParam);
        return 0;
    });
    x11::Connection iconConnection(server.Name().c_str());
    ASSERT_TRUE(iconConnection.Valid());
    EXPECT_TRUE(XEmbedTrayIcon::TrayPresent(iconConnection));
    NotifyIconData data;
    data.hWnd = window.Handle();
    data.uID = 42;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_USER + 100;
    data.hIcon = LoadIconResource("MAINICON");
    std::snprintf(data.szTip, sizeof data.szTip, "%s", "Zelvo is running");
    XEmbedTrayIcon icon(iconConnection, data);

    ASSERT_TRUE(WaitFor([&] { return !tray.docked.empty(); }));
    Window first = tray.docked[0];
    EXPECT_EQ(icon.IconWindow(), first);

    // The window announces itself as an embeddable client that wants mapping.
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* info = nullptr;
    Atom xembedInfo = XInternAtom(tray.d, "_XEMBED_INFO", False);
    ASSERT_EQ(Success, XGetWindowProperty(tray.d, first, xembedInfo, 0, 2, False, xembedInfo, &type,
                                          &format, &count, &after, &info));
    ASSERT_EQ(2u, count);
    EXPECT_EQ(1L, reinterpret_cast<long*>(info)[1]);
    XFree(info);

    XWindowAttributes attributes;
    ASSERT_NE(0, XGetWindowAttributes(tray.d, first, &attributes));
    EXPECT_EQ(GetParam() ? 32 : DefaultDepth(tray.d, 0), attributes.depth);

    // Trays that size icons to their request find a usable one.
    XSizeHints hints = {};
    long supplied = 0;
    ASSERT_NE(0, XGetWMNormalHints(tray.d, first, &hints, &supplied));
    EXPECT_TRUE((hints.flags & PMinSize) != 0 && (hints.flags & PBaseSize) != 0);
    EXPECT_GE(hints.min_width, 16);
    EXPECT_GE(hints.min_height, 16);
    EXPECT_EQ(hints.min_width, hints.min_height);
    EXPECT_GE(hints.base_width, hints.min_width);

    tray.Embed(first);
    // The tray's own background is black; the icon paints over it.
    EXPECT_TRUE(WaitFor([&] { return tray.Pixel(first, 11, 11) != 0; }));
    EXPECT_EQ(0u, tray.Pixel(first, 0, 0)) << "transparent corners show the tray";

    // A tray that gives the icon more room has it drawn to the new size.
    XResizeWindow(tray.d, tray.tray, 100, 48);
    XResizeWindow(tray.d, first, 44, 44);
    XFlush(tray.d);
    EXPECT_TRUE(WaitFor([&] { return tray.Pixel(first, 30, 30) != 0; }))
        << "the picture still has its first size";
    EXPECT_EQ(0u, tray.Pixel(first, 0, 0));
    tray.SendMotion(first);
    tray.SendButton(first, ButtonPress, Button1, 1000);
    tray.SendButton(first, ButtonRelease, Button1, 1050);
    tray.SendButton(first, ButtonPress, Button1, 1200);
    tray.SendButton(first, ButtonRelease, Button1, 1250);
    tray.SendButton(first, ButtonPress, Button3, 5000);
    tray.SendButton(first, ButtonPress, 4, 5100);  // the wheel reports nothing
    ASSERT_TRUE(WaitFor([&] { return received.size() >= 6; }));
    PumpPostedMessages();
    EXPECT_EQ((std::vector<LPARAM>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK,
                                   WM_LBUTTONUP, WM_RBUTTONDOWN}),
              received);

    // A new tray after the old one went away gets a fresh window docked.
    tray.Stop();
    ASSERT_TRUE(WaitFor([&] { return icon.IconWindow() == 0; }));
    tray.Start();
    ASSERT_TRUE(WaitFor([&] { return tray.docked.size() == 2; }));
    EXPECT_NE(0u, icon.IconWindow());
    EXPECT_EQ(icon.IconWindow(), tray.docked[1]);

    // Updates after re-docking are drawn without trouble.
    data.uFlags = NIF_TIP;
    std::snprintf(data.szTip, sizeof data.szTip, "%s", "changed");
    icon.Update(data);
}

INSTANTIATE_TEST_SUITE_P(Visuals, TrayNotifyXEmbed, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "AlphaVisual" : "TrayBackground";
                         });

}  // namespace
}  // namespace zelvo::platform
