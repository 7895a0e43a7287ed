#include "text/HtmlInputStream.h"

#include "text/Utf8.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace zelvo::text::detail {
namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
constexpr std::uint64_t kOnes = 0x0101010101010101ull;

// Whether the eight bytes at p hold a CR or a byte past ASCII.
inline bool WordNeedsLook(const char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    const std::uint64_t cr = w ^ (kOnes * '\r');
    const std::uint64_t hasCr = (cr - kOnes) & ~cr & kHighBits;
    return ((w & kHighBits) | hasCr) != 0;
}

// The first offset from i on that holds a CR or a byte past ASCII, or n.
std::size_t SkipPlain(const char* s, std::size_t i, std::size_t n) {
    while (i + 8 <= n && !WordNeedsLook(s + i))
        i += 8;
    while (i < n && s[i] != '\r' && static_cast<unsigned char>(s[i]) < 0x80)
        ++i;
    return i;
}

}  // namespace

bool PreprocessInput(std::string_view in, std::string& out, TOffsetMap& offsets) {
    const char* s = in.data();
    const auto* u = reinterpret_cast<const unsigned char*>(s);
    const std::size_t n = in.size();
    // Most pages need nothing; find the first place that might.
    std::size_t i = 0;
    for (;;) {
        i = SkipPlain(s, i, n);
        if (i == n)
            return false;
        if (s[i] == '\r')
            break;
        std::size_t bad = 0;
        const std::size_t len = Utf8SequenceLength(u, i, n, bad);
        if (len == 0)
            break;
        i += len;
    }
    out.clear();
    out.reserve(n + n / 64);
    offsets.clear();
    out.append(s, i);
    while (i < n) {
        const std::size_t plain = SkipPlain(s, i, n);
        out.append(s + i, plain - i);
        i = plain;
        if (i == n)
            break;
        if (s[i] == '\r') {
            out += '\n';
            if (i + 1 < n && s[i + 1] == '\n') {
                i += 2;
                offsets.emplace_back(out.size(), i);
            } else {
                ++i;
            }
            continue;
        }
        std::size_t bad = 0;
        const std::size_t len = Utf8SequenceLength(u, i, n, bad);
        if (len != 0) {
            out.append(s + i, len);
            i += len;
            continue;
        }
        out += "\xEF\xBF\xBD";
        i += bad;
        if (bad != 3)
            offsets.emplace_back(out.size(), i);
    }
    return true;
}

bool PreprocessInPlace(std::string& text, TOffsetMap& offsets) {
    char* s = text.data();
    const auto* u = reinterpret_cast<const unsigned char*>(s);
    const std::size_t n = text.size();
    std::size_t firstCr = n;
    for (std::size_t i = 0;;) {
        i = SkipPlain(s, i, n);
        if (i == n)
            break;
        if (s[i] == '\r') {
            firstCr = std::min(firstCr, i);
            ++i;
            continue;
        }
        std::size_t bad = 0;
        const std::size_t len = Utf8SequenceLength(u, i, n, bad);
        if (len == 0)
            return false;
        i += len;
    }
    offsets.clear();
    std::size_t w = firstCr;
    for (std::size_t r = firstCr; r < n;) {
        if (s[r] != '\r') {
            const void* cr = std::memchr(s + r, '\r', n - r);
            const std::size_t end =
                cr != nullptr ? static_cast<std::size_t>(static_cast<const char*>(cr) - s) : n;
            std::memmove(s + w, s + r, end - r);
            w += end - r;
            r = end;
            continue;
        }
        s[w++] = '\n';
        if (r + 1 < n && s[r + 1] == '\n') {
            r += 2;
            offsets.emplace_back(w, r);
        } else {
            ++r;
        }
    }
    text.resize(w);
    return true;
}

std::size_t OriginalOffset(const TOffsetMap& offsets, std::size_t position) {
    const auto after = std::upper_bound(
        offsets.begin(), offsets.end(), position,
        [](std::size_t p, const std::pair<std::size_t, std::size_t>& e) { return p < e.first; });
    if (after == offsets.begin())
        return position;
    const auto& [ours, theirs] = *std::prev(after);
    return theirs + (position - ours);
}

}  // namespace zelvo::text::detail
