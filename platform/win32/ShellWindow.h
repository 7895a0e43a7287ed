#pragma once
// A top-level window that is never shown. The shell's own messages reach
// only top-level windows: the broadcast of a restarted taskbar, the end of
// the session, and the foreground a pop-up menu needs. The message-only
// windows of the loop hear none of them.
#include <functional>

#include "platform/Types.h"

namespace zelvo::platform::win32 {

class ShellWindow {
public:
    // Returns true when it handled the message, with the result in *result;
    // the system's default handling runs otherwise.
    using Handler = std::function<bool(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)>;

    explicit ShellWindow(Handler handler);
    ~ShellWindow();
    ShellWindow(const ShellWindow&) = delete;
    ShellWindow& operator=(const ShellWindow&) = delete;

    // The system's window handle as the platform's integer; 0 when none.
    HWND Handle() const { return handle_; }

private:
    Handler handler_;
    HWND handle_ = 0;
};

}  // namespace zelvo::platform::win32
