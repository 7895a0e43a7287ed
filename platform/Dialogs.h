#pragma once
// Message boxes and the beep, behind one replaceable service so that every
// text the program shows can be asserted without a display. Texts are
// Windows-1252 bytes.
#include <string>

#include "platform/Types.h"

namespace zelvo::platform {

constexpr UINT MB_OK = 0x00;
constexpr UINT MB_YESNO = 0x04;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

class DialogService {
public:
    virtual ~DialogService() = default;
    // Modal; returns IDOK, IDYES or IDNO.
    virtual int MessageBox(const std::string& text, const std::string& caption, UINT flags) = 0;
    virtual void MessageBeep(UINT type) = 0;
    // A box nobody waits for: the call returns at once and the box stays
    // until the user closes it. While the box of that name is open, a newer
    // text replaces the one it shows, so a failure that recurs every minute
    // leaves one box, not a pile. Services with nobody to show it to answer
    // as for MessageBox.
    virtual void ShowLasting(const std::string& name, const std::string& text,
                             const std::string& caption, UINT flags);
};

// The service in force: the one SetDialogService installed, else the
// toolkit's boxes while the windowed Application runs, else a line on
// standard error (a question is then answered No).
DialogService& Dialogs();
// Installs a service (nullptr restores the toolkit's) and returns the previous one.
DialogService* SetDialogService(DialogService* service);

inline int MessageBox(const std::string& text, const std::string& caption, UINT flags) {
    return Dialogs().MessageBox(text, caption, flags);
}
inline void MessageBeep(UINT type) {
    Dialogs().MessageBeep(type);
}

// The warning box of the program: caption "Warning", warning icon, OK.
void ShowWarning(const std::string& text);
// The warning box, as a lasting box of that name.
void ShowLastingWarning(const std::string& name, const std::string& text);
// An information box with OK.
void ShowInformation(const std::string& text, const std::string& caption);
// The standard error box: the application's title, error icon, OK.
void ShowErrorBox(const std::string& message);

// The application title, which the standard error box carries. UTF-8: it
// mirrors the strip's frames.
void SetApplicationTitle(const std::string& title);
const std::string& ApplicationTitle();

}  // namespace zelvo::platform
