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
#include "text/HeadlineText.h"
#include "text/HtmlElements.h"
#include "text/HtmlTokenizer.h"
#include "text/PageDecoding.h"
#include "text/UrlResolution.h"
#include "text/Utf8.h"

namespace zelvo::text {
namespace {

using namespace html;

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

    void Run(THtmlTokenizer& tokenizer) {
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
    // Names stay in the table at zero: pages reopen the same few all along.
    --counts_[open.name];
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

THeadlineReading ReadHeadlines(std::string utf8, std::string_view pageUrl) {
    TPageReader reader(pageUrl, false);
    THtmlTokenizer tokenizer(std::move(utf8));
    reader.Run(tokenizer);
    return reader.Finish();
}

std::vector<std::string> DeclaredFeeds(std::string_view utf8, std::string_view pageUrl) {
    TPageReader reader(pageUrl, true);
    THtmlTokenizer tokenizer(utf8);
    reader.Run(tokenizer);
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
