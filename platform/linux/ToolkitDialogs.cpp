#include "platform/linux/ToolkitDialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <map>
#include <string>

#include "platform/QtText.h"
#include "platform/common/DialogFallback.h"

namespace zelvo::platform {
namespace {

class ToolkitDialogs : public DialogService {
public:
    int MessageBox(const std::string& text, const std::string& caption, UINT flags) override {
        QMessageBox box;
        box.setWindowTitle(ToQString(caption));
        box.setText(ToQString(text));
        box.setIcon(IconOf(flags));
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

    void ShowLasting(const std::string& name, const std::string& text, const std::string& caption,
                     UINT flags) override {
        QPointer<QMessageBox>& open = lasting_[name];
        if (open == nullptr) {
            open = new QMessageBox;
            open->setObjectName(ToQString(name));
            open->setIcon(IconOf(flags));
            open->setStandardButtons(QMessageBox::Ok);
            // An address is shown as it is, never read as markup.
            open->setTextFormat(Qt::PlainText);
            open->setModal(false);
            open->setAttribute(Qt::WA_DeleteOnClose);
            // It comes up unasked, perhaps while the user types elsewhere.
            open->setAttribute(Qt::WA_ShowWithoutActivating);
            open->setWindowFlag(Qt::WindowStaysOnTopHint);
        }
        open->setWindowTitle(ToQString(caption));
        open->setText(ToQString(text));
        open->show();
    }

    // Before the toolkit goes: a box still open would outlive it.
    void CloseLasting() {
        for (auto& [name, box] : lasting_)
            delete box.data();
        lasting_.clear();
    }

private:
    static QMessageBox::Icon IconOf(UINT flags) {
        switch (flags & 0xF0) {
            case MB_ICONERROR:
                return QMessageBox::Critical;
            case MB_ICONQUESTION:
                return QMessageBox::Question;
            case MB_ICONWARNING:
                return QMessageBox::Warning;
            case MB_ICONINFORMATION:
                return QMessageBox::Information;
            default:
                return QMessageBox::NoIcon;
        }
    }

    // A box closed by the user deletes itself and its pointer turns null.
    std::map<std::string, QPointer<QMessageBox>> lasting_;
};

}  // namespace

void UseToolkitDialogs(bool on) {
    static ToolkitDialogs toolkit;
    if (!on)
        toolkit.CloseLasting();
    SetFallbackDialogService(on ? &toolkit : nullptr);
}

}  // namespace zelvo::platform
