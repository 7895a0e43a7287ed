#pragma once
// The ticker's texts are UTF-8. Positions the user sees (the strip's window,
// the scroll position and step) count characters, so these helpers walk
// code points without decoding them.
#include <cstddef>
#include <string>
#include <string_view>

namespace zelvo::text {

inline bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Characters in text (bytes that start a code point).
std::size_t CharCount(std::string_view text);

// The byte offset of character index chars (0-based), or text.size() when
// the text holds fewer characters.
std::size_t ByteOffsetOfChar(std::string_view text, std::size_t chars);

// The first count characters of text from byte offset from (which must start
// a character).
std::string_view FirstChars(std::string_view text, std::size_t from, std::size_t count);

// Whether text is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing past U+10FFFF).
bool IsValidUtf8(std::string_view text);

// The length of the well-formed UTF-8 sequence at s[i] (a byte past ASCII),
// or 0 with bad set to the bytes of its ill-formed start (the maximal
// subpart that one U+FFFD stands for).
inline std::size_t Utf8SequenceLength(const unsigned char* s, std::size_t i, std::size_t n,
                                      std::size_t& bad) {
    const unsigned char c = s[i];
    std::size_t len;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        if (c == 0xE0)
            lo = 0xA0;
        else if (c == 0xED)
            hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        if (c == 0xF0)
            lo = 0x90;
        else if (c == 0xF4)
            hi = 0x8F;
    } else {
        bad = 1;
        return 0;
    }
    for (std::size_t k = 1; k < len; ++k) {
        if (i + k >= n || s[i + k] < lo || s[i + k] > hi) {
            bad = k;
            return 0;
        }
        lo = 0x80;
        hi = 0xBF;
    }
    return len;
}

// The character at text[i], with i moved past it. An ill-formed start reads
// as U+FFFD and i moves past its maximal subpart; valid (when given) tells
// the two apart.
char32_t ReadCodePoint(std::string_view text, std::size_t& i, bool* valid = nullptr);

void AppendCodePoint(std::string& out, char32_t cp);

inline constexpr char32_t kReplacementChar = 0xFFFD;

}  // namespace zelvo::text
