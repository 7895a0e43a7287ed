#include "platform/Dialogs.h"

#include <QApplication>
#include <QMessageBox>

#include "platform/Cp1252.h"
#include "platform/linux/QtText.h"

namespace zelvo::platform {
namespace {

class ToolkitDialogs : public DialogService {
public:
    int MessageBox(const std::string& text, const std::string& caption, UINT flags) override {
        QMessageBox box;
        box.setWindowTitle(ToQString(caption));
        box.setText(ToQString(text));
        switch (flags & 0xF0) {
            case MB_ICONERROR:
                box.setIcon(QMessageBox::Critical);
                break;
            case MB_ICONQUESTION:
                box.setIcon(QMessageBox::Question);
                break;
            case MB_ICONWARNING:
                box.setIcon(QMessageBox::Warning);
                break;
            case MB_ICONINFORMATION:
                box.setIcon(QMessageBox::Information);
                break;
            default:
                break;
        }
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        if ((flags & 0x0F) == MB_YESNO) {
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::Yes);
            return box.exec() == QMessageBox::Yes ? IDYES : IDNO;
        }
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return IDOK;
    }

    void MessageBeep(UINT) override { QApplication::beep(); }
};

ToolkitDialogs& Toolkit() {
    static ToolkitDialogs dialogs;
    return dialogs;
}

DialogService* current = nullptr;
std::string appTitle;

}  // namespace

DialogService& Dialogs() {
    return current != nullptr ? *current : Toolkit();
}

DialogService* SetDialogService(DialogService* service) {
    DialogService* previous = current;
    current = service;
    return previous;
}

void ShowWarning(const std::string& text) {
    MessageBox(text, "Warning", MB_OK | MB_ICONWARNING);
}

void ShowInformation(const std::string& text, const std::string& caption) {
    MessageBox(text, caption, MB_OK | MB_ICONINFORMATION);
}

void ShowErrorBox(const std::string& message) {
    // The title is UTF-8 (it mirrors the strip); box texts are Windows-1252.
    MessageBox(message, Utf8ToCp1252(ApplicationTitle()), MB_OK | MB_ICONERROR);
}

}  // namespace zelvo::platform
