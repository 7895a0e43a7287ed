#include "platform/AppWindow.h"

#include <vector>

#include "platform/MessageLoop.h"
#include "platform/win32/Win32.h"

namespace zelvo::platform {
namespace {

ApplicationWndProc appProc;

// The program's own top-level windows: those of this thread, less the
// system's menus and tips.
bool IsAppWindow(::HWND wnd) {
    if (::GetAncestor(wnd, GA_ROOT) != wnd)
        return false;
    wchar_t cls[64] = {};
    ::GetClassNameW(wnd, cls, static_cast<int>(std::size(cls)));
    return ::lstrcmpW(cls, L"#32768") != 0 && ::lstrcmpiW(cls, L"tooltips_class32") != 0;
}

std::vector<::HWND> VisibleWindows() {
    std::vector<::HWND> result;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](::HWND wnd, LPARAM list) -> BOOL {
            if (::IsWindowVisible(wnd) && IsAppWindow(wnd))
                reinterpret_cast<std::vector<::HWND>*>(list)->push_back(wnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&result));
    return result;
}

// The windows hidden by ShowWindow(SW_HIDE), to be shown again by SW_RESTORE.
std::vector<::HWND> hiddenWindows;

// Watches the thread's top-level windows for minimising and restoring and
// turns the changes of any of them into one notification per change of the
// whole.
class StateWatcher {
public:
    static StateWatcher& Get() {
        static StateWatcher* watcher = new StateWatcher;
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

private:
    StateWatcher()
        : hook_(::SetWindowsHookExW(WH_CALLWNDPROCRET, Hook, nullptr, ::GetCurrentThreadId())) {}

    // Sees every message the thread's windows handled, after they did.
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HC_ACTION) {
            const auto* m = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
            if (m->message == WM_SIZE && IsAppWindow(m->hwnd)) {
                if (m->wParam == SIZE_MINIMIZED)
                    Get().Minimized();
                else if (m->wParam == SIZE_RESTORED || m->wParam == SIZE_MAXIMIZED)
                    Get().Restored();
            }
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    HHOOK hook_;
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
    return reinterpret_cast<HWND>(::GetDesktopWindow());
}

void MinimizeApplication() {
    StateWatcher& watcher = StateWatcher::Get();
    for (::HWND w : VisibleWindows())
        ::ShowWindow(w, SW_MINIMIZE);
    watcher.Minimized();
}

void RestoreApplication() {
    StateWatcher& watcher = StateWatcher::Get();
    for (::HWND w : VisibleWindows()) {
        if (::IsIconic(w))
            ::ShowWindow(w, SW_RESTORE);
    }
    watcher.Restored();
}

bool ShowWindow(HWND wnd, int command) {
    if (wnd != ApplicationWindow())
        return false;
    switch (command) {
        case SW_HIDE:
            for (::HWND w : VisibleWindows()) {
                hiddenWindows.push_back(w);
                ::ShowWindow(w, SW_HIDE);
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
            for (::HWND w : hidden) {
                // A window destroyed meanwhile, and its handle perhaps reused by
                // another program's, is not shown.
                if (::IsWindow(w) &&
                    ::GetWindowThreadProcessId(w, nullptr) == ::GetCurrentThreadId())
                    ::ShowWindow(w, SW_SHOWNA);
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
    for (::HWND w : visible) {
        if (!::IsIconic(w))
            return false;
    }
    return true;
}

bool SetForegroundWindow(HWND wnd) {
    if (wnd != ApplicationWindow())
        return false;
    ::HWND target = ::GetActiveWindow();
    if (target == nullptr || !::IsWindowVisible(target)) {
        auto visible = VisibleWindows();
        if (visible.empty())
            return false;
        target = visible.front();
    }
    ::BringWindowToTop(target);
    ::SetForegroundWindow(target);
    return true;
}

// Locking the whole desktop holds back every program's painting and the
// system advises against it; the strip's own drawing is double-buffered.
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
