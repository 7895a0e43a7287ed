#include "platform/Cp1252.h"

#include "platform/win32/WideText.h"

namespace zelvo::platform {

std::string Cp1252ToUtf8(std::string_view text) {
    std::u16string wide = Cp1252ToUtf16(text);
    return win32::Utf8(std::wstring(wide.begin(), wide.end()));
}

std::string Utf8ToCp1252(std::string_view text) {
    std::wstring wide = win32::Wide(text);
    return Utf16ToCp1252(std::u16string(wide.begin(), wide.end()));
}

}  // namespace zelvo::platform
