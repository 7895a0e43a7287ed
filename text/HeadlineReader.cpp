#include "text/HeadlineReader.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "text/ControlCharacters.h"
#include "text/HeadlineLine.h"
#include "text/HtmlTokenizer.h"
#include "text/PageDecoding.h"
#include "text/UrlResolution.h"
#include "text/Utf8.h"

namespace zelvo::text {
namespace {

// --- What a tag name means to the reading ---------------------------------

enum TTagFlag : std::uint16_t {
    fVoid = 1u << 0,      // never has content or an end tag
    fSkip = 1u << 1,      // its content is not shown, or is the page's furniture
    fInline = 1u << 2,    // runs on inside a line: no word break at its edges
    fClosesP = 1u << 3,   // its start tag ends an open paragraph
    fBoundary = 1u << 4,  // end tags do not reach through it
    fForeign = 1u << 5,   // drawing and formula content: self-closing tags close
};

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

// 1 to 3 for the headline headings, 4 to 6 for the others, else 0.
int HeadingLevel(std::string_view name) {
    if (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6')
        return name[1] - '0';
    return 0;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = AsciiLower(c);
    return out;
}

bool IsAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

// Whether a space-separated token list (rel) holds token, in any letter case.
bool HasToken(std::string_view list, std::string_view token) {
    std::size_t i = 0;
    while (i < list.size()) {
        while (i < list.size() && IsAsciiSpace(list[i]))
            ++i;
        std::size_t j = i;
        while (j < list.size() && !IsAsciiSpace(list[j]))
            ++j;
        if (j > i && Lower(list.substr(i, j - i)) == token)
            return true;
        i = j;
    }
    return false;
}

// Hidden from the reader by the element's own attributes.
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
        for (std::string_view hiding : {"hidden", "d-none", "is-hidden", "sr-only",
                                        "visually-hidden", "visuallyhidden", "screen-reader-text",
                                        "u-visually-hidden", "offscreen"}) {
            if (HasToken(*cls, hiding))
                return true;
        }
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

// A link that leads somewhere other than a page: a script, a mail, a place on
// this same page. Its text is page furniture, not a headline.
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

// --- Text gathered from character tokens --------------------------------------

// Text with its white space collapsed to single blanks and trimmed, up to a
// number of characters.
class TCollector {
public:
    explicit TCollector(std::size_t maxChars) : max_(maxChars) {}

    void Add(std::string_view s) {
        if (overflow_)
            return;  // a long page's text is not looked at past what is kept
        const std::size_t n = s.size();
        for (std::size_t i = 0; i < n;) {
            const auto c = static_cast<unsigned char>(s[i]);
            if (c <= 0x20 || c == 0x7F) {
                Space();
                ++i;
                continue;
            }
            std::size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
            len = std::min(len, n - i);
            const std::string_view ch = s.substr(i, len);
            i += len;
            // No-break and typographic spaces count as blanks; zero-width
            // ones and the byte-order mark as nothing.
            if (ch == "\xC2\xA0" || ch == "\xE3\x80\x80" ||
                (len == 3 && ch[0] == '\xE2' && ch[1] == '\x80' &&
                 static_cast<unsigned char>(ch[2]) <= 0x8A) ||
                ch == "\xE2\x80\xAF" || ch == "\xE2\x81\x9F") {
                Space();
                continue;
            }
            if (ch == "\xE2\x80\x8B" || ch == "\xEF\xBB\xBF" || ch == "\xC2\xAD")
                continue;
            if (full_) {
                overflow_ = true;
                continue;
            }
            if (space_) {
                text_ += ' ';
                ++chars_;
                space_ = false;
            }
            text_ += ch;
            if (++chars_ >= max_)
                full_ = true;
        }
    }
    // A word break: block edges and line breaks separate words.
    void Break() { Space(); }
    void Clear() {
        text_.clear();
        chars_ = 0;
        space_ = full_ = overflow_ = false;
    }
    const std::string& Text() const { return text_; }
    std::string Take() {
        std::string t = std::move(text_);
        Clear();
        return t;
    }

private:
    void Space() { space_ = !text_.empty(); }

    std::string text_;
    std::size_t max_;
    std::size_t chars_ = 0;
    bool space_ = false;
    bool full_ = false;
    bool overflow_ = false;
};

bool IsCjk(char32_t cp) {
    return (cp >= 0x3040 && cp <= 0x30FF) || (cp >= 0x3400 && cp <= 0x4DBF) ||
           (cp >= 0x4E00 && cp <= 0x9FFF) || (cp >= 0xF900 && cp <= 0xFAFF) ||
           (cp >= 0x20000 && cp <= 0x2FFFF);
}

// Words in collapsed text. Scripts written without spaces count a word for
// every two of their characters, so their headlines are not all one word.
std::size_t CountWords(std::string_view text) {
    std::size_t words = 0;
    std::size_t cjk = 0;
    bool inWord = false;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == ' ') {
            inWord = false;
            ++i;
            continue;
        }
        if (!inWord)
            ++words;
        inWord = true;
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t len = c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        len = std::min(len, text.size() - i);
        char32_t cp = c & (len == 2 ? 0x1F : len == 3 ? 0x0F : 0x07);
        for (std::size_t k = 1; k < len; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        if (IsCjk(cp))
            ++cjk;
        i += len;
    }
    return std::max(words, cjk / 2);
}

// Cuts text after at most maxChars characters, at the last blank before the
// cut when there is one in the last fifth; ellipsis marks a cut headline.
std::string CutAtWord(std::string text, std::size_t maxChars, bool ellipsis) {
    const std::size_t at = ByteOffsetOfChar(text, maxChars);
    if (at >= text.size())
        return text;
    std::size_t cut = at;
    if (text[at] != ' ') {
        const std::size_t blank = text.rfind(' ', at);
        if (blank != std::string::npos &&
            CharCount(std::string_view(text).substr(0, blank)) >= maxChars - maxChars / 5)
            cut = blank;
    }
    text.resize(cut);
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    if (ellipsis)
        text += "\xE2\x80\xA6";
    return text;
}

std::string DuplicateKey(std::string_view text) {
    return Lower(text);
}

// Characters of a headline kept; a link around a whole teaser is cut.
constexpr std::size_t kMaxPageHeadlineChars = 250;
// A paragraph with this many words of its own, outside its links, is prose
// and its links are references, not headlines.
constexpr std::size_t kProseWords = 8;
// Raw headlines gathered before duplicates and unusable links are sorted out.
constexpr std::size_t kMaxCandidates = 10 * kMaxPageHeadlines;
// How far down the open elements an implied or misnested end tag looks.
constexpr std::size_t kScanLimit = 256;

// --- The reading --------------------------------------------------------------

class TPageReader {
public:
    TPageReader(std::string_view pageUrl, bool feedsOnly)
        : pageUrl_(pageUrl), feedsOnly_(feedsOnly) {}

