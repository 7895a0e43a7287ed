#include "platform/linux/TrayNotifyXEmbed.h"

#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Cp1252.h"
#include "platform/MessageLoop.h"
#include "platform/linux/QtText.h"
#include "platform/linux/IconData.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace zelvo::platform {
namespace {

constexpr long kSystemTrayRequestDock = 0;
constexpr long kXEmbedMapped = 1;
constexpr int kDefaultSize = 22;
// Below this an icon is no longer legible; trays that size icons to their
// request give at least this much.
constexpr int kMinimumSize = 22;
// How long the pointer rests on the icon before its tip shows.
constexpr int kTipDelayMs = 700;

struct Atoms {
    Atom selection;
    Atom opcode;
    Atom manager;
    Atom xembedInfo;
    Atom visual;
    Atom wmName;
    Atom utf8;
};

Atoms Intern(::Display* d, int screen) {
    std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(screen);
    return {XInternAtom(d, selection.c_str(), False),
            XInternAtom(d, "_NET_SYSTEM_TRAY_OPCODE", False),
            XInternAtom(d, "MANAGER", False),
            XInternAtom(d, "_XEMBED_INFO", False),
            XInternAtom(d, "_NET_SYSTEM_TRAY_VISUAL", False),
            XInternAtom(d, "_NET_WM_NAME", False),
            XInternAtom(d, "UTF8_STRING", False)};
}

int Shift(unsigned long mask) {
    int shift = 0;
    while (mask != 0 && (mask & 1) == 0) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

int Bits(unsigned long mask) {
    int bits = 0;
    for (; mask != 0; mask >>= 1)
        bits += static_cast<int>(mask & 1);
    return bits;
}

unsigned long Scale(unsigned value, unsigned long mask) {
    int bits = Bits(mask);
    unsigned long v = bits >= 8 ? value << (bits - 8) : value >> (8 - bits);
    return (v << Shift(mask)) & mask;
}

UINT DownMessage(unsigned button) {
    switch (button) {
        case Button1:
            return WM_LBUTTONDOWN;
        case Button2:
            return WM_MBUTTONDOWN;
        case Button3:
            return WM_RBUTTONDOWN;
        default:
            return 0;
    }
}

}  // namespace

void MergeNotifyIconData(NotifyIconData& record, const NotifyIconData& data) {
    record.hWnd = data.hWnd;
    record.uID = data.uID;
    record.uFlags |= data.uFlags;
    if ((data.uFlags & NIF_MESSAGE) != 0)
        record.uCallbackMessage = data.uCallbackMessage;
    if ((data.uFlags & NIF_ICON) != 0)
        record.hIcon = data.hIcon;
    if ((data.uFlags & NIF_TIP) != 0)
        std::memcpy(record.szTip, data.szTip, sizeof record.szTip);
    record.szTip[sizeof record.szTip - 1] = '\0';
}

void PostTrayCallback(const NotifyIconData& data, UINT mouseMessage) {
    if ((data.uFlags & NIF_MESSAGE) != 0 && data.hWnd != 0)
        PostMessage(data.hWnd, data.uCallbackMessage, data.uID, static_cast<LPARAM>(mouseMessage));
}

class XEmbedTrayIcon::Impl {
public:
    Impl(x11::Connection& c, const NotifyIconData& data)
        : connection(c), display(c.Display()), screen(c.Screen()), atoms(Intern(display, screen)) {
        Take(data);
        root = RootWindow(display, screen);
        // Trays announce themselves to every client listening on the root.
        XSelectInput(display, root, StructureNotifyMask);
        listener = connection.AddListener([this](const XEvent& e) { OnEvent(e); });
        tipTimer.setSingleShot(true);
        tipTimer.setInterval(kTipDelayMs);
        QObject::connect(&tipTimer, &QTimer::timeout, [this] { ShowTip(); });
        Dock();
        connection.Flush();
    }

    ~Impl() {
        connection.RemoveListener(listener);
        HideTip();
        DestroyIconWindow();
        connection.Flush();
    }

