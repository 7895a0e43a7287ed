#pragma once
// A bar on the desktop rather than a dialog: a top-level window without a
// title bar, shown on every workspace, that can be kept above all other
// windows. With a border the user can size it by its frame; without one it
// is bare. It needs no button on the taskbar: where a window must ask not
// to get one, it asks (X desktops list it as any window, as they always
// have). Its place counts in desktop pixels, from the corner of its frame.
#include <functional>
#include <string>

#include "platform/Controls.h"
#include "platform/Types.h"

namespace zelvo::platform {

class TStripForm : public TWinControl {
public:
    // Decided once: a desktop does not redraw the frame of a window it
    // already manages.
    explicit TStripForm(bool sizable);
    ~TStripForm() override;

    // The window's own title, UTF-8.
    std::string Caption() const;
    void SetCaption(const std::string& caption);
    // The program's title as the desktop lists the running program, UTF-8.
    // Where the strip is that entry (Linux) this is its title; where the
    // strip stays off the taskbar (Windows) the window keeps its own.
    void SetListedTitle(const std::string& title);

    void MoveTo(int left, int top);
    // The size inside the frame.
    void SetSize(int width, int height);
    // The user's sizing stops at this height too.
    void SetMaxHeight(int height);
    // What shows where no control covers the window (0x00BBGGRR).
    void SetColor(int colour);

    // Above every other window, or among them: told to the same window, which
    // keeps its place, its workspaces and its stacking otherwise.
    bool StayOnTop() const;
    void SetStayOnTop(bool onTop);

    // Showing never takes the focus from the window that has it.
    void Show();
    void Hide();
    // Shows the strip in front of the other windows and gives it the focus.
    void BringToFront();
    // As the desktop closes it: OnCloseQuery decides, then OnClose runs and
    // the window hides.
    void Close();

    // While the left button is down: the desktop moves the window with the
    // pointer, as by a title bar. False where it cannot; the caller then moves
    // the window itself.
    bool BeginDesktopMove();
    // How far the pointer goes with the button down before a press is a drag
    // (pixels, at least 1).
    static int DragDistance();

    // Whether the close may go on; without a handler it may.
    std::function<bool()> OnCloseQuery;
    TNotifyEvent OnClose;
    // Each time the window comes on screen.
    TNotifyEvent OnShow;
    TNotifyEvent OnResize;
    // The right button or the menu key anywhere on the strip, with the place
    // on the desktop the menu belongs at.
    std::function<void(TPoint screen)> OnContextMenu;
    // A key goes down while the strip has the focus.
    std::function<void(bool shift, bool ctrl)> OnKeyDown;
};

}  // namespace zelvo::platform
