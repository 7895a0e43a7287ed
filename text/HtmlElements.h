#pragma once
// What an element means to a reader of a page's text, by its name and its own
// attributes: whether it is void, hides its content, runs on inside a line,
// ends an open paragraph, or stops stray end tags from reaching past it.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "text/HtmlTokenizer.h"

namespace zelvo::text::html {

enum TTagFlag : std::uint16_t {
    fVoid = 1u << 0,      // never has content or an end tag
    fSkip = 1u << 1,      // its content is not shown, or is the page's furniture
    fInline = 1u << 2,    // runs on inside a line: no word break at its edges
    fClosesP = 1u << 3,   // its start tag ends an open paragraph
    fBoundary = 1u << 4,  // end tags do not reach through it
    fForeign = 1u << 5,   // drawing and formula content: self-closing tags close
};

// The flags of a (lower-case) tag name; 0 for names not listed.
std::uint16_t TagFlags(std::string_view name);

// 1 to 6 for the headings h1 to h6, else 0.
int HeadingLevel(std::string_view name);

std::string Lower(std::string_view s);

// Whether a space-separated token list (rel, class) holds token, in any
// letter case.
bool HasToken(std::string_view list, std::string_view token);
// The same for any of tokens (lower case).
bool HasAnyToken(std::string_view list, std::initializer_list<std::string_view> tokens);

// Hidden from the reader by the element's own attributes.
bool IsHidden(const THtmlToken& token);

// A link that leads somewhere other than a page: a script, a mail, a place on
// this same page. Its text is page furniture, not a headline.
bool LeadsOffTheWeb(std::string_view href);

}  // namespace zelvo::text::html
