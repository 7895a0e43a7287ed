#pragma once
// The program's texts are Windows-1252 bytes; the desktop speaks Unicode.
#include <string>
#include <string_view>

namespace zelvo::platform {

// Every byte maps; the five unassigned ones (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// map to the C1 controls of the same value, as the system code page does.
char16_t Cp1252ToUnicode(unsigned char byte);
std::u16string Cp1252ToUtf16(std::string_view text);
std::string Cp1252ToUtf8(std::string_view text);
// Characters without a Windows-1252 byte become '?'.
std::string Utf16ToCp1252(std::u16string_view text);
std::string Utf8ToCp1252(std::string_view text);

}  // namespace zelvo::platform
