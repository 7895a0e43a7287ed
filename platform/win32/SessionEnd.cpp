#include "platform/SessionEnd.h"

#include <algorithm>
#include <vector>

#include "platform/Application.h"
#include "platform/MessageLoop.h"
#include "platform/win32/ShellHooks.h"
#include "platform/win32/ShellWindow.h"
#include "platform/win32/Win32.h"

namespace zelvo::platform {
namespace {

std::vector<HWND>& Windows() {
    static std::vector<HWND> windows;
    return windows;
}

// Asks every registered window; whether all agreed.
bool Ask() {
    // Copies: a window may unregister (or be destroyed) while it is asked.
    std::vector<HWND> windows = Windows();
    bool agreed = true;
    for (HWND wnd : windows) {
        if (!IsWindow(wnd))
            continue;
        LRESULT answer = 1;
        Guarded([&] { answer = SendMessage(wnd, WM_QUERYENDSESSION, 0, 0); });
        if (answer == 0)
            agreed = false;
    }
    return agreed;
}

void Tell(bool ends) {
    std::vector<HWND> windows = Windows();
    for (HWND wnd : windows) {
        if (IsWindow(wnd))
            Guarded([&] { SendMessage(wnd, WM_ENDSESSION, ends ? 1 : 0, 0); });
    }
    if (ends) {
        if (Application* app = Application::Instance())
            app->Terminate(0);
    }
}

}  // namespace

void RegisterSessionWindow(HWND wnd) {
    WatchSessionEnd();
    auto& w = Windows();
    if (std::find(w.begin(), w.end(), wnd) == w.end())
        w.push_back(wnd);
}

void UnregisterSessionWindow(HWND wnd) {
    auto& w = Windows();
    w.erase(std::remove(w.begin(), w.end(), wnd), w.end());
}

bool DeliverSessionEnd(bool mayRefuse) {
    const bool ends = Ask() || !mayRefuse;
    Tell(ends);
    return ends;
}

// The system asks the top-level windows of each program and tells them the
// outcome in two steps; between them other programs may refuse, so the
// windows hear the outcome only from the second. The process ends as soon
// as its WM_ENDSESSION with TRUE returns: whatever the windows save, they
// save while they handle it.
namespace {
win32::ShellWindow* watcher = nullptr;
}  // namespace

void WatchSessionEnd() {
    if (watcher != nullptr)
        return;
    watcher = new win32::ShellWindow([](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
        if (msg == WM_QUERYENDSESSION) {
            // A critical end cannot be refused; the windows are asked all the same.
            const bool agreed = Ask() || (lParam & ENDSESSION_CRITICAL) != 0;
            *result = agreed ? TRUE : FALSE;
            return true;
        }
        if (msg == WM_ENDSESSION) {
            Tell(wParam != 0);
            *result = 0;
            return true;
        }
        return false;
    });
}

HWND win32::SessionEndWatcher() {
    WatchSessionEnd();
    return watcher->Handle();
}

}  // namespace zelvo::platform
