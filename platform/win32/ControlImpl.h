#pragma once
// The system's side of the form controls: each control's window, the font it
// shares with its container until it is given its own, the size limits the
// program set, and the handlers its container hands the control's
// notifications to. A window going away (its own control's destructor, or a
// container destroyed first) clears the handle, so that the control then
// does nothing.
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "platform/Controls.h"
#include "platform/win32/Win32.h"
// The system's name for its own call would rename the canvas's.
#undef TextOut

#include <commctrl.h>

namespace zelvo::platform {

// The loop's handler for what event handlers throw (platform/MessageLoop.h,
// not included here: its message numbers are the system's macros).
void HandleException(std::exception_ptr error);

namespace win32 {

enum class Kind {
    Form,
    Panel,
    GroupBox,
    Sheet,
    Label,
    Image,
    Button,
    Edit,
    Combo,
    Check,
    Radio,
    TrackBar,
    Spin,
    Pages,
    PaintBox
};

// A font the system made for a face at a size, shared by the controls that
// show it.
struct FontObject {
    FontObject(const TFont& face, HFONT handle) : font(face), handle(handle) {}
    ~FontObject();
    FontObject(const FontObject&) = delete;
    FontObject& operator=(const FontObject&) = delete;
    TFont font;
    HFONT handle;
};

}  // namespace win32

struct TControl::Impl {
    win32::Kind kind;
    // The control's own window; null once it went.
    ::HWND hwnd = nullptr;
    // The window that takes the focus when it is not the control's own.
    ::HWND focus = nullptr;
    std::string name;
    std::string hint;
    ::HWND tip = nullptr;
    std::shared_ptr<win32::FontObject> font;
    bool ownFont = false;
    int fixedWidth = -1;
    int fixedHeight = -1;
    int minWidth = 0;
    int minHeight = 0;
    // The arrangement of a container's contents, owned by the container.
    TBoxLayout::Impl* arrangement = nullptr;
    // What a combo box's window takes beyond its field: the dropped list.
    int dropHeight = 0;

    // What the control's container passes on: the notification code of a
    // WM_COMMAND, a WM_NOTIFY and the request code of a WM_HSCROLL/WM_VSCROLL.
    std::function<void(::UINT code)> command;
    std::function<::LRESULT(const NMHDR& header)> notify;
    std::function<void(::UINT code)> scroll;
    // The control's own messages, before the window's procedure; true when handled.
    std::function<bool(::UINT msg, ::WPARAM wParam, ::LPARAM lParam, ::LRESULT& result)> own;
    // The size the control shows its contents whole at, in pixels.
    std::function<SIZE()> preferred;
    // Arranges what a control holds besides a container's contents (a page
    // control's pages) after the control moved.
    std::function<void()> arrangeParts;

    // What a kind of control keeps besides its window.
    std::shared_ptr<void> state;
    // Ends a form's modal loop once the form went.
    std::shared_ptr<int> life = std::make_shared<int>(0);

    // A form's state.
    bool modal = false;
    int modalResult = 0;
    bool detached = false;
    bool shown = false;
};

namespace win32 {

// Creates a control's window inside the parent's (a top-level one for a
// null parent) and ties it to the control's side. The text is Windows-1252.
std::unique_ptr<TControl::Impl> MakeControl(Kind kind, const wchar_t* windowClass,
                                            const TControl::Impl* parent, ::DWORD style,
                                            ::DWORD exStyle = 0, const std::string& text = {});
// Ties a window that is part of a control (a spin edit's field) to it: its
// own messages reach the control's `own` handler too.
void AttachPart(TControl::Impl& impl, ::HWND part);

// The window a container's children are put into; null once it went.
inline ::HWND ParentWindow(const TWinControl& parent) {
    return parent.Toolkit().hwnd;
}
inline ::HWND WindowOf(const TControl& control) {
    return control.Toolkit().hwnd;
}
inline ::HWND FocusTarget(const TControl& control) {
    const auto& impl = control.Toolkit();
    return impl.focus != nullptr && impl.hwnd != nullptr ? impl.focus : impl.hwnd;
}
// Whether the control still exists: arrangements hold controls that may go first.
bool Alive(const TControl* control);
// The control a window belongs to, null for a window of no control.
TControl::Impl* ControlOf(::HWND window);

// Our own window classes: a container, a top-level form, a self-painted box.
const wchar_t* ContainerClass();
const wchar_t* FormClass();
const wchar_t* PaintClass();

// The pixels per inch the window is shown at (96 where the system cannot say).
int DpiOf(::HWND window);
int Scale(::HWND window, int pixelsAt96);

// Windows-1252 texts of windows.
std::string WindowText(::HWND window);
void SetText1252(::HWND window, const std::string& text);
std::wstring Wide1252(const std::string& text);
std::string Narrow1252(const std::wstring& text);

// The font of a new control of that container (the desktop's message font
// for a form), and the one made for a face in that window.
std::shared_ptr<FontObject> DefaultFont(::HWND window);
std::shared_ptr<FontObject> MakeFont(const TFont& face, ::HWND window);
// The size of a text in a control's font; "&" marks an access key.
SIZE TextSize(const TControl::Impl& impl, const std::string& text, int wrapWidth = 0);
// The average character width and the line height of the control's font.
SIZE CharSize(const TControl::Impl& impl);

// Runs an event handler as the loop runs handlers: a failure goes to the
// program's exception handler.
inline void Fire(const TNotifyEvent& handler, TControl* sender) {
    if (handler) {
        TNotifyEvent copy = handler;
        try {
            copy(sender);
        } catch (...) {
            HandleException(std::current_exception());
        }
    }
}

// Gives a new control the size it needs, as it has until arranged or placed.
void FitNew(TControl::Impl& impl);
// Arranges the contents of the form the control is on again, when it shows.
void Rearrange(const TControl::Impl& impl);
// Arranges the contents of the container and of every container inside it.
void ArrangeAll(TControl::Impl& container);
// Arranges a container's contents in its present size.
void ArrangeContents(TControl::Impl& container);
// The size the control needs, its limits applied; zero for a hidden one.
SIZE NeededSize(const TControl& control);
// The size a container's arrangement needs, with its margins.
SIZE ArrangementSize(const TControl::Impl& container);
// What a container shows of its own around its contents.
RECT ContentInsets(const TControl::Impl& container);

}  // namespace win32
}  // namespace zelvo::platform
