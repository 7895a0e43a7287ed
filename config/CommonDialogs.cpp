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

#include "platform/linux/QtText.h"

namespace zelvo::config {
using platform::FromQString;
using platform::ToQString;

namespace {

TColor FromQColor(const QColor& c) {
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

QFont ToQFont(const TTickerFont& f) {
    QFont font(ToQString(f.Name));
    font.setPointSize(std::max(1, f.Size));
    font.setBold(f.Bold);
    font.setItalic(f.Italic);
    font.setUnderline(f.Underline);
    font.setStrikeOut(f.StrikeOut);
    return font;
}

TTickerFont FromQFont(const QFont& font, TColor color) {
    TTickerFont f;
    f.Name = FromQString(font.family());
    // The strip is one line high: larger or smaller faces than the dialog
    // offers do not fit it.
    f.Size = std::clamp(font.pointSize() > 0 ? font.pointSize() : 8, 8, 12);
    f.Bold = font.bold();
    f.Italic = font.italic();
    f.Underline = font.underline();
    f.StrikeOut = font.strikeOut();
    f.Color = color;
    return f;
}

}  // namespace

QColor ToQColor(TColor c) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

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
    return FromQFont(fonts->currentFont(), color);
}

std::optional<std::string> ToolkitChooseProgram(QWidget* parent, const std::string& title) {
    QString name = QFileDialog::getOpenFileName(parent, ToQString(title), QString(),
                                                QStringLiteral("Exe files (*.exe);;All files (*)"));
    if (name.isEmpty())
        return std::nullopt;
    return FromQString(name);
}

}  // namespace zelvo::config
