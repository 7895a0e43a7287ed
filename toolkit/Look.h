#pragma once
// The program's colours and fonts as the toolkit's, for the form classes.
// Colours are 0x00BBGGRR (red in the low byte); a font record is any type
// with the fields Name, Size (points), Bold, Italic, Underline and StrikeOut.
#include <QColor>
#include <QFont>

#include "platform/QtText.h"
#include "platform/linux/QtLook.h"

namespace zelvo::platform {

using toolkit::FromQColor;
using toolkit::ToQColor;

// The face at its point size with its effects; a size of 0 or less is 8
// points, the strip's own.
QFont ToQFont(const std::string& name, int size, bool bold, bool italic = false,
              bool underline = false, bool strikeOut = false);

template <typename FontRecord>
QFont ToQFont(const FontRecord& f) {
    return ToQFont(f.Name, f.Size, f.Bold, f.Italic, f.Underline, f.StrikeOut);
}

// Fills the record's face, size and effects from the font; the rest of the
// record stays as it was.
template <typename FontRecord>
void FromQFont(const QFont& font, FontRecord& f) {
    f.Name = FromQString(font.family());
    f.Size = font.pointSize();
    f.Bold = font.bold();
    f.Italic = font.italic();
    f.Underline = font.underline();
    f.StrikeOut = font.strikeOut();
}

}  // namespace zelvo::platform
