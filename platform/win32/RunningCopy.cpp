#include "platform/RunningCopy.h"

#include "platform/win32/Win32.h"

namespace zelvo::platform {

// The marker is a hidden top-level window of the About box's class and
// title, as copies of this program have always looked for one. The system
// takes it away with the process, however that ends. Only the window's own
// thread destroys it, and a marker lives on the thread that made it.

namespace {

constexpr wchar_t kClass[] = L"TfrmAbout";
// "About", a no-break space, "Zelvo".
constexpr wchar_t kTitle[] = L"About\u00A0Zelvo";

void RegisterOnce() {
    static const bool done = [] {
        WNDCLASSEXW cls{};
        cls.cbSize = sizeof cls;
        cls.lpfnWndProc = ::DefWindowProcW;
        cls.hInstance = ::GetModuleHandleW(nullptr);
        cls.lpszClassName = kClass;
        ::RegisterClassExW(&cls);
        return true;
    }();
    (void)done;
}

}  // namespace

std::string RunningCopyMarkerPath() {
    return {};
}

bool RunningCopyExists() {
    // Another process's window: this copy's own marker does not count.
    struct Scan {
        DWORD self;
        bool found;
    } scan{::GetCurrentProcessId(), false};
    ::EnumWindows(
        [](::HWND w, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Scan*>(param);
            wchar_t name[16] = {};
            wchar_t title[16] = {};
            if (::GetClassNameW(w, name, 16) == 0 || ::lstrcmpW(name, kClass) != 0)
                return TRUE;
            ::GetWindowTextW(w, title, 16);
            if (::lstrcmpW(title, kTitle) != 0)
                return TRUE;
            DWORD owner = 0;
            ::GetWindowThreadProcessId(w, &owner);
            if (owner == s->self)
                return TRUE;
            s->found = true;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&scan));
    return scan.found;
}

// A window handle's significant bits fit in 32 (the system shares them
// between 32- and 64-bit programs), so the handle is kept where the header
// keeps a descriptor.
RunningCopyMarker::RunningCopyMarker() {
    RegisterOnce();
    ::HWND w = ::CreateWindowExW(WS_EX_TOOLWINDOW, kClass, kTitle, WS_POPUP, 0, 0, 0, 0, nullptr,
                                 nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (w != nullptr)
        fd_ = ::HandleToLong(w);
}

RunningCopyMarker::~RunningCopyMarker() {
    if (fd_ != -1)
        ::DestroyWindow(static_cast<::HWND>(::LongToHandle(fd_)));
}

}  // namespace zelvo::platform
