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

void AppendCodePoint(std::string& out, char32_t cp);

inline constexpr char32_t kReplacementChar = 0xFFFD;

}  // namespace zelvo::text
