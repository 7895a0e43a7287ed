#include "support/ReferenceConversion.h"

#include <algorithm>

#include "text/PageConversion.h"
#include "text/SimpleHTMLParser.h"

namespace zelvo::text::reference {

namespace {

constexpr std::size_t npos = std::string::npos;

bool IsBlankText(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

}  // namespace

void StripComments(std::string& text) {
    for (;;) {
        const std::size_t a = text.find("<!--");
        const std::size_t b = text.find("-->");
        if (a == npos || b == npos || a >= b)
            return;
        // 1-based a + 1 through b + 1: all but the "<" and the final ">".
        text.erase(a + 1, b - a + 1);
    }
}

std::string ReplaceAll(std::string_view find, std::string_view text, std::string_view replacement) {
    std::string result(text);
    if (find.empty())
        return result;
    std::size_t p = result.find(find);
    if (p == npos || replacement.find(find) != npos)
        return result;
    while (p != npos) {
        result.erase(p, find.size());
        result.insert(p, replacement);
        p = result.find(find);
    }
    return result;
}

void RemoveRange(std::string& text, std::string_view open, int maxDistance,
                 std::string_view close) {
    if (IsBlankText(open) || IsBlankText(close))
        return;
    for (;;) {
        const std::size_t a = text.find(open);
        const std::size_t b = text.find(close);
        if (a == npos || b == npos || a >= b)
            return;
        if (b - a >= static_cast<std::size_t>(std::max(maxDistance, 0)))
            return;
        text.erase(a, b + close.size() - a);
    }
}

std::string PageToTickerText(std::string_view pageBytes) {
    std::string s = BufferText(LoadBufferLines(pageBytes));
    StripComments(s);
    std::string line;
    for (TSimpleHTMLParser parser(s); parser.TokenKind() != TSimpleHTMLParser::TTokenKind::End;
         parser.Next()) {
        if (parser.TokenKind() == TSimpleHTMLParser::TTokenKind::Text) {
            line += ' ';
            line += parser.TokenText();
            continue;
        }
        if (parser.IsTag("BR"))
            line += "\r\n";
        if (parser.IsTag("P"))
            line += "\r\n\r\n";
        if (parser.IsTag("A"))
            line += "\xA6";
        if (parser.IsTag("a"))
            line += "\xA6";
    }
    s = line + "\r\n";

    s = ReplaceAll("\t", s, " ");
    s = ReplaceAll("&nbsp;", s, "");
    s = ReplaceAll("&nbsp", s, "");
    s = ReplaceAll("&#0124;", s, "");
    s = ReplaceAll("&#0145;", s, "'");
    s = ReplaceAll("&#0146;", s, "'");
    s = ReplaceAll("&#0147;", s, "'");
    s = ReplaceAll("&#0148;", s, "'");
    s = ReplaceAll("&#0151;", s, "--");
    s = ReplaceAll("&#145;", s, "'");
    s = ReplaceAll("&#146;", s, "'");
    s = ReplaceAll("&#147;", s, "'");
    s = ReplaceAll("&#148;", s, "'");
    s = ReplaceAll("&#149;", s, " ");
    s = ReplaceAll("&#151;", s, "--");
    s = ReplaceAll("&#160;", s, " ");
    s = ReplaceAll("&#169;", s, "\xA9 ");
    s = ReplaceAll("&#174;", s, "\xAE ");
    s = ReplaceAll("&#183;", s, " ");
    s = ReplaceAll("&#241;", s, "n");
    RemoveRange(s, "//", 125, "-->");
    s = ReplaceAll("\r\n", s, "  ");
    s = ReplaceAll("\r", s, "");
    s = ReplaceAll("\n", s, "");
    s = ReplaceAll("\xA6", s, "   ");
    s = ReplaceAll("\x93", s, "'");
    s = ReplaceAll("\x94", s, "'");
    s = ReplaceAll("&#01", s, "");
    s = ReplaceAll("&copy;", s, "\xA9 ");
    s = ReplaceAll("&reg;", s, "\xAE ");
    s = ReplaceAll("&", s, "");
    s = ReplaceAll("amp;", s, " && ");
    s = ReplaceAll("quot;", s, "'");
    s = ReplaceAll("|", s, "  ");
    s = ReplaceAll("     ", s, "  ");
    RemoveRange(s, "[", 125, "]");
    RemoveRange(s, "{", 125, "}");
    RemoveRange(s, "/*", 65, "*/");
    return s;
}

}  // namespace zelvo::text::reference
