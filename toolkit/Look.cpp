#include "toolkit/Look.h"

namespace zelvo::platform {

QColor ToQColor(int colour) {
    const auto v = static_cast<unsigned>(colour);
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                  static_cast<int>((v >> 16) & 0xFF));
}

int FromQColor(const QColor& colour) {
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

QFont ToQFont(const std::string& name, int size, bool bold, bool italic, bool underline,
              bool strikeOut) {
    QFont font(ToQString(name));
    font.setPointSize(size > 0 ? size : 8);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setStrikeOut(strikeOut);
    return font;
}

}  // namespace zelvo::platform