    void Take(const NotifyIconData& data) { MergeNotifyIconData(record, data); }

    void Update(const NotifyIconData& data) {
        Take(data);
        SetName();
        Draw();
        connection.Flush();
    }

    Window Manager() const { return XGetSelectionOwner(display, atoms.selection); }

    // Creates a fresh icon window for the tray now owning the selection (its
    // visual may differ from the last tray's) and asks it to embed the window.
    void Dock() {
        DestroyIconWindow();
        manager = Manager();
        if (manager == 0)
            return;
        // Told when this tray goes away.
        XSelectInput(display, manager, StructureNotifyMask);

        XSetWindowAttributes attrs = {};
        unsigned long mask = CWEventMask;
        attrs.event_mask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                           EnterWindowMask | LeaveWindowMask | ExposureMask | StructureNotifyMask;
        Visual* visual = TrayVisual();
        int depth = CopyFromParent;
        argb = false;
        if (visual != nullptr) {
            argb = true;
            depth = 32;
            colormap = XCreateColormap(display, root, visual, AllocNone);
            attrs.colormap = colormap;
            attrs.background_pixel = 0;
            attrs.border_pixel = 0;
            mask |= CWColormap | CWBackPixel | CWBorderPixel;
        } else {
            visual = DefaultVisual(display, screen);
            attrs.background_pixmap = ParentRelative;
            mask |= CWBackPixmap;
        }
        this->visual = visual;
        this->depth = argb ? 32 : DefaultDepth(display, screen);
        window = XCreateWindow(display, root, 0, 0, kDefaultSize, kDefaultSize, 0, depth,
                               InputOutput, visual, mask, &attrs);
        width = height = kDefaultSize;

        long info[2] = {0, kXEmbedMapped};
        XChangeProperty(display, window, atoms.xembedInfo, atoms.xembedInfo, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(info), 2);
        XClassHint hint;
        std::string resName = "zelvo", resClass = "Zelvo";
        hint.res_name = resName.data();
        hint.res_class = resClass.data();
        XSetClassHint(display, window, &hint);
        // Trays that size an icon to its request read it from here; without
        // it some give the icon a single pixel.
        XSizeHints* size = XAllocSizeHints();
        if (size != nullptr) {
            size->flags = PMinSize | PBaseSize;
            size->min_width = size->min_height = kMinimumSize;
            size->base_width = size->base_height = kDefaultSize;
            XSetWMNormalHints(display, window, size);
            XFree(size);
        }
        SetName();

        XEvent request = {};
        request.xclient.type = ClientMessage;
        request.xclient.window = manager;
        request.xclient.message_type = atoms.opcode;
        request.xclient.format = 32;
        request.xclient.data.l[0] = CurrentTime;
        request.xclient.data.l[1] = kSystemTrayRequestDock;
        request.xclient.data.l[2] = static_cast<long>(window);
        XSendEvent(display, manager, False, NoEventMask, &request);
    }

    // The visual the tray asks icons to use (for transparency), if it is a
    // 32-bit one; otherwise icons paint over the tray's own background.
    Visual* TrayVisual() {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        Visual* result = nullptr;
        if (XGetWindowProperty(display, manager, atoms.visual, 0, 1, False, XA_VISUALID, &type,
                               &format, &count, &after, &data) == Success &&
            data != nullptr && count == 1 && format == 32) {
            VisualID id = static_cast<VisualID>(*reinterpret_cast<unsigned long*>(data));
            XVisualInfo templ = {};
            templ.visualid = id;
            int found = 0;
            XVisualInfo* infos = XGetVisualInfo(display, VisualIDMask, &templ, &found);
            if (infos != nullptr) {
                if (found > 0 && infos[0].depth == 32)
                    result = infos[0].visual;
                XFree(infos);
            }
        }
        if (data != nullptr)
            XFree(data);
        return result;
    }

