#pragma once
// The text rules every part of the program shares.
#include <string>
#include <string_view>

namespace zelvo::platform {

// Takes away every character with a code from 0 to 32 at both ends.
inline std::string Trim(std::string_view s) {
    size_t b = 0;
    size_t e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 32)
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32)
        --e;
    return std::string(s.substr(b, e - b));
}

}  // namespace zelvo::platform
