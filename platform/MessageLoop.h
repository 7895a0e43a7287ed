#pragma once
// The program's one message loop: hidden windows that receive posted
// messages, the pumps that handle them, a blocking wait for loops that must
// wait, and the tick count. Single-threaded: every call comes from the thread
// that created the Application.
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "platform/Types.h"

namespace zelvo::platform {

// A window that is never shown; it exists to receive messages. Destroying it
// drops whatever is still queued for it.
class MessageWindow {
public:
    using WndProc = std::function<LRESULT(UINT msg, WPARAM wParam, LPARAM lParam)>;

    explicit MessageWindow(WndProc proc);
    ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    HWND Handle() const { return handle_; }

private:
    std::unique_ptr<WndProc> proc_;
    HWND handle_;
};

// Queues the message behind all others and returns; the window's procedure
// runs later, from the loop. False when the window does not exist.
bool PostMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Runs the window's procedure now and returns its result (0 for no window).
LRESULT SendMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Whether the window exists.
bool IsWindow(HWND wnd);

// Handles every pending posted message and toolkit event, including those
// that arrive while it runs, and returns as soon as nothing is pending.
void ProcessMessages();

// Handles only the posted messages already queued or queued while it runs;
// never waits and never touches the toolkit's own events.
void PumpPostedMessages();

// Blocks until at least one message or event has been handled (returns at
// once, handling them, when some are pending).
void WaitMessage();

// Milliseconds since an arbitrary start, monotonic, wrapping like a 32-bit counter.
DWORD GetTickCount();

// The application-wide exception handler: every procedure, timer handler and
// toolkit event run from the loop runs inside one catch that passes what it
// caught here; the program then carries on.
using ExceptionHandler = std::function<void(std::exception_ptr)>;
void SetExceptionHandler(ExceptionHandler handler);
void HandleException(std::exception_ptr error);

// The text of an exception as the standard error box shows it.
std::string ExceptionMessage(std::exception_ptr error);

// Runs fn inside the loop's catch.
template <typename Fn>
void Guarded(Fn&& fn) {
    try {
        fn();
    } catch (...) {
        HandleException(std::current_exception());
    }
}

}  // namespace zelvo::platform
