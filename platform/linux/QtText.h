#pragma once
// The program's Windows-1252 texts at the toolkit's boundary, for the
// platform layer's own Qt code.
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