    void Run(std::string_view utf8) {
        THtmlTokenizer tokenizer(utf8);
        THtmlToken token;
        while (tokenizer.Next(token)) {
            switch (token.kind) {
                case TTokenKind::Character:
                    if (!feedsOnly_)
                        Characters(token.data);
                    break;
                case TTokenKind::StartTag:
                    StartTag(token);
                    break;
                case TTokenKind::EndTag:
                    EndTag(token.data);
                    break;
                default:
                    break;
            }
        }
        while (!stack_.empty())
            PopOne();
    }

    THeadlineReading Finish();

private:
    enum TOpenFlag : std::uint8_t {
        oSkip = 1u << 0,
        oForeign = 1u << 1,
        oTitle = 1u << 2,
        oHeading = 1u << 3,
        oLink = 1u << 4,
        oParagraph = 1u << 5,
        oBreaks = 1u << 6,  // not inline: its edges break words
        oForm = 1u << 7,
    };
    struct TOpen {
        std::string name;
        std::uint8_t flags;
    };
    struct TCandidate {
        std::string text;
        std::string href;
        bool isLink;  // a link's own text, not a heading's
    };

    void StartTag(const THtmlToken& token);
    void EndTag(const std::string& name);
    void Characters(std::string_view text);
    void Push(const std::string& name, std::uint8_t flags);
    void PopOne();
    // Pops through the topmost element named one of names, unless one of
    // stops, a skipped element or the scan limit comes first.
    void CloseOpen(std::initializer_list<std::string_view> names,
                   std::initializer_list<std::string_view> stops, bool stopAtBoundaries);
    void PopThrough(std::size_t index);
    void BreakWords();
    void AddCandidate(std::string text, std::string href, bool isLink);
    int Count(const std::string& name) const {
        const auto it = counts_.find(name);
        return it == counts_.end() ? 0 : it->second;
    }

