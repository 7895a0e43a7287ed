#pragma once
// The tokenizer's states and the small helpers its two halves share.
#include <array>
#include <cstddef>
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
inline constexpr TStops kDataStops = Stops(std::string_view("<&\0", 3));
inline constexpr TStops kRawStops = Stops(std::string_view("<\0", 2));
inline constexpr TStops kNulStops = Stops(std::string_view("\0", 1));
inline constexpr TStops kEscapedStops = Stops(std::string_view("-<\0", 3));
inline constexpr TStops kNameStops = Stops(std::string_view("\t\n\f />\0", 7), true);
inline constexpr TStops kAttributeNameStops = Stops(std::string_view("\t\n\f />=\0", 8), true);
inline constexpr TStops kDoubleQuotedStops = Stops(std::string_view("\"&\0", 3));
inline constexpr TStops kSingleQuotedStops = Stops(std::string_view("'&\0", 3));
inline constexpr TStops kUnquotedStops = Stops(std::string_view("\t\n\f >&\0", 7));
inline constexpr TStops kCommentStops = Stops(std::string_view("<-\0", 3));
inline constexpr TStops kBogusCommentStops = Stops(std::string_view(">\0", 2));
inline constexpr TStops kDoubleIdStops = Stops(std::string_view("\">\0", 3));
inline constexpr TStops kSingleIdStops = Stops(std::string_view("'>\0", 3));
inline constexpr TStops kCdataStops = Stops(std::string_view("]", 1));

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
