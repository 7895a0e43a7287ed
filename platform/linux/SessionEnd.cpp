#include "platform/SessionEnd.h"

#include <fcntl.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <algorithm>
#include <csignal>
#include <vector>

#include "platform/Application.h"
#include "platform/MessageLoop.h"

namespace zelvo::platform {
namespace {

std::vector<HWND>& Windows() {
    static std::vector<HWND> windows;
    return windows;
}

int signalPipe[2] = {-1, -1};

void OnTerminateSignal(int) {
    const char byte = 1;
    // Only async-signal-safe work here: wake the loop and return.
    [[maybe_unused]] auto n = ::write(signalPipe[1], &byte, 1);
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
    bool ends = agreed || !mayRefuse;
    windows = Windows();
    for (HWND wnd : windows) {
        if (IsWindow(wnd))
            Guarded([&] { SendMessage(wnd, WM_ENDSESSION, ends ? 1 : 0, 0); });
    }
    if (ends) {
        if (Application* app = Application::Instance())
            app->Terminate(0);
    }
    return ends;
}

void WatchSessionEnd() {
    static bool watching = false;
    if (watching || QGuiApplication::instance() == nullptr)
        return;
    watching = true;

    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        auto* notifier =
            new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, QGuiApplication::instance());
        QObject::connect(notifier, &QSocketNotifier::activated, [] {
            char buffer[16];
            while (::read(signalPipe[0], buffer, sizeof buffer) > 0) {
            }
            DeliverSessionEnd(false);
        });
        struct sigaction action = {};
        action.sa_handler = OnTerminateSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGTERM, &action, nullptr);
    }

#ifndef QT_NO_SESSIONMANAGER
    QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest, [](QSessionManager& manager) {
        if (!DeliverSessionEnd(manager.allowsInteraction()))
            manager.cancel();
    });
#endif
}

}  // namespace zelvo::platform