    std::string pageUrl_;
    bool feedsOnly_;
    std::vector<TOpen> stack_;
    std::unordered_map<std::string, int> counts_;
    int skipDepth_ = 0;
    int foreignDepth_ = 0;
    int formDepth_ = 0;
    std::vector<TCandidate> formCandidates_;  // held until the form ends

    TCollector title_{kMaxPageHeadlineChars};
    bool titleOpen_ = false;
    bool titleDone_ = false;

    TCollector heading_{kMaxPageHeadlineChars};
    std::string headingHref_;
    bool headingOpen_ = false;

    TCollector link_{kMaxPageHeadlineChars};
    std::string linkHref_;
    bool linkOpen_ = false;
    bool linkInParagraph_ = false;
    bool linkHoldsHeading_ = false;

    TCollector prose_{200};  // the open paragraph's own text, outside links
    std::vector<TCandidate> paragraphLinks_;
    bool paragraphOpen_ = false;

    TCollector visible_{kMaxVisibleChars + 1};
    std::vector<TCandidate> candidates_;

    std::optional<std::string> baseHref_;
    std::vector<std::string> feedHrefs_;
};

void TPageReader::Push(const std::string& name, std::uint8_t flags) {
    stack_.push_back({name, flags});
    ++counts_[name];
    if (flags & oSkip)
        ++skipDepth_;
    if (flags & oForeign)
        ++foreignDepth_;
    if (flags & oForm)
        ++formDepth_;
}

void TPageReader::PopOne() {
    TOpen open = std::move(stack_.back());
    stack_.pop_back();
    if (--counts_[open.name] == 0)
        counts_.erase(open.name);
    const std::uint8_t f = open.flags;
    if (f & oSkip)
        --skipDepth_;
    if (f & oForeign)
        --foreignDepth_;
    if (f & oTitle) {
        titleOpen_ = false;
        titleDone_ = true;
    }
    if (f & oLink) {
        linkOpen_ = false;
        std::string text = link_.Take();
        if (!linkHoldsHeading_ && CountWords(text) >= kHeadlineLinkWords) {
            if (linkInParagraph_ && paragraphOpen_)
                paragraphLinks_.push_back({std::move(text), std::move(linkHref_), true});
            else
                AddCandidate(std::move(text), std::move(linkHref_), true);
        }
        linkHref_.clear();
    }
    if (f & oHeading) {
        headingOpen_ = false;
        AddCandidate(heading_.Take(), std::move(headingHref_), false);
        headingHref_.clear();
    }
    if ((f & oForm) != 0 && --formDepth_ == 0) {
        // A form around a few links is a search box or a sign-up; one around
        // the page's headlines is how some sites wrap their whole page.
        std::vector<TCandidate> held = std::move(formCandidates_);
        formCandidates_.clear();
        if (held.size() >= kMinPageHeadlines) {
            for (TCandidate& c : held)
                AddCandidate(std::move(c.text), std::move(c.href), c.isLink);
        }
    }
    if (f & oParagraph) {
        paragraphOpen_ = false;
        if (CountWords(prose_.Text()) < kProseWords) {
            for (TCandidate& c : paragraphLinks_)
                AddCandidate(std::move(c.text), std::move(c.href), true);
        }
        paragraphLinks_.clear();
        prose_.Clear();
    }
    if (f & oBreaks)
        BreakWords();
}

void TPageReader::PopThrough(std::size_t index) {
    while (stack_.size() > index)
        PopOne();
}

void TPageReader::CloseOpen(std::initializer_list<std::string_view> names,
                            std::initializer_list<std::string_view> stops, bool stopAtBoundaries) {
    bool any = false;
    for (std::string_view n : names)
        any = any || Count(std::string(n)) > 0;
    if (!any)
        return;
    const std::size_t end = stack_.size() > kScanLimit ? stack_.size() - kScanLimit : 0;
    for (std::size_t i = stack_.size(); i-- > end;) {
        const std::string& name = stack_[i].name;
        if (std::find(names.begin(), names.end(), name) != names.end()) {
            PopThrough(i);
            return;
        }
        if (std::find(stops.begin(), stops.end(), name) != stops.end())
            return;
        // An implied end never reaches out of skipped content: what follows
        // inside it stays skipped.
        if ((stack_[i].flags & oSkip) != 0)
            return;
        if (stopAtBoundaries && (TagFlags(name) & fBoundary) != 0)
            return;
    }
}

void TPageReader::BreakWords() {
    title_.Break();
    heading_.Break();
    link_.Break();
    prose_.Break();
    visible_.Break();
}

void TPageReader::AddCandidate(std::string text, std::string href, bool isLink) {
    std::vector<TCandidate>& to = formDepth_ > 0 ? formCandidates_ : candidates_;
    if (text.empty() || to.size() >= kMaxCandidates)
        return;
    to.push_back({std::move(text), std::move(href), isLink});
}

void TPageReader::Characters(std::string_view text) {
    if (skipDepth_ > 0)
        return;
    if (titleOpen_) {
        title_.Add(text);
        return;
    }
    visible_.Add(text);
    if (headingOpen_)
        heading_.Add(text);
    if (linkOpen_)
        link_.Add(text);
    else if (paragraphOpen_)
        prose_.Add(text);
}

void TPageReader::StartTag(const THtmlToken& token) {
    const std::string& name = token.data;
    const std::uint16_t tag = TagFlags(name);

    if (foreignDepth_ > 0) {
        // Inside a drawing every element is skipped with it; a self-closing
        // one is already closed.
        if (!token.selfClosing)
            Push(name, 0);
        return;
    }
    if (name == "html" || name == "head" || name == "body")
        return;
    if (name == "form" && formDepth_ > 0)
        return;  // forms do not nest: a browser ignores the inner start tag

    // The ends a browser implies before this element starts.
    if ((tag & fClosesP) != 0)
        CloseOpen({"p"}, {"button"}, true);
    if (name == "li")
        CloseOpen({"li"}, {"ul", "ol", "menu"}, true);
    else if (name == "dt" || name == "dd")
        CloseOpen({"dt", "dd"}, {"dl"}, true);
    else if (name == "tr")
        CloseOpen({"tr"}, {"table"}, false);
    else if (name == "td" || name == "th")
        CloseOpen({"td", "th"}, {"tr", "table"}, false);
    else if (name == "tbody" || name == "thead" || name == "tfoot")
        CloseOpen({"tbody", "thead", "tfoot"}, {"table"}, false);
    else if (name == "option")
        CloseOpen({"option"}, {"select", "datalist"}, false);
    else if (name == "optgroup")
        CloseOpen({"option", "optgroup"}, {"select", "datalist"}, false);
    else if (name == "a")
        CloseOpen({"a"}, {}, true);
    if (HeadingLevel(name) > 0 && !stack_.empty() && HeadingLevel(stack_.back().name) > 0)
        PopOne();

    const bool shown = skipDepth_ == 0;
    if (name == "base" && !baseHref_) {
        if (const std::string* href = token.Attribute("href"))
            baseHref_ = *href;
    } else if (name == "link") {
        const std::string* rel = token.Attribute("rel");
        const std::string* type = token.Attribute("type");
        const std::string* href = token.Attribute("href");
        if (rel != nullptr && type != nullptr && href != nullptr && HasToken(*rel, "alternate")) {
            const std::string media = MediaTypeOf(*type);
            if (media == "application/rss+xml" || media == "application/atom+xml")
                feedHrefs_.push_back(*href);
        }
    }

    if ((tag & fVoid) != 0) {
        if ((tag & fInline) == 0)
            BreakWords();
        return;
    }
    if ((tag & fForeign) != 0 && token.selfClosing)
        return;

    std::uint8_t flags = (tag & fInline) != 0 ? 0 : oBreaks;
    if ((tag & fSkip) != 0 || IsHidden(token))
        flags |= oSkip;
    if ((tag & fForeign) != 0)
        flags |= oForeign;
    if (name == "form")
        flags |= oForm;
    if (shown && (flags & oSkip) == 0 && !feedsOnly_) {
        if (name == "title" && !titleDone_ && !titleOpen_) {
            flags |= oTitle;
            titleOpen_ = true;
        }
        const int level = HeadingLevel(name);
        if (level >= 1 && level <= 3 && !headingOpen_) {
            flags |= oHeading;
            headingOpen_ = true;
            heading_.Clear();
            headingHref_.clear();
            if (linkOpen_) {
                // A link around a heading: the heading is the headline and
                // the link is where it leads.
                headingHref_ = linkHref_;
                linkHoldsHeading_ = true;
            }
        }
        if (name == "a") {
            const std::string* href = token.Attribute("href");
            if (href != nullptr && headingOpen_ && (flags & oHeading) == 0) {
                if (headingHref_.empty() && !LeadsOffTheWeb(*href))
                    headingHref_ = *href;
            } else if (href != nullptr && !LeadsOffTheWeb(*href) && !linkOpen_) {
                flags |= oLink;
                linkOpen_ = true;
                linkHref_ = *href;
                linkInParagraph_ = paragraphOpen_;
                linkHoldsHeading_ = false;
                link_.Clear();
            }
        }
        if (name == "p" && !paragraphOpen_) {
            flags |= oParagraph;
            paragraphOpen_ = true;
            prose_.Clear();
            paragraphLinks_.clear();
        }
    }
    if ((flags & oBreaks) != 0)
        BreakWords();
    Push(name, flags);
}

void TPageReader::EndTag(const std::string& name) {
    if (foreignDepth_ == 0) {
        if (name == "html" || name == "head" || name == "body")
            return;
        if (name == "br" || (name == "p" && Count(name) == 0)) {
            BreakWords();
            return;
        }
    }
    if (Count(name) == 0)
        return;
    const std::size_t end = stack_.size() > kScanLimit ? stack_.size() - kScanLimit : 0;
    for (std::size_t i = stack_.size(); i-- > end;) {
        if (stack_[i].name == name) {
            PopThrough(i);
            return;
        }
        // A stray end tag does not close a table cell or a template around
        // it; inside a drawing names simply pair up.
        if (foreignDepth_ == 0 && (TagFlags(stack_[i].name) & fBoundary) != 0)
            return;
    }
}

THeadlineReading TPageReader::Finish() {
    THeadlineReading reading;
    const std::string base = baseHref_ ? ResolveUrl(pageUrl_, *baseHref_) : pageUrl_;
    auto resolve = [&base](std::string_view href) {
        std::string url = ResolveUrl(base, href);
        return IsOpenableLink(url) ? url : std::string();
    };

    std::unordered_set<std::string> feedsSeen;
    for (const std::string& href : feedHrefs_) {
        std::string url = ResolveUrl(base, href);
        if (IsOpenableLink(url) && feedsSeen.insert(url).second)
            reading.feeds.push_back(std::move(url));
    }
    if (feedsOnly_)
        return reading;

    reading.title = CutAtWord(title_.Take(), kMaxPageHeadlineChars, false);
    DropControls(reading.title);
    if (IsOpenableLink(pageUrl_))
        reading.titleLink = pageUrl_;

    std::unordered_set<std::string> seen;
    if (!reading.title.empty())
        seen.insert(DuplicateKey(reading.title));
    // The line stays within what a pass of the strip shows before the next
    // fetch, however long the headlines.
    const std::size_t separator = CharCount(kHeadlineSeparator);
    std::size_t lineChars = CharCount(reading.title);
    for (TCandidate& c : candidates_) {
        if (reading.headlines.size() >= kMaxPageHeadlines)
            break;
        std::string text = CutAtWord(std::move(c.text), kMaxPageHeadlineChars, true);
        DropControls(text);
        if (text.empty() || !seen.insert(DuplicateKey(text)).second)
            continue;
        lineChars += CharCount(text) + separator;
        if (lineChars > kMaxLineChars)
            break;
        reading.headlines.push_back({std::move(text), c.href.empty() ? "" : resolve(c.href)});
    }

    if (reading.headlines.size() < kMinPageHeadlines) {
        reading.visibleText = CutAtWord(visible_.Take(), kMaxVisibleChars, false);
        DropControls(reading.visibleText);
    }
    return reading;
}

}  // namespace

THeadlineReading ReadHeadlines(std::string_view utf8, std::string_view pageUrl) {
    TPageReader reader(pageUrl, false);
    reader.Run(utf8);
    return reader.Finish();
}

std::vector<std::string> DeclaredFeeds(std::string_view utf8, std::string_view pageUrl) {
    TPageReader reader(pageUrl, true);
    reader.Run(utf8);
    return reader.Finish().feeds;
}

TTickerPage HeadlineTickerPage(const THeadlineReading& reading) {
    THeadlineLine line;
    if (reading.headlines.size() >= kMinPageHeadlines) {
        line.Add(reading.title, reading.titleLink);
        for (const THeadlineItem& item : reading.headlines)
            line.Add(item.text, item.link);
    } else if (!reading.visibleText.empty()) {
        line.AddPlain(reading.visibleText);
    } else {
        line.AddPlain(reading.title);
    }
    return line.Finish();
}

}  // namespace zelvo::text
