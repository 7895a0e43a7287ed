#include "text/ControlCharacters.h"

#include "text/Utf8.h"

#include <cstddef>

namespace zelvo::text {
namespace {

bool IsBidiControl(char32_t cp) {
    return (cp >= 0x202A && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069);
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
        bool ok = false;
        const std::size_t start = i;
        const char32_t cp = ReadCodePoint(utf8, i, &ok);
        const bool control =
            ok && ((cp < 0x20 && cp != '\n') || (cp >= 0x7F && cp <= 0x9F) || IsBidiControl(cp));
        if (!ok || control)
            AppendCodePoint(out, kReplacementChar);
        else
            out.append(utf8.substr(start, i - start));
    }
    return out;
}

}  // namespace zelvo::text
