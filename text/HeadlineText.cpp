#include "text/HeadlineText.h"

#include <algorithm>

#include "text/Utf8.h"

namespace zelvo::text::html {
namespace {

bool IsCjk(char32_t cp) {
    return (cp >= 0x3040 && cp <= 0x30FF) || (cp >= 0x3400 && cp <= 0x4DBF) ||
           (cp >= 0x4E00 && cp <= 0x9FFF) || (cp >= 0xF900 && cp <= 0xFAFF) ||
           (cp >= 0x20000 && cp <= 0x2FFFF);
}

}  // namespace

std::size_t CountWords(std::string_view text) {
    std::size_t words = 0;
    std::size_t cjk = 0;
    bool inWord = false;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == ' ') {
            inWord = false;
            ++i;
            continue;
        }
        if (!inWord)
            ++words;
        inWord = true;
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t len = c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        len = std::min(len, text.size() - i);
        char32_t cp = c & (len == 2 ? 0x1F : len == 3 ? 0x0F : 0x07);
        for (std::size_t k = 1; k < len; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        if (IsCjk(cp))
            ++cjk;
        i += len;
    }
    return std::max(words, cjk / 2);
}

std::string CutAtWord(std::string text, std::size_t maxChars, bool ellipsis) {
    const std::size_t at = ByteOffsetOfChar(text, maxChars);
    if (at >= text.size())
        return text;
    std::size_t cut = at;
    if (text[at] != ' ') {
        const std::size_t blank = text.rfind(' ', at);
        if (blank != std::string::npos &&
            CharCount(std::string_view(text).substr(0, blank)) >= maxChars - maxChars / 5)
            cut = blank;
    }
    text.resize(cut);
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    if (ellipsis)
        text += "\xE2\x80\xA6";
    return text;
}

}  // namespace zelvo::text::html
