#include "app/AbtZv3.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "platform/Cp1252.h"
#include "platform/QtText.h"

namespace zelvo::app {
using platform::ToQString;

namespace {

QLabel* CentredLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    return label;
}

}  // namespace

std::string TfrmAbout::AboutCaption() {
    return std::string("About") + '\xA0' + "Zelvo";
}

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName("frmAbout");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(367, 262);

    auto* panel = new QFrame(this);
    panel->setObjectName("Panel1");
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setGeometry(10, 10, 346, 198);
    auto* layout = new QVBoxLayout(panel);

    ProgramIcon = CentredLabel({}, panel);
    ProgramIcon->setFixedHeight(40);
    ProgramIcon->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(32, 32));
    ProductName = CentredLabel("Zelvo", panel);
    QFont big = ProductName->font();
    big.setBold(true);
    big.setPixelSize(20);
    ProductName->setFont(big);
    Version = CentredLabel("Automated Web Content Retrieval", panel);
    QFont times("Times New Roman");
    times.setBold(true);
    Version->setFont(times);
    Copyright = CentredLabel("Copyright \xC2\xA9 Quorvane", panel);
    QFont bold = Copyright->font();
    bold.setBold(true);
    Copyright->setFont(bold);
    Label1 = CentredLabel("Email:  info@quorvane.com", panel);
    Comments = CentredLabel("Web Site:  http://www.quorvane.com/", panel);
    Comments->setWordWrap(true);
    lblVersion = CentredLabel("Version 1.0", panel);
    lblVersion->setFont(bold);
    for (QLabel* l : {ProgramIcon, ProductName, Version, Copyright, Label1, Comments, lblVersion})
        layout->addWidget(l);

    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    OKButton->setGeometry(137, 222, 92, 30);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    FormCreate();
}

void TfrmAbout::FormCreate() {
    lblVersion->setText(ToQString(std::string("Version ") + kProgramVersion + " - Windows 95/NT"));
    setWindowTitle(ToQString(AboutCaption()));
}

}  // namespace zelvo::app
