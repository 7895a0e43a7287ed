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

// Only A to Z change: names, header fields and schemes are ASCII, and the
// bytes above 127 of a Windows-1252 text must stay what they are.
inline char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string AsciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = AsciiLower(c);
    return out;
}

// Equal but for the letter case of A to Z.
inline bool SameAsciiText(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

}  // namespace zelvo::platform
