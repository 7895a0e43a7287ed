#include "platform/Cp1252.h"

#include <QString>

namespace zelvo::platform {

std::string Cp1252ToUtf8(std::string_view text) {
    std::u16string wide = Cp1252ToUtf16(text);
    return QString::fromStdU16String(wide).toStdString();
}

std::string Utf8ToCp1252(std::string_view text) {
    QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    return Utf16ToCp1252(s.toStdU16String());
}

}  // namespace zelvo::platform
