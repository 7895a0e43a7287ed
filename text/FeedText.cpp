#include "text/FeedText.h"

#include <array>

#include "text/HtmlTokenizer.h"
#include "text/Utf8.h"

namespace zelvo::text {
namespace {

bool IsSpaceChar(char32_t c) {
    return c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

bool IsControlChar(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xFEFF;
}

bool IsSkippedElement(std::string_view name) {
    return name == "script" || name == "style" || name == "template";
}

std::string TextOfHtml(std::string_view html) {
    std::string out;
    out.reserve(html.size());
    THtmlTokenizer tokenizer(html);
    THtmlToken token;
    std::string skipping;  // the element whose content is dropped
    while (tokenizer.Next(token)) {
        switch (token.kind) {
            case TTokenKind::Character:
                if (skipping.empty())
                    out += token.data;
                break;
            case TTokenKind::StartTag:
                if (skipping.empty() && IsSkippedElement(token.data) && !token.selfClosing)
                    skipping = token.data;
                if (!IsInlineElement(token.data))
                    out += ' ';
                break;
            case TTokenKind::EndTag:
                if (token.data == skipping)
                    skipping.clear();
                if (!IsInlineElement(token.data))
                    out += ' ';
                break;
            default:
                break;
        }
    }
    return out;
}

std::string Collapse(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool pendingSpace = false;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t from = i;
        const char32_t c = ReadCodePoint(text, i);
        if (IsSpaceChar(c)) {
            pendingSpace = !out.empty();
            continue;
        }
        if (IsControlChar(c))
            continue;
        if (pendingSpace)
            out += ' ';
        pendingSpace = false;
        if (c == kReplacementChar && text.substr(from, i - from) != "\xEF\xBF\xBD")
            AppendCodePoint(out, kReplacementChar);
        else
            out.append(text.substr(from, i - from));
    }
    return out;
}

}  // namespace

// Whether escaped text holds a tag: a "<" that can open one, with a ">"
// after it. Without one, a "<" is a less-than sign ("a<b" is not a tag cut
// off at the end of the title, which a tokenizer would drop).
bool HoldsMarkup(std::string_view text) {
    for (std::size_t at = text.find('<'); at != std::string_view::npos;
         at = text.find('<', at + 1)) {
        const char next = at + 1 < text.size() ? text[at + 1] : ' ';
        const bool opens = next == '/' || next == '!' || next == '?' ||
                           (next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z');
        if (opens)
            return text.find('>', at + 2) != std::string_view::npos;
    }
    return false;
}

bool IsInlineElement(std::string_view name) {
    static constexpr std::array<std::string_view, 24> kInline = {
        "a",    "abbr",  "b",    "big",    "cite",   "code", "del", "dfn",
        "em",   "font",  "i",    "ins",    "kbd",    "mark", "q",   "s",
        "samp", "small", "span", "strike", "strong", "sub",  "sup", "u"};
    for (std::string_view n : kInline)
        if (name == n)
            return true;
    return name == "tt" || name == "var" || name == "time";
}

std::string PlainTitle(std::string_view text, bool html) {
    if (!html)
        return Collapse(text);
    if (!HoldsMarkup(text))
        return Collapse(DecodeCharacterReferences(text));
    return Collapse(TextOfHtml(text));
}

std::string CutHeadline(std::string text, std::size_t maxChars) {
    if (maxChars == 0)
        return {};
    if (CharCount(text) <= maxChars)
        return text;
    // Room for the ellipsis; a cut at a blank is taken when it keeps at least
    // half of what fits, else one very long word is cut within.
    const std::size_t keep = ByteOffsetOfChar(text, maxChars - 1);
    std::size_t cut = keep;
    const std::size_t blank = text.rfind(' ', keep);
    if (blank != std::string::npos &&
        CharCount(std::string_view(text).substr(0, blank)) >= maxChars / 2)
        cut = blank;
    text.resize(cut);
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    text += "\xE2\x80\xA6";
    return text;
}

std::string DecodeBase64Text(std::string_view text) {
    std::string out;
    out.reserve(text.size() / 4 * 3);
    std::uint32_t bits = 0;
    int count = 0;
    for (const char ch : text) {
        int v;
        if (ch >= 'A' && ch <= 'Z')
            v = ch - 'A';
        else if (ch >= 'a' && ch <= 'z')
            v = ch - 'a' + 26;
        else if (ch >= '0' && ch <= '9')
            v = ch - '0' + 52;
        else if (ch == '+' || ch == '-')
            v = 62;
        else if (ch == '/' || ch == '_')
            v = 63;
        else if (ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r')
            continue;
        else
            break;
        bits = bits << 6 | static_cast<std::uint32_t>(v);
        if (++count == 4) {
            out += static_cast<char>(bits >> 16 & 0xFF);
            out += static_cast<char>(bits >> 8 & 0xFF);
            out += static_cast<char>(bits & 0xFF);
            bits = 0;
            count = 0;
        }
    }
    if (count == 2) {
        out += static_cast<char>(bits >> 4 & 0xFF);
    } else if (count == 3) {
        out += static_cast<char>(bits >> 10 & 0xFF);
        out += static_cast<char>(bits >> 2 & 0xFF);
    }
    return out;
}

}  // namespace zelvo::text
