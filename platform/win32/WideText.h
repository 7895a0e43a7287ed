#pragma once
// The program keeps its text in UTF-8; the system's wide calls take UTF-16.
#include <string>
#include <string_view>

namespace zelvo::platform::win32 {

// Bytes that are no UTF-8 become U+FFFD, as the system converts them.
std::wstring Wide(std::string_view utf8);
// Lone surrogates become U+FFFD.
std::string Utf8(std::wstring_view wide);

}  // namespace zelvo::platform::win32
