#include "platform/linux/QtLook.h"

#include <algorithm>

#include "platform/linux/QtText.h"

namespace zelvo::platform::toolkit {

QColor ToQColor(int colour) {
    const auto v = static_cast<unsigned>(colour);
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                  static_cast<int>((v >> 16) & 0xFF));
}

int FromQColor(const QColor& colour) {
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

QFont ToQFont(const TFont& f) {
    QFont font(ToQString(f.Name));
    if (f.Height > 0)
        font.setPixelSize(f.Height);
    else
        font.setPointSize(f.Size > 0 ? f.Size : 8);
    font.setBold(f.Bold);
    font.setItalic(f.Italic);
    font.setUnderline(f.Underline);
    font.setStrikeOut(f.StrikeOut);
    return font;
}

TFont FromQFont(const QFont& font) {
    TFont f;
    f.Name = FromQString(font.family());
    f.Size = std::max(font.pointSize(), 0);
    f.Height = font.pointSize() > 0 ? 0 : std::max(font.pixelSize(), 0);
    f.Bold = font.bold();
    f.Italic = font.italic();
    f.Underline = font.underline();
    f.StrikeOut = font.strikeOut();
    return f;
}

}  // namespace zelvo::platform::toolkit
