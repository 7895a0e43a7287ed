#include "platform/CommonDialogs.h"

#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/Forms.h"
#include "platform/linux/QtText.h"
#include "platform/linux/ControlImpl.h"
#include "platform/linux/QtLook.h"

namespace zelvo::platform {
using namespace toolkit;

namespace {

QWidget* OwnerWidget(TForm* owner) {
    return owner != nullptr ? WidgetOf(*owner) : nullptr;
}

std::optional<int> ChooseColorOver(QWidget* parent, int initial) {
    QColor chosen = QColorDialog::getColor(ToQColor(initial), parent);
    if (!chosen.isValid())
        return std::nullopt;
    return FromQColor(chosen);
}

}  // namespace

std::optional<int> ChooseColor(TForm* owner, int initial) {
    return ChooseColorOver(OwnerWidget(owner), initial);
}

std::optional<TFontChoice> ChooseFont(TForm* owner, const TFontChoice& initial) {
    QDialog dialog(OwnerWidget(owner));
    dialog.setWindowTitle(QStringLiteral("Font"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* fonts = new QFontDialog(ToQFont(initial.Font), &dialog);
    fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    fonts->setWindowFlags(Qt::Widget);
    layout->addWidget(fonts);

    int color = initial.Color;
    auto* colorRow = new QHBoxLayout;
    auto* swatch = new QLabel(&dialog);
    swatch->setFixedSize(40, 18);
    swatch->setFrameShape(QFrame::Box);
    swatch->setAutoFillBackground(true);
    auto paint = [swatch, &color] {
        QPalette pal = swatch->palette();
        pal.setColor(QPalette::Window, ToQColor(color));
        swatch->setPalette(pal);
    };
    paint();
    auto* pick = new QPushButton(QStringLiteral("Co&lor..."), &dialog);
    QObject::connect(pick, &QPushButton::clicked, &dialog, [&] {
        if (auto c = ChooseColorOver(&dialog, color)) {
            color = *c;
            paint();
        }
    });
    colorRow->addWidget(new QLabel(QStringLiteral("Color:"), &dialog));
    colorRow->addWidget(swatch);
    colorRow->addWidget(pick);
    colorRow->addStretch();
    layout->addLayout(colorRow);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return TFontChoice{FromQFont(fonts->currentFont()), color};
}

std::optional<std::string> ChooseProgramFile(TForm* owner, const std::string& title) {
    QString name = QFileDialog::getOpenFileName(OwnerWidget(owner), ToQString(title), QString(),
                                                QStringLiteral("Exe files (*.exe);;All files (*)"));
    if (name.isEmpty())
        return std::nullopt;
    return FromQString(name);
}

}  // namespace zelvo::platform
