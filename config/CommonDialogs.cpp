#include "config/CommonDialogs.h"

#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "toolkit/Look.h"

namespace zelvo::config {
using platform::FromQColor;
using platform::FromQString;
using platform::ToQColor;
using platform::ToQFont;
using platform::ToQString;

namespace {

// The strip is one line high: larger or smaller faces than the dialog offers
// do not fit it.
TTickerFont ChosenFont(const QFont& font, TColor color) {
    TTickerFont f;
    platform::FromQFont(font, f);
    f.Size = std::clamp(f.Size > 0 ? f.Size : 8, 8, 12);
    f.Color = color;
    return f;
}

}  // namespace

std::optional<TColor> ToolkitChooseColor(QWidget* parent, TColor initial) {
    QColor chosen = QColorDialog::getColor(ToQColor(initial), parent);
    if (!chosen.isValid())
        return std::nullopt;
    return FromQColor(chosen);
}

std::optional<TTickerFont> ToolkitChooseFont(QWidget* parent, const TTickerFont& initial) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Font"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* fonts = new QFontDialog(ToQFont(initial), &dialog);
    fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    fonts->setWindowFlags(Qt::Widget);
    layout->addWidget(fonts);

    TColor color = initial.Color;
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
        if (auto c = ToolkitChooseColor(&dialog, color)) {
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
    return ChosenFont(fonts->currentFont(), color);
}

std::optional<std::string> ToolkitChooseProgram(QWidget* parent, const std::string& title) {
    QString name = QFileDialog::getOpenFileName(parent, ToQString(title), QString(),
                                                QStringLiteral("Exe files (*.exe);;All files (*)"));
    if (name.isEmpty())
        return std::nullopt;
    return FromQString(name);
}

}  // namespace zelvo::config
