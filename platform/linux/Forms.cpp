#include "platform/Forms.h"

#include <QCloseEvent>
#include <QDialog>
#include <QEvent>
#include <QLayout>
#include <QShowEvent>

#include "platform/linux/QtText.h"
#include "platform/linux/ControlImpl.h"

namespace zelvo::platform {
using namespace toolkit;

namespace {

// The dialog that carries a form, handing its events to the form's handlers.
class FormDialog : public QDialog {
public:
    explicit FormDialog(TForm& form) : form_(form) {
        setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowCloseButtonHint);
    }

    // Set once the form is going, so that no handler runs on a half-destroyed form.
    bool detached = false;

protected:
    void showEvent(QShowEvent* event) override {
        QDialog::showEvent(event);
        if (!detached && !event->spontaneous())
            Fire(form_.OnShow, &form_);
    }

    void hideEvent(QHideEvent* event) override {
        QDialog::hideEvent(event);
        if (!detached && !event->spontaneous())
            Fire(form_.OnHide, &form_);
    }

    void closeEvent(QCloseEvent* event) override {
        if (detached || !form_.OnClose) {
            QDialog::closeEvent(event);
            return;
        }
        Fire(form_.OnClose, &form_);
        event->accept();
    }

    void reject() override {
        if (detached || !form_.OnCancel) {
            QDialog::reject();
            return;
        }
        Fire(form_.OnCancel, &form_);
    }

    void changeEvent(QEvent* event) override {
        QDialog::changeEvent(event);
        if (!detached &&
            (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange))
            Fire(form_.OnFontChange, &form_);
    }

private:
    TForm& form_;
};

}  // namespace

TForm::TForm() : TWinControl(MakeImpl(new FormDialog(*this))) {}

TForm::~TForm() {
    if (auto* dialog = As<FormDialog>(*this)) {
        dialog->detached = true;
        // A modal loop still running returns before the dialog goes.
        if (dialog->isVisible())
            dialog->hide();
    }
}

std::string TForm::Caption() const {
    QWidget* w = WidgetOf(*this);
    return w != nullptr ? FromQString(w->windowTitle()) : std::string();
}

void TForm::SetCaption(const std::string& caption) {
    if (QWidget* w = WidgetOf(*this))
        w->setWindowTitle(ToQString(caption));
}

void TForm::MoveTo(int left, int top) {
    if (QWidget* w = WidgetOf(*this))
        w->move(left, top);
}

void TForm::FitToContents(int minWidth, int minHeight) {
    QWidget* w = WidgetOf(*this);
    if (w == nullptr)
        return;
    w->ensurePolished();
    QSize size(minWidth, minHeight);
    if (QLayout* layout = w->layout()) {
        layout->invalidate();
        size = layout->totalSizeHint().expandedTo(size);
    }
    w->setFixedSize(size);
}

void TForm::Show() {
    if (QWidget* w = WidgetOf(*this))
        w->show();
}

void TForm::Hide() {
    if (QWidget* w = WidgetOf(*this))
        w->hide();
}

int TForm::ShowModal() {
    auto* dialog = As<FormDialog>(*this);
    if (dialog == nullptr)
        return mrCancel;
    const int result = dialog->exec();
    return result == QDialog::Rejected ? mrCancel : result;
}

bool TForm::Modal() const {
    QWidget* w = WidgetOf(*this);
    return w != nullptr && w->isModal() && w->isVisible();
}

void TForm::SetModalResult(int result) {
    if (auto* dialog = As<FormDialog>(*this))
        dialog->done(result);
}

void TForm::Close() {
    if (QWidget* w = WidgetOf(*this))
        w->close();
}

}  // namespace zelvo::platform
