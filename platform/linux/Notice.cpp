#include "platform/Notice.h"

#include <QApplication>
#include <QMessageBox>

#include "platform/linux/QtText.h"

namespace zelvo::platform {

void ShowNotice(const std::string& text, const std::string& caption) {
    if (QApplication::instance() == nullptr)
        return;
    auto* box = new QMessageBox;
    box->setObjectName(QStringLiteral("notice"));
    box->setWindowTitle(ToQString(caption));
    box->setText(ToQString(text));
    box->setIcon(QMessageBox::Information);
    box->setStandardButtons(QMessageBox::Ok);
    box->setModal(false);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setAttribute(Qt::WA_ShowWithoutActivating);
    box->show();
}

}  // namespace zelvo::platform
