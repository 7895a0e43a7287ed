#pragma once
// A top-level window of the program holding controls: a dialog with a title
// bar and a close box, shown modally or not.
#include <string>

#include "platform/Controls.h"

namespace zelvo::platform {

constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;

class TForm : public TWinControl {
public:
    TForm();
    ~TForm() override;

    // The title, Windows-1252.
    std::string Caption() const;
    void SetCaption(const std::string& caption);
    // The place of the frame on the screen.
    void MoveTo(int left, int top);
    // Fixes the size at what the arrangement needs in the present font, the
    // hidden pages of page controls counting too, and never below the least.
    void FitToContents(int minWidth, int minHeight);

    void Show();
    void Hide();
    // Shows the form and runs the loop until it closes; returns how it closed
    // (mrCancel when the user closed it from its frame or with Escape).
    int ShowModal();
    bool Modal() const;
    // Closes a modal form with that result; a form not shown modally hides.
    void SetModalResult(int result);
    // Closes the form as its close box does.
    void Close();

    // When the program shows or hides the form (not when the desktop
    // minimises or restores it).
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    // When the form is asked to close, from its frame or by Close; it hides
    // after the handler. Without a handler it closes as for Escape.
    TNotifyEvent OnClose;
    // Escape, instead of closing the form. Without a handler the form closes
    // with mrCancel.
    TNotifyEvent OnCancel;
    // After the form's font or style changes, so that it can fit its controls.
    TNotifyEvent OnFontChange;
};

}  // namespace zelvo::platform
