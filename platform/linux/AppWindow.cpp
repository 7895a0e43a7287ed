#include "platform/AppWindow.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <QWindowStateChangeEvent>
#include <vector>

#include "platform/MessageLoop.h"

namespace zelvo::platform {
namespace {

constexpr HWND kDesktopWindow = 0x10;

ApplicationWndProc appProc;

bool IsAppWindow(const QWidget* w) {
    if (w == nullptr || !w->isWindow())
        return false;
    Qt::WindowType type = w->windowType();
    return type != Qt::Popup && type != Qt::ToolTip && type != Qt::SplashScreen &&
           type != Qt::Desktop;
}

std::vector<QWidget*> VisibleWindows() {
    std::vector<QWidget*> result;
    if (QApplication::instance() == nullptr)
        return result;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (IsAppWindow(w) && w->isVisible())
            result.push_back(w);
    }
    return result;
}

// The windows hidden by ShowWindow(SW_HIDE), to be shown again by SW_RESTORE.
std::vector<QPointer<QWidget>> hiddenWindows;

// Watches the top-level windows for minimising and restoring and turns the
// changes of any of them into one notification per change of the whole.
class StateWatcher : public QObject {
public:
    static StateWatcher& Get() {
        static StateWatcher* watcher = [] {
            auto* w = new StateWatcher;
            if (QApplication::instance() != nullptr)
                QApplication::instance()->installEventFilter(w);
            return w;
        }();
        return *watcher;
    }

    ApplicationNotification onMinimize;
    ApplicationNotification onRestore;
    bool iconic = false;

    void Minimized() {
        if (iconic)
            return;
        iconic = true;
        if (auto n = onMinimize)
            Guarded(n);
    }
    void Restored() {
        if (!iconic)
            return;
        iconic = false;
        if (auto n = onRestore)
            Guarded(n);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowStateChange && watched->isWidgetType()) {
            auto* w = static_cast<QWidget*>(watched);
            if (IsAppWindow(w)) {
                auto* change = static_cast<QWindowStateChangeEvent*>(event);
                bool was = change->oldState().testFlag(Qt::WindowMinimized);
                bool now = w->windowState().testFlag(Qt::WindowMinimized);
                if (now && !was)
                    Minimized();
                else if (was && !now)
                    Restored();
            }
        }
        return false;
    }
};

}  // namespace

HWND ApplicationWindow() {
    static MessageWindow* window = new MessageWindow([](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
        if (auto proc = appProc)
            return proc(msg, w, l);
        return 0;
    });
    return window->Handle();
}

void SetApplicationWndProc(ApplicationWndProc proc) {
    appProc = std::move(proc);
}

HWND GetDesktopWindow() {
    return kDesktopWindow;
}

void MinimizeApplication() {
    for (QWidget* w : VisibleWindows())
        w->showMinimized();
    StateWatcher::Get().Minimized();
}

void RestoreApplication() {
    if (QApplication::instance() != nullptr) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (IsAppWindow(w) && w->isMinimized())
                w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
        }
    }
    StateWatcher::Get().Restored();
}

bool ShowWindow(HWND wnd, int command) {
    if (wnd != ApplicationWindow())
        return false;
    switch (command) {
        case SW_HIDE:
            for (QWidget* w : VisibleWindows()) {
                hiddenWindows.emplace_back(w);
                w->hide();
            }
            return true;
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED:
            MinimizeApplication();
            return true;
        case SW_SHOW:
        case SW_SHOWNORMAL:
        case SW_RESTORE:
        case SW_SHOWMAXIMIZED: {
            auto hidden = std::move(hiddenWindows);
            hiddenWindows.clear();
            for (auto& w : hidden) {
                if (w != nullptr)
                    w->show();
            }
            if (command != SW_SHOW)
                RestoreApplication();
            return true;
        }
        default:
            return false;
    }
}

bool IsIconic(HWND wnd) {
    if (wnd != ApplicationWindow())
        return false;
    if (StateWatcher::Get().iconic)
        return true;
    auto visible = VisibleWindows();
    if (visible.empty())
        return false;
    for (QWidget* w : visible) {
        if (!w->isMinimized())
            return false;
    }
    return true;
}

bool SetForegroundWindow(HWND wnd) {
    if (wnd != ApplicationWindow() || QApplication::instance() == nullptr)
        return false;
    QWidget* target = QApplication::activeWindow();
    if (target == nullptr) {
        auto visible = VisibleWindows();
        if (visible.empty())
            return false;
        target = visible.front();
    }
    target->raise();
    target->activateWindow();
    return true;
}

bool LockWindowUpdate(HWND) {
    return true;
}

ApplicationNotification SetOnApplicationMinimize(ApplicationNotification notification) {
    auto& w = StateWatcher::Get();
    auto previous = std::move(w.onMinimize);
    w.onMinimize = std::move(notification);
    return previous;
}

ApplicationNotification SetOnApplicationRestore(ApplicationNotification notification) {
    auto& w = StateWatcher::Get();
    auto previous = std::move(w.onRestore);
    w.onRestore = std::move(notification);
    return previous;
}

}  // namespace zelvo::platform
