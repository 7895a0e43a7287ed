#pragma once
// The program's Windows-1252 texts at the toolkit's boundary. Only code
// that meets the toolkit includes this: the windowed platform layer, the
// colours and fonts of toolkit/ and the form classes.
#include <QString>
#include <string>
#include <string_view>

#include "platform/Cp1252.h"

namespace zelvo::platform {

inline QString ToQString(std::string_view cp1252) {
    return QString::fromStdU16String(Cp1252ToUtf16(cp1252));
}

inline std::string FromQString(const QString& text) {
    return Utf16ToCp1252(text.toStdU16String());
}

}  // namespace zelvo::platform
