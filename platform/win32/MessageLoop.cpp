#include "platform/MessageLoop.h"

#include <unordered_map>

#include "platform/win32/MessageWindowClass.h"
#include "platform/win32/Win32.h"

// Outside the namespace, whose HWND is the platform's integer, not the
// system's pointer that the macro casts to.
static const ::HWND kMessageOnly = HWND_MESSAGE;

namespace zelvo::platform {
namespace {

constexpr wchar_t kClassName[] = L"ZelvoMessageWindow";

// The windows of this process by handle: SendMessage calls their procedure
// itself, so that what it throws reaches the caller as it would on any
// other call, instead of crossing the system's frames.
std::unordered_map<HWND, MessageWindow::WndProc*>& Windows() {
    static std::unordered_map<HWND, MessageWindow::WndProc*> windows;
    return windows;
}

LRESULT CALLBACK Procedure(::HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* proc = reinterpret_cast<MessageWindow::WndProc*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
    if (proc == nullptr)
        return ::DefWindowProcW(wnd, msg, wParam, lParam);
    // A copy: the procedure may destroy its own window, and the original with it.
    MessageWindow::WndProc run = *proc;
    LRESULT result = 0;
    Guarded([&] { result = run(msg, wParam, lParam); });
    return result;
}

ATOM RegisterOnce() {
    static const ATOM atom = [] {
        WNDCLASSEXW cls{};
        cls.cbSize = sizeof cls;
        cls.lpfnWndProc = Procedure;
        cls.hInstance = ::GetModuleHandleW(nullptr);
        cls.lpszClassName = kClassName;
        return ::RegisterClassExW(&cls);
    }();
    return atom;
}

::HWND Native(HWND wnd) {
    return reinterpret_cast<::HWND>(wnd);
}

void Dispatch(MSG& m) {
    // A posted WM_TIMER with an lParam would be taken for a timer callback's
    // address; our windows get theirs from the procedure itself.
    if (m.message == WM_TIMER && m.lParam != 0 &&
        Windows().count(reinterpret_cast<HWND>(m.hwnd)) != 0) {
        Procedure(m.hwnd, m.message, m.wParam, m.lParam);
        return;
    }
    ::TranslateMessage(&m);
    ::DispatchMessageW(&m);
}

// Handles what is queued now or arrives meanwhile; the count of messages
// handled. A quit message ends the round: the loop that waits for it looks
// at the application's own flag, set by whoever posted it.
int Drain(UINT filter) {
    int handled = 0;
    MSG m;
    while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE | filter)) {
        ++handled;
        if (m.message == WM_QUIT)
            break;
        Dispatch(m);
    }
    return handled;
}

}  // namespace

namespace win32 {

HWND CreateMessageWindow(MessageWindow::WndProc* proc) {
    RegisterOnce();
    ::HWND wnd = ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, kMessageOnly, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    if (wnd == nullptr)
        return 0;
    // Only now: the procedure sees none of the system's creation messages.
    ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(proc));
    const HWND handle = reinterpret_cast<HWND>(wnd);
    Windows()[handle] = proc;
    return handle;
}

void DestroyMessageWindow(HWND handle) {
    if (handle == 0)
        return;
    Windows().erase(handle);
    ::SetWindowLongPtrW(Native(handle), GWLP_USERDATA, 0);
    // The system drops what is still queued for a window that is gone.
    ::DestroyWindow(Native(handle));
}

}  // namespace win32

MessageWindow::MessageWindow(WndProc proc)
    : proc_(std::make_unique<WndProc>(std::move(proc))),
      handle_(win32::CreateMessageWindow(proc_.get())) {}

MessageWindow::~MessageWindow() {
    win32::DestroyMessageWindow(handle_);
}

bool PostMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return wnd != 0 && ::PostMessageW(Native(wnd), msg, wParam, lParam) != 0;
}

LRESULT SendMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto it = Windows().find(wnd);
    if (it == Windows().end())
        return wnd != 0 && ::IsWindow(Native(wnd))
                   ? ::SendMessageW(Native(wnd), msg, wParam, lParam)
                   : 0;
    MessageWindow::WndProc run = *it->second;
    return run(msg, wParam, lParam);
}

bool IsWindow(HWND wnd) {
    return wnd != 0 && ::IsWindow(Native(wnd)) != 0;
}

void ProcessMessages() {
    Drain(0);
}

void PumpPostedMessages() {
    Drain(PM_QS_POSTMESSAGE);
}

void WaitMessage() {
    while (Drain(0) == 0)
        ::MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

DWORD GetTickCount() {
    return ::GetTickCount();
}

}  // namespace zelvo::platform
