#include "text/HtmlCharacterReferences.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "text/HtmlNamedReferences.h"
#include "text/HtmlTokenizer.h"
#include "text/Utf8.h"

namespace zelvo::text {
namespace detail {
namespace {

bool IsAsciiDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
bool IsAsciiAlpha(unsigned char c) {
    return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}
bool IsAsciiAlphanumeric(unsigned char c) {
    return IsAsciiDigit(c) || IsAsciiAlpha(c);
}
int HexValue(unsigned char c) {
    if (IsAsciiDigit(c))
        return c - '0';
    const unsigned char lower = c | 0x20;
    if (lower >= 'a' && lower <= 'f')
        return lower - 'a' + 10;
    return -1;
}

// Numbers 0x80 to 0x9F name the characters Windows-1252 puts there, as pages
// written in that charset meant them; the five it leaves empty stay.
char32_t C1Replacement(char32_t cp) {
    static constexpr char32_t kTable[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    return cp >= 0x80 && cp <= 0x9F ? kTable[cp - 0x80] : cp;
}

std::size_t ConsumeNumeric(std::string_view text, std::string& out) {
    // text starts with "&#".
    std::size_t i = 2;
    const bool hex = i < text.size() && (text[i] | 0x20) == 'x';
    if (hex)
        ++i;
    const std::size_t digitsStart = i;
    char32_t value = 0;
    constexpr char32_t kTooLarge = 0x110000;
    for (; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const int digit = hex ? HexValue(c) : (IsAsciiDigit(c) ? c - '0' : -1);
        if (digit < 0)
            break;
        // Saturate: any number past the last code point means the same.
        value = value >= kTooLarge ? kTooLarge : value * (hex ? 16 : 10) + digit;
        if (value > kTooLarge)
            value = kTooLarge;
    }
    if (i == digitsStart) {
        // "&#" or "&#x" without digits: all of it is text.
        out.append(text.data(), i);
        return i;
    }
    if (i < text.size() && text[i] == ';')
        ++i;
    if (value == 0 || value >= kTooLarge || (value >= 0xD800 && value <= 0xDFFF))
        value = kReplacementChar;
    AppendCodePoint(out, C1Replacement(value));
    return i;
}

}  // namespace

TNamedMatch LongestNamedReference(std::string_view text) {
    if (text.empty())
        return {};
    // Where the names of each pair of first bytes begin, found once. Every
    // name is ASCII and at least two bytes long, and the keys c0 * 128 + c1
    // ascend with the names' order.
    constexpr std::size_t kPairs = 128 * 128;
    static const std::vector<std::uint16_t> kPairStart = [] {
        std::vector<std::uint16_t> start(kPairs + 1);
        auto key = [](const TNamedReference& r) {
            const char* name = kNamedReferenceNames + r.nameOffset;
            return static_cast<std::size_t>(name[0]) * 128 + static_cast<std::size_t>(name[1]);
        };
        std::size_t i = 0;
        for (std::size_t k = 0; k <= kPairs; ++k) {
            while (i < kNamedReferenceCount && key(kNamedReferences[i]) < k)
                ++i;
            start[k] = static_cast<std::uint16_t>(i);
        }
        return start;
    }();
    TNamedMatch best;
    const TNamedReference* lo = kNamedReferences;
    const TNamedReference* hi = kNamedReferences + kNamedReferenceCount;
    std::size_t k = 0;
    const auto c0 = static_cast<unsigned char>(text[0]);
    const auto c1 = text.size() > 1 ? static_cast<unsigned char>(text[1]) : 0x80;
    if (c0 < 0x80 && c1 < 0x80) {
        const std::size_t pair = std::size_t{c0} * 128 + c1;
        lo = kNamedReferences + kPairStart[pair];
        hi = kNamedReferences + kPairStart[pair + 1];
        k = 2;
        if (lo < hi && lo->nameLength == 2) {
            best.length = 2;
            best.value = std::string_view(kNamedReferenceValues + lo->valueOffset, lo->valueLength);
        }
    }
    // [lo, hi) holds the names that start with text's first k bytes, in byte
    // order, so the one of exactly k bytes, if any, comes first. Each further
    // byte narrows the range by two binary searches.
    for (; k < text.size() && lo < hi; ++k) {
        const int c = static_cast<unsigned char>(text[k]);
        auto at = [k](const TNamedReference& r) {
            return r.nameLength > k
                       ? static_cast<unsigned char>(kNamedReferenceNames[r.nameOffset + k])
                       : -1;
        };
        if (hi - lo <= 8) {
            // Few names left: a walk beats the searches.
            while (lo < hi && at(*lo) < c)
                ++lo;
            const TNamedReference* end = lo;
            while (end < hi && at(*end) == c)
                ++end;
            hi = end;
        } else {
            lo = std::lower_bound(lo, hi, c,
                                  [&](const TNamedReference& r, int v) { return at(r) < v; });
            hi = std::upper_bound(lo, hi, c,
                                  [&](int v, const TNamedReference& r) { return v < at(r); });
        }
        if (lo < hi && lo->nameLength == k + 1) {
            best.length = k + 1;
            best.value = std::string_view(kNamedReferenceValues + lo->valueOffset, lo->valueLength);
        }
    }
    return best;
}

std::size_t ConsumeCharacterReference(std::string_view text, bool inAttribute, std::string& out) {
    if (text.size() < 2) {
        out += '&';
        return 1;
    }
    const auto next = static_cast<unsigned char>(text[1]);
    if (next == '#')
        return ConsumeNumeric(text, out);
    if (!IsAsciiAlphanumeric(next)) {
        out += '&';
        return 1;
    }
    const TNamedMatch match = LongestNamedReference(text.substr(1));
    if (match.length == 0) {
        // No name: the ampersand and the letters after it are text.
        out += '&';
        return 1;
    }
    const std::size_t end = 1 + match.length;
    if (inAttribute && text[end - 1] != ';' && end < text.size() &&
        (text[end] == '=' || IsAsciiAlphanumeric(static_cast<unsigned char>(text[end])))) {
        // Query strings in links ("?a=1&copy=2") were written before the
        // semicolon-less names were a thing: keep them as written.
        out.append(text.data(), end);
        return end;
    }
    out += match.value;
    return end;
}

}  // namespace detail

std::string DecodeCharacterReferences(std::string_view text, bool inAttribute) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t amp = text.find('&', i);
        if (amp == std::string_view::npos) {
            out.append(text.data() + i, text.size() - i);
            break;
        }
        out.append(text.data() + i, amp - i);
        i = amp + detail::ConsumeCharacterReference(text.substr(amp), inAttribute, out);
    }
    return out;
}

}  // namespace zelvo::text
