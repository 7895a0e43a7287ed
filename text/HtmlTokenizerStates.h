#pragma once
// The tokenizer's states and the small helpers its two halves share.
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "text/HtmlTokenizer.h"

namespace zelvo::text {

enum class THtmlTokenizer::TState : unsigned char {
    Data,
    Rcdata,
    Rawtext,
    ScriptData,
    Plaintext,
    TagOpen,
    EndTagOpen,
    TagName,
    RcdataLessThan,
    RcdataEndTagOpen,
    RcdataEndTagName,
    RawtextLessThan,
    RawtextEndTagOpen,
    RawtextEndTagName,
    ScriptLessThan,
    ScriptEndTagOpen,
    ScriptEndTagName,
    ScriptEscapeStart,
    ScriptEscapeStartDash,
    ScriptEscaped,
    ScriptEscapedDash,
    ScriptEscapedDashDash,
    ScriptEscapedLessThan,
    ScriptEscapedEndTagOpen,
    ScriptEscapedEndTagName,
    ScriptDoubleEscapeStart,
    ScriptDoubleEscaped,
    ScriptDoubleEscapedDash,
    ScriptDoubleEscapedDashDash,
    ScriptDoubleEscapedLessThan,
    ScriptDoubleEscapeEnd,
    BeforeAttributeName,
    AttributeName,
    AfterAttributeName,
    BeforeAttributeValue,
    AttributeValueDouble,
    AttributeValueSingle,
    AttributeValueUnquoted,
    AfterAttributeValueQuoted,
    SelfClosingStartTag,
    BogusComment,
    MarkupDeclarationOpen,
    CommentStart,
    CommentStartDash,
    Comment,
    CommentLessThan,
    CommentLessThanBang,
    CommentLessThanBangDash,
    CommentLessThanBangDashDash,
    CommentEndDash,
    CommentEnd,
    CommentEndBang,
    Doctype,
    BeforeDoctypeName,
    DoctypeName,
    AfterDoctypeName,
    AfterDoctypePublicKeyword,
    BeforeDoctypePublicId,
    DoctypePublicIdDouble,
    DoctypePublicIdSingle,
    AfterDoctypePublicId,
    BetweenDoctypeIds,
    AfterDoctypeSystemKeyword,
    BeforeDoctypeSystemId,
    DoctypeSystemIdDouble,
    DoctypeSystemIdSingle,
    AfterDoctypeSystemId,
    BogusDoctype,
    CdataSection,
    CdataSectionBracket,
    CdataSectionEnd,
    ProcessingInstruction,
};

namespace detail {

inline constexpr int kEof = -1;
inline constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

inline bool IsWhitespace(int c) {
    return c == '\t' || c == '\n' || c == '\f' || c == ' ';
}
inline bool IsUpper(int c) {
    return c >= 'A' && c <= 'Z';
}
inline bool IsAlpha(int c) {
    return IsUpper(c) || (c >= 'a' && c <= 'z');
}
inline char Lower(int c) {
    return static_cast<char>(IsUpper(c) ? c + ('a' - 'A') : c);
}

// The bytes a state stops at; runs of all others are copied in one go.
using TStops = std::array<bool, 256>;
constexpr TStops Stops(std::string_view bytes, bool upper = false) {
    TStops t{};
    for (const char c : bytes)
        t[static_cast<unsigned char>(c)] = true;
    for (int c = 'A'; upper && c <= 'Z'; ++c)
        t[static_cast<std::size_t>(c)] = true;
    return t;
}
inline constexpr TStops kNameStops = Stops(std::string_view("\t\n\f />\0", 7), true);
inline constexpr TStops kAttributeNameStops = Stops(std::string_view("\t\n\f />=\0", 8), true);
inline constexpr TStops kUnquotedStops = Stops(std::string_view("\t\n\f >&\0", 7));
inline constexpr TStops kDoubleIdStops = Stops(std::string_view("\">\0", 3));
inline constexpr TStops kSingleIdStops = Stops(std::string_view("'>\0", 3));

// The first offset from i on that holds a, b or c, or n. Text runs are long
// enough that eight bytes a step pays.
inline std::size_t FindAnyOf(const char* s, std::size_t i, std::size_t n, char a, char b, char c) {
    // Stops often come in a row ("&&", "--"): no word set up for those.
    if (i < n && (s[i] == a || s[i] == b || s[i] == c))
        return i;
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t kOnes = 0x0101010101010101ull;
        constexpr std::uint64_t kHigh = 0x8080808080808080ull;
        const std::uint64_t ma = kOnes * static_cast<unsigned char>(a);
        const std::uint64_t mb = kOnes * static_cast<unsigned char>(b);
        const std::uint64_t mc = kOnes * static_cast<unsigned char>(c);
        // High bit of each zero byte; a borrow may mark bytes after the first
        // zero too, never one before it.
        auto zeros = [](std::uint64_t x) { return (x - kOnes) & ~x & kHigh; };
        for (; i + 8 <= n; i += 8) {
            std::uint64_t w;
            std::memcpy(&w, s + i, 8);
            const std::uint64_t hit = zeros(w ^ ma) | zeros(w ^ mb) | zeros(w ^ mc);
            if (hit != 0)
                return i + static_cast<std::size_t>(std::countr_zero(hit) >> 3);
        }
    }
    for (; i < n; ++i)
        if (s[i] == a || s[i] == b || s[i] == c)
            return i;
    return n;
}

// Appends the run of input from pos up to the next a, b or c to out.
inline void CopyUntil(std::string_view in, std::size_t& pos, char a, char b, char c,
                      std::string& out) {
    const std::size_t end = FindAnyOf(in.data(), pos, in.size(), a, b, c);
    out.append(in.data() + pos, end - pos);
    pos = end;
}

// Appends the run of input from pos up to the next stop byte to out.
inline void CopyRun(std::string_view in, std::size_t& pos, const TStops& stops, std::string& out) {
    const std::size_t start = pos;
    const std::size_t n = in.size();
    const char* s = in.data();
    std::size_t i = pos;
    while (i < n && !stops[static_cast<unsigned char>(s[i])])
        ++i;
    out.append(s + start, i - start);
    pos = i;
}

}  // namespace detail
}  // namespace zelvo::text
