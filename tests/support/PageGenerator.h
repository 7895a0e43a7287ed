#pragma once
// Pages for comparing the two conversions: ordinary markup mixed with the
// material that makes the rescanning rules interesting (entities split and
// nested, runs of blanks, unbalanced markers, comments, line breaks of every
// kind, high bytes and the occasional NUL).
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>

namespace zelvo::testing {

class PageGenerator {
public:
    explicit PageGenerator(std::uint32_t seed) : rng_(seed) {}

    // One page in eight holds a NUL somewhere, which ends its text there.
    std::string Page(std::size_t approxSize) {
        std::string page;
        while (page.size() < approxSize)
            AppendPiece(page);
        if (!page.empty() && Below(8) == 0)
            page[Below(page.size())] = '\0';
        return page;
    }

    // A page built only from a few pieces that interact: short enough for the
    // rescanning form, dense enough to cascade.
    std::string Dense(std::size_t approxSize) {
        static constexpr std::array<std::string_view, 24> kBits = {
            "&", "amp;", "nbsp;", "&nb", "sp;",   "&#01", "&#0", "151;",
            "<", ">",    "!--",   "--",  "-->",   "//",   "[",   "]",
            "{", "}",    "/*",    "*/",  "     ", "  ",   "\r",  "\n"};
        std::string page;
        while (page.size() < approxSize)
            page += kBits[Below(kBits.size())];
        return page;
    }

    std::size_t Below(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_);
    }

private:
    void AppendPiece(std::string& page) {
        static constexpr std::array<std::string_view, 34> kTags = {"<p>",
                                                                   "<P>",
                                                                   "<P class=x>",
                                                                   "<p class=x>",
                                                                   "</p>",
                                                                   "<br>",
                                                                   "<BR>",
                                                                   "<br/>",
                                                                   "<BR CLEAR=all>",
                                                                   "<a href=\"x.htm\">",
                                                                   "<A HREF=x.htm>",
                                                                   "<a>",
                                                                   "<A>",
                                                                   "</a>",
                                                                   "</A>",
                                                                   "<PRE>",
                                                                   "<Param>",
                                                                   "<b>",
                                                                   "<TD>",
                                                                   "<table>",
                                                                   "<!-- c -->",
                                                                   "<!--",
                                                                   "-->",
                                                                   "<!---->",
                                                                   "<>",
                                                                   "<",
                                                                   ">",
                                                                   "<script>var s = 1; // run -->",
                                                                   "<a\r\nhref=x>",
                                                                   "<P\n>",
                                                                   "<br\r>",
                                                                   "<img src=[1]>",
                                                                   "<a",
                                                                   "<BR"};
        static constexpr std::array<std::string_view, 36> kEntities = {
            "&nbsp;",       "&nbsp",      "&#0124;",     "&#0145;", "&#0146;", "&#0147;",
            "&#0148;",      "&#0151;",    "&#145;",      "&#146;",  "&#147;",  "&#148;",
            "&#149;",       "&#151;",     "&#160;",      "&#169;",  "&#174;",  "&#183;",
            "&#241;",       "&#01",       "&copy;",      "&reg;",   "&amp;",   "&quot;",
            "&lt;",         "&gt;",       "amp;",        "quot;",   "&",       "&&",
            "&nb&nbsp;sp;", "&am&amp;p;", "&#0&#01151;", "|",       "||",      "&#"};
        static constexpr std::array<std::string_view, 16> kMarkers = {"[",
                                                                      "]",
                                                                      "[x]",
                                                                      "{",
                                                                      "}",
                                                                      "{y}",
                                                                      "/*",
                                                                      "*/",
                                                                      "/* c */",
                                                                      "//",
                                                                      "-->",
                                                                      "// a -->",
                                                                      "http://x.example/",
                                                                      "[[]]",
                                                                      "{*/}",
                                                                      "/*/"};
        static constexpr std::array<std::string_view, 12> kWords = {
            "News",  "ticker", "Hello", "World", "Zelvo",   "a",
            "price", "12.50",  "x=y",   "don't", "caf\xE9", "\x93quoted\x94"};
        switch (Below(10)) {
            case 0:
            case 1:
                page += kWords[Below(kWords.size())];
                break;
            case 2:
                page += kTags[Below(kTags.size())];
                break;
            case 3:
                page += kEntities[Below(kEntities.size())];
                break;
            case 4:
                page += kMarkers[Below(kMarkers.size())];
                break;
            case 5: {
                static constexpr std::array<std::string_view, 7> kBreaks = {
                    "\r\n", "\n", "\r", "\n\r", "\t", "\f", "\v"};
                page += kBreaks[Below(kBreaks.size())];
                break;
            }
            case 6:
                page.append(Below(12) + 1, ' ');
                break;
            case 7:
                for (std::size_t i = Below(4) + 1; i > 0; --i)
                    page += static_cast<char>(0x80 + Below(0x80));
                break;
            case 8:
                page += ' ';
                break;
            default:
                page += static_cast<char>(Below(95) + 32);
                break;
        }
    }

    std::mt19937 rng_;
};

}  // namespace zelvo::testing
