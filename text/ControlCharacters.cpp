#include "text/ControlCharacters.h"

#include "text/Utf8.h"

#include <cstddef>

namespace zelvo::text {
namespace {

bool IsBidiControl(char32_t cp) {
    return (cp >= 0x202A && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069);
}

unsigned char Byte(std::string_view s, std::size_t i) {
    return static_cast<unsigned char>(s[i]);
}

// The length of the well-formed sequence at s[i] and its code point, or the
// length of its longest well-formed prefix (at least 1) and no code point.
std::size_t DecodeAt(std::string_view s, std::size_t i, char32_t& cp, bool& ok) {
    const unsigned char c = Byte(s, i);
    ok = false;
    if (c < 0x80) {
        cp = c;
        ok = true;
        return 1;
    }
    std::size_t need = 0;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        need = 1;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        need = 2;
        cp = c & 0x0F;
        if (c == 0xE0)
            lo = 0xA0;
        else if (c == 0xED)
            hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        need = 3;
        cp = c & 0x07;
        if (c == 0xF0)
            lo = 0x90;
        else if (c == 0xF4)
            hi = 0x8F;
    } else {
        return 1;
    }
    std::size_t len = 1;
    for (std::size_t k = 0; k < need; ++k) {
        if (i + len >= s.size())
            return len;
        const unsigned char t = Byte(s, i + len);
        if (t < lo || t > hi)
            return len;
        cp = (cp << 6) | (t & 0x3F);
        lo = 0x80;
        hi = 0xBF;
        ++len;
    }
    ok = true;
    return len;
}

}  // namespace

void DropControls(std::string& utf8) {
    const std::size_t n = utf8.size();
    std::size_t out = 0;
    std::size_t i = 0;
    while (i < n) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x20 || c == 0x7F) {
            if (c == '\t' || c == '\n' || c == '\r' || c == '\f')
                utf8[out++] = ' ';
            ++i;
            continue;
        }
        if (c == 0xC2 && i + 1 < n) {
            const auto t = static_cast<unsigned char>(utf8[i + 1]);
            if (t >= 0x80 && t <= 0x9F) {
                i += 2;
                continue;
            }
        }
        if (c == 0xE2 && i + 2 < n) {
            const auto t1 = static_cast<unsigned char>(utf8[i + 1]);
            const auto t2 = static_cast<unsigned char>(utf8[i + 2]);
            if ((t1 == 0x80 && t2 >= 0xAA && t2 <= 0xAE) ||
                (t1 == 0x81 && t2 >= 0xA6 && t2 <= 0xA9)) {
                i += 3;
                continue;
            }
        }
        utf8[out++] = utf8[i++];
    }
    utf8.resize(out);
}

std::string TerminalSafe(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        char32_t cp = 0;
        bool ok = false;
        const std::size_t len = DecodeAt(utf8, i, cp, ok);
        const bool control =
            ok && ((cp < 0x20 && cp != '\n') || (cp >= 0x7F && cp <= 0x9F) || IsBidiControl(cp));
        if (!ok || control)
            AppendCodePoint(out, kReplacementChar);
        else
            out.append(utf8.substr(i, len));
        i += len;
    }
    return out;
}

}  // namespace zelvo::text
