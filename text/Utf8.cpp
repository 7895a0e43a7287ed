#include "text/Utf8.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace zelvo::text {
namespace {

// Bytes of an eight-byte word that start a character: not 10xxxxxx.
inline int LeadBytes(std::uint64_t w) {
    const std::uint64_t cont = (w & ~(w << 1)) & 0x8080808080808080ull;  // 10xxxxxx
    return 8 - std::popcount(cont);
}

inline std::uint64_t Load(const char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
}

}  // namespace

std::size_t CharCount(std::string_view text) {
    const char* p = text.data();
    const std::size_t n = text.size();
    std::size_t i = 0;
    std::size_t count = 0;
    for (; i + 8 <= n; i += 8)
        count += static_cast<std::size_t>(LeadBytes(Load(p + i)));
    for (; i < n; ++i)
        count += IsContinuation(p[i]) ? 0 : 1;
    return count;
}

std::size_t ByteOffsetOfChar(std::string_view text, std::size_t chars) {
    const char* p = text.data();
    const std::size_t n = text.size();
    std::size_t i = 0;
    // Whole words while the target lies beyond them; a character may straddle
    // the word's end, which the byte loop below sorts out.
    while (i + 8 <= n) {
        const auto lead = static_cast<std::size_t>(LeadBytes(Load(p + i)));
        if (lead >= chars)
            break;
        chars -= lead;
        i += 8;
    }
    for (; i < n; ++i) {
        if (IsContinuation(p[i]))
            continue;
        if (chars == 0)
            return i;
        --chars;
    }
    return n;
}

std::string_view FirstChars(std::string_view text, std::size_t from, std::size_t count) {
    if (from >= text.size())
        return {};
    const std::string_view rest = text.substr(from);
    return rest.substr(0, ByteOffsetOfChar(rest, count));
}

bool IsValidUtf8(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        if (i + 8 <= n &&
            (Load(reinterpret_cast<const char*>(p + i)) & 0x8080808080808080ull) == 0) {
            i += 8;
            continue;
        }
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t bad = 0;
        const std::size_t len = Utf8SequenceLength(p, i, n, bad);
        if (len == 0)
            return false;
        i += len;
    }
    return true;
}

char32_t ReadCodePoint(std::string_view text, std::size_t& i, bool* valid) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char c = p[i];
    if (valid != nullptr)
        *valid = true;
    if (c < 0x80) {
        ++i;
        return c;
    }
    std::size_t bad = 0;
    const std::size_t len = Utf8SequenceLength(p, i, text.size(), bad);
    if (len == 0) {
        if (valid != nullptr)
            *valid = false;
        i += bad;
        return kReplacementChar;
    }
    char32_t cp = c & (len == 2 ? 0x1F : len == 3 ? 0x0F : 0x07);
    for (std::size_t k = 1; k < len; ++k)
        cp = cp << 6 | (p[i + k] & 0x3F);
    i += len;
    return cp;
}

void AppendCodePoint(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        if (cp >= 0xD800 && cp <= 0xDFFF)
            cp = kReplacementChar;
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp <= 0x10FFFF) {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        AppendCodePoint(out, kReplacementChar);
    }
}

}  // namespace zelvo::text
