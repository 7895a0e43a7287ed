#pragma once
// The two text operations the conversion table is made of, run forward over
// the text's own buffer: a replacement that rescans (a replacement may take
// part in a later match) and a removal of spans between two markers. Both
// give what repeating "take the leftmost occurrence and start again" gives,
// in a few passes over the text whatever it holds.
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace zelvo::text {

inline constexpr std::size_t kNotFound = std::string_view::npos;

// The first occurrence of pattern in text at or after from, or kNotFound.
std::size_t FindText(std::string_view text, std::string_view pattern, std::size_t from = 0);

// The first c in text[from, size), or text.size().
inline std::size_t FindByte(std::string_view text, std::size_t from, char c) {
    const std::size_t n = text.size();
    if (from >= n)
        return n;
    // Runs of c are common in hostile pages: the byte at hand is looked at
    // before the library search is called.
    if (text[from] == c)
        return from;
    const void* hit = std::memchr(text.data() + from, c, n - from);
    return hit != nullptr ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data())
                          : n;
}

// Calls visit(at) for every c in text, in order, while it returns true.
template <typename Visit>
void ForEachByte(std::string_view text, char c, Visit&& visit) {
    for (std::size_t k = 0; k < text.size(); ++k) {
        k = FindByte(text, k, c);
        if (k == text.size() || !visit(k))
            return;
    }
}

// Replaces find by replacement until find no longer occurs, leftmost first.
// Leaves the text alone and returns false when find is empty or absent, or
// when the replacement holds find (the loop would never end).
bool ReplaceAllInPlace(std::string_view find, std::string& text, std::string_view replacement);

// While the first open comes before the first close, and its span is shorter
// than maxDistance characters, cuts [a + cutFrom, b + cutTo) where a and b
// are where they start, and looks again. Needs cutFrom < open.size(),
// cutFrom <= close.size() and cutTo >= close.size() - 1.
void RemoveSpans(std::string& text, std::string_view open, std::string_view close,
                 std::size_t maxDistance, std::size_t cutFrom, std::size_t cutTo);

}  // namespace zelvo::text