    void DestroyIconWindow() {
        if (window != 0) {
            XDestroyWindow(display, window);
            window = 0;
        }
        if (colormap != 0) {
            XFreeColormap(display, colormap);
            colormap = 0;
        }
        inside = false;
        HideTip();
    }

    void SetName() {
        if (window == 0)
            return;
        std::string name = Cp1252ToUtf8(record.szTip);
        XChangeProperty(display, window, atoms.wmName, atoms.utf8, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(name.data()),
                        static_cast<int>(name.size()));
        std::string latin = record.szTip;
        XStoreName(display, window, latin.c_str());
    }

    void Draw() {
        if (window == 0 || width <= 0 || height <= 0)
            return;
        XClearWindow(display, window);
        if ((record.uFlags & NIF_ICON) == 0 || !record.hIcon)
            return;
        int side = std::min(width, height);
        QImage image =
            record.hIcon->Picture(side).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        int x0 = (width - image.width()) / 2;
        int y0 = (height - image.height()) / 2;

        XImage* ximage = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0,
                                      nullptr, static_cast<unsigned>(image.width()),
                                      static_cast<unsigned>(image.height()), 32, 0);
        if (ximage == nullptr)
            return;
        std::vector<char> pixels(static_cast<size_t>(ximage->bytes_per_line) * image.height());
        ximage->data = pixels.data();
        // A tray without an alpha visual shows our pixels as they are: paint
        // only the opaque ones, clipped by a mask, over its background.
        std::vector<unsigned char> maskBits(static_cast<size_t>((image.width() + 7) / 8) *
                                            image.height());
        int maskStride = (image.width() + 7) / 8;
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                QRgb p = line[x];
                unsigned long pixel;
                if (argb) {
                    pixel = (static_cast<unsigned long>(qAlpha(p)) << 24) | (qRed(p) << 16) |
                            (qGreen(p) << 8) | qBlue(p);
                } else {
                    QRgb s = qUnpremultiply(p);
                    pixel = Scale(static_cast<unsigned>(qRed(s)), visual->red_mask) |
                            Scale(static_cast<unsigned>(qGreen(s)), visual->green_mask) |
                            Scale(static_cast<unsigned>(qBlue(s)), visual->blue_mask);
                    if (qAlpha(p) >= 128)
                        maskBits[static_cast<size_t>(y * maskStride + x / 8)] |=
                            static_cast<unsigned char>(1u << (x % 8));
                }
                XPutPixel(ximage, x, y, pixel);
            }
        }
        GC gc = XCreateGC(display, window, 0, nullptr);
        Pixmap clip = 0;
        if (!argb) {
            clip = XCreateBitmapFromData(
                display, window, reinterpret_cast<const char*>(maskBits.data()),
                static_cast<unsigned>(image.width()), static_cast<unsigned>(image.height()));
            XSetClipMask(display, gc, clip);
            XSetClipOrigin(display, gc, x0, y0);
        }
        XPutImage(display, window, gc, ximage, 0, 0, x0, y0, static_cast<unsigned>(image.width()),
                  static_cast<unsigned>(image.height()));
        XFreeGC(display, gc);
        if (clip != 0)
            XFreePixmap(display, clip);
        ximage->data = nullptr;  // ours, freed with the vector
        XDestroyImage(ximage);
    }

    void Post(UINT message) { PostTrayCallback(record, message); }

    void OnButtonPress(const XButtonEvent& e) {
        HideTip();
        UINT down = DownMessage(e.button);
        if (down == 0)
            return;  // the wheel
        // The press grabbed the pointer for this connection; a menu that the
        // program opens on it must be able to take the pointer itself.
        XUngrabPointer(display, e.time);
        unsigned interval = QApplication::instance() != nullptr
                                ? static_cast<unsigned>(QApplication::doubleClickInterval())
                                : 500u;
        // As the original desktop reports them: the second press of the same
        // button soon after the first is a double click (down, up, double
        // click, up); a third press starts over.
        bool doubleClick = !lastWasDouble && e.button == lastButton && lastPressTime != 0 &&
                           e.time - lastPressTime <= interval &&
                           std::abs(e.x_root - lastPressX) <= 4 &&
                           std::abs(e.y_root - lastPressY) <= 4;
        lastButton = e.button;
        lastPressTime = e.time;
        lastPressX = e.x_root;
        lastPressY = e.y_root;
        lastWasDouble = doubleClick;
        // Down, double click and up are the down message plus 0, 2 and 1.
        Post(doubleClick ? down + 2 : down);
    }

    void OnEvent(const XEvent& e) {
        if (e.type == ClientMessage && e.xclient.window == root &&
            e.xclient.message_type == atoms.manager &&
            static_cast<Atom>(e.xclient.data.l[1]) == atoms.selection) {
            Dock();
            connection.Flush();
            return;
        }
        if (e.type == DestroyNotify && manager != 0 && e.xdestroywindow.window == manager) {
            // The tray is gone: our window would land on the desktop. Wait
            // for the next tray's announcement instead.
            manager = 0;
            DestroyIconWindow();
            connection.Flush();
            return;
        }
        if (window == 0 || e.xany.window != window)
            return;
        switch (e.type) {
            case Expose:
                if (e.xexpose.count == 0)
                    Draw();
                break;
            case ConfigureNotify:
                if (e.xconfigure.width != width || e.xconfigure.height != height) {
                    width = e.xconfigure.width;
                    height = e.xconfigure.height;
                    Draw();
                }
                break;
            case EnterNotify:
                inside = true;
                tipTimer.start();
                Post(WM_MOUSEMOVE);
                break;
            case LeaveNotify:
                inside = false;
                HideTip();
                break;
            case MotionNotify:
                Post(WM_MOUSEMOVE);
                break;
            case ButtonPress:
                OnButtonPress(e.xbutton);
                break;
            case ButtonRelease:
                if (UINT down = DownMessage(e.xbutton.button); down != 0)
                    Post(down + 1);
                break;
            default:
                break;
        }
        connection.Flush();
    }

    // Trays show no tips for embedded icons; the icon shows its own.
    void ShowTip() {
        if (!inside || record.szTip[0] == '\0' || (record.uFlags & NIF_TIP) == 0)
            return;
        if (QApplication::instance() == nullptr ||
            QGuiApplication::platformName() == QLatin1String("offscreen"))
            return;
        QToolTip::showText(QCursor::pos(), ToQString(record.szTip));
        tipShown = true;
    }

    void HideTip() {
        tipTimer.stop();
        if (tipShown) {
            QToolTip::hideText();
            tipShown = false;
        }
    }

    x11::Connection& connection;
    ::Display* display;
    int screen;
    Atoms atoms;
    Window root = 0;
    Window manager = 0;
    Window window = 0;
    Colormap colormap = 0;
    Visual* visual = nullptr;
    int depth = 0;
    bool argb = false;
    int width = 0;
    int height = 0;
    int listener = 0;
    NotifyIconData record;
    bool inside = false;
    bool tipShown = false;
    QTimer tipTimer;
    unsigned lastButton = 0;
    Time lastPressTime = 0;
    int lastPressX = 0;
    int lastPressY = 0;
    bool lastWasDouble = false;
};

XEmbedTrayIcon::XEmbedTrayIcon(x11::Connection& connection, const NotifyIconData& data)
    : impl_(std::make_unique<Impl>(connection, data)) {}

XEmbedTrayIcon::~XEmbedTrayIcon() = default;

void XEmbedTrayIcon::Update(const NotifyIconData& data) {
    impl_->Update(data);
}

bool XEmbedTrayIcon::TrayPresent(x11::Connection& connection) {
    ::Display* d = connection.Display();
    std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(connection.Screen());
    bool present = XGetSelectionOwner(d, XInternAtom(d, name.c_str(), False)) != 0;
    connection.Flush();
    return present;
}

unsigned long XEmbedTrayIcon::IconWindow() const {
    return impl_->window;
}

}  // namespace zelvo::platform
