#include "platform/linux/ToolkitDialogs.h"

#include <QApplication>
#include <QMessageBox>

#include "platform/linux/DialogFallback.h"
#include "toolkit/QtText.h"

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

}  // namespace

void UseToolkitDialogs(bool on) {
    static ToolkitDialogs toolkit;
    SetFallbackDialogService(on ? &toolkit : nullptr);
}

}  // namespace zelvo::platform
