#include "platform/win32/ShellWindow.h"

#include "platform/MessageLoop.h"
#include "platform/win32/Win32.h"

namespace zelvo::platform::win32 {
namespace {

constexpr wchar_t kClassName[] = L"ZelvoShellWindow";

LRESULT CALLBACK Procedure(::HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* handler =
        reinterpret_cast<ShellWindow::Handler*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
    if (handler != nullptr && *handler) {
        // A copy: the handler may destroy its own window.
        ShellWindow::Handler run = *handler;
        LRESULT result = 0;
        bool handled = false;
        Guarded([&] { handled = run(msg, wParam, lParam, &result); });
        if (handled)
            return result;
    }
    return ::DefWindowProcW(wnd, msg, wParam, lParam);
}

void RegisterOnce() {
    static const ATOM atom = [] {
        WNDCLASSEXW cls{};
        cls.cbSize = sizeof cls;
        cls.lpfnWndProc = Procedure;
        cls.hInstance = ::GetModuleHandleW(nullptr);
        cls.lpszClassName = kClassName;
        return ::RegisterClassExW(&cls);
    }();
    (void)atom;
}

}  // namespace

ShellWindow::ShellWindow(Handler handler) : handler_(std::move(handler)) {
    RegisterOnce();
    // A tool window stays off the taskbar and out of Alt+Tab should anything show it.
    ::HWND wnd = ::CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                   nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (wnd == nullptr)
        return;
    ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&handler_));
    handle_ = reinterpret_cast<HWND>(wnd);
}

ShellWindow::~ShellWindow() {
    if (handle_ == 0)
        return;
    ::HWND wnd = reinterpret_cast<::HWND>(handle_);
    ::SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
    ::DestroyWindow(wnd);
}

}  // namespace zelvo::platform::win32
