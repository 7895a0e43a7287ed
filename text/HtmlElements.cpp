#include "text/HtmlElements.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

namespace zelvo::text::html {
namespace {

struct TTagEntry {
    std::string_view name;
    std::uint16_t flags;
};

// clang-format off
constexpr TTagEntry kTags[] = {
    {"a", fInline}, {"abbr", fInline}, {"address", fClosesP}, {"applet", fBoundary},
    {"area", fVoid}, {"audio", fSkip}, {"canvas", fSkip}, {"video", fSkip}, {"article", fClosesP}, {"aside", fClosesP}, {"b", fInline},
    {"base", fVoid}, {"basefont", fVoid}, {"bdi", fInline}, {"bdo", fInline},
    {"bgsound", fVoid}, {"big", fInline}, {"blockquote", fClosesP}, {"br", fVoid},
    {"button", fSkip}, {"caption", fBoundary}, {"center", fClosesP}, {"cite", fInline},
    {"code", fInline}, {"col", fVoid}, {"data", fInline}, {"dd", fClosesP},
    {"del", fInline}, {"details", fClosesP}, {"dfn", fInline}, {"dialog", fClosesP},
    {"dir", fClosesP}, {"div", fClosesP}, {"dl", fClosesP}, {"dt", fClosesP},
    {"em", fInline}, {"embed", fVoid}, {"fieldset", fClosesP}, {"figcaption", fClosesP},
    {"figure", fClosesP}, {"font", fInline}, {"footer", fSkip | fClosesP},
    {"form", fClosesP}, {"frame", fVoid}, {"h1", fClosesP}, {"h2", fClosesP},
    {"h3", fClosesP}, {"h4", fClosesP}, {"h5", fClosesP}, {"h6", fClosesP},
    {"header", fClosesP}, {"hgroup", fClosesP}, {"hr", fVoid | fClosesP}, {"html", fBoundary},
    {"i", fInline}, {"iframe", fSkip}, {"img", fVoid | fInline}, {"input", fVoid},
    {"ins", fInline}, {"kbd", fInline}, {"keygen", fVoid}, {"label", fInline},
    {"li", fClosesP}, {"link", fVoid}, {"listing", fClosesP}, {"main", fClosesP},
    {"mark", fInline}, {"marquee", fBoundary}, {"math", fSkip | fForeign}, {"menu", fClosesP},
    {"meta", fVoid}, {"nav", fSkip | fClosesP}, {"nobr", fInline}, {"noembed", fSkip},
    {"noframes", fSkip}, {"noscript", fSkip}, {"object", fSkip | fBoundary}, {"ol", fClosesP},
    {"p", fClosesP}, {"param", fVoid}, {"plaintext", fClosesP}, {"pre", fClosesP},
    {"q", fInline}, {"s", fInline}, {"samp", fInline}, {"script", fSkip},
    {"search", fClosesP}, {"section", fClosesP}, {"select", fSkip}, {"small", fInline},
    {"source", fVoid}, {"span", fInline}, {"strike", fInline}, {"strong", fInline},
    {"style", fSkip}, {"sub", fInline}, {"summary", fClosesP}, {"sup", fInline},
    {"svg", fSkip | fForeign}, {"table", fClosesP | fBoundary}, {"td", fBoundary},
    {"template", fSkip | fBoundary}, {"textarea", fSkip}, {"th", fBoundary},
    {"time", fInline}, {"track", fVoid}, {"tt", fInline}, {"u", fInline}, {"ul", fClosesP},
    {"var", fInline}, {"wbr", fVoid | fInline}, {"xmp", fClosesP},
};
// clang-format on

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

}  // namespace

std::uint16_t TagFlags(std::string_view name) {
    static const std::unordered_map<std::string_view, std::uint16_t> table = [] {
        std::unordered_map<std::string_view, std::uint16_t> m;
        for (const TTagEntry& e : kTags)
            m.emplace(e.name, e.flags);
        return m;
    }();
    const auto it = table.find(name);
    return it == table.end() ? 0 : it->second;
}

int HeadingLevel(std::string_view name) {
    if (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6')
        return name[1] - '0';
    return 0;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = AsciiLower(c);
    return out;
}

bool HasToken(std::string_view list, std::string_view token) {
    return HasAnyToken(list, {token});
}

bool HasAnyToken(std::string_view list, std::initializer_list<std::string_view> tokens) {
    std::size_t i = 0;
    while (i < list.size()) {
        while (i < list.size() && IsAsciiSpace(list[i]))
            ++i;
        std::size_t j = i;
        while (j < list.size() && !IsAsciiSpace(list[j]))
            ++j;
        const std::string_view word = list.substr(i, j - i);
        for (std::string_view token : tokens) {
            if (word.size() == token.size() &&
                std::equal(word.begin(), word.end(), token.begin(),
                           [](char a, char b) { return AsciiLower(a) == b; }))
                return true;
        }
        i = j;
    }
    return false;
}

bool IsHidden(const THtmlToken& token) {
    if (token.Attribute("hidden") != nullptr)
        return true;
    if (const std::string* aria = token.Attribute("aria-hidden")) {
        std::string v = Lower(*aria);
        v.erase(std::remove_if(v.begin(), v.end(), IsAsciiSpace), v.end());
        if (v == "true")
            return true;
    }
    if (const std::string* cls = token.Attribute("class")) {
        // The class names sites give to what only screen readers, or nobody,
        // should see.
        if (HasAnyToken(*cls,
                        {"hidden", "d-none", "is-hidden", "sr-only", "visually-hidden",
                         "visuallyhidden", "screen-reader-text", "u-visually-hidden", "offscreen"}))
            return true;
    }
    if (const std::string* style = token.Attribute("style")) {
        std::string s = Lower(*style);
        s.erase(std::remove_if(s.begin(), s.end(), IsAsciiSpace), s.end());
        // Declarations are separated by ";", so a match must start one.
        for (std::string_view rule : {"display:none", "visibility:hidden"}) {
            for (std::size_t at = s.find(rule); at != std::string::npos;
                 at = s.find(rule, at + 1)) {
                if (at == 0 || s[at - 1] == ';' || s[at - 1] == '{')
                    return true;
            }
        }
    }
    return false;
}

bool LeadsOffTheWeb(std::string_view href) {
    std::size_t i = 0;
    while (i < href.size() && static_cast<unsigned char>(href[i]) <= 0x20)
        ++i;
    href.remove_prefix(i);
    if (href.empty() || href[0] == '#')
        return true;
    // A scheme: a letter, then letters, digits, "+", "-" or ".", then ":".
    if (!((href[0] >= 'a' && href[0] <= 'z') || (href[0] >= 'A' && href[0] <= 'Z')))
        return false;
    std::size_t j = 1;
    while (j < href.size() && (std::isalnum(static_cast<unsigned char>(href[j])) != 0 ||
                               href[j] == '+' || href[j] == '-' || href[j] == '.'))
        ++j;
    if (j >= href.size() || href[j] != ':')
        return false;
    const std::string scheme = Lower(href.substr(0, j));
    return scheme != "http" && scheme != "https";
}

}  // namespace zelvo::text::html
