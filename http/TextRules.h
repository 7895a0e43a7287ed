#pragma once
// Small text rules the HTTP client's parts share: 1-based copying as the
// client's rules count positions, ASCII lower-casing, and strict decimals.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zelvo::http {

inline std::string LowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

inline bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

// count characters from the 1-based position pos, clipped to the text.
inline std::string Copy(std::string_view s, int pos, int count) {
    if (pos < 1)
        pos = 1;
    if (count <= 0 || pos > static_cast<int>(s.size()))
        return {};
    return std::string(
        s.substr(static_cast<std::size_t>(pos - 1), static_cast<std::size_t>(count)));
}

// A decimal integer with optional leading blanks and sign, no larger in
// magnitude than limit; nothing when the text is anything else.
inline std::optional<std::int64_t> ParseDecimal(std::string_view s, std::int64_t limit) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+'))
        negative = s[i++] == '-';
    if (i >= s.size())
        return std::nullopt;
    std::int64_t v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            return std::nullopt;
        const int digit = s[i] - '0';
        if (v > (limit - digit) / 10)
            return std::nullopt;
        v = v * 10 + digit;
    }
    return negative ? -v : v;
}

}  // namespace zelvo::http
