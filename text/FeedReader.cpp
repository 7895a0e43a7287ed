#include "text/FeedReader.h"

#include <algorithm>
#include <array>
#include <utility>

#include "text/FeedProlog.h"
#include "text/PageDecoding.h"
#include "text/UrlResolution.h"
#include "text/Utf8.h"

namespace zelvo::text {
namespace {

constexpr std::string_view kAtom10 = "http://www.w3.org/2005/Atom";
constexpr std::string_view kAtom03 = "http://purl.org/atom/ns#";
constexpr std::string_view kDublinCore = "http://purl.org/dc/elements/1.1/";
constexpr std::string_view kXhtml = "http://www.w3.org/1999/xhtml";
constexpr std::array<std::string_view, 6> kFeedNamespaces = {
    kAtom10,
    kAtom03,
    "http://purl.org/rss/1.0/",
    "http://my.netscape.com/rdf/simple/0.9/",
    "http://backend.userland.com/rss2",
    "http://blogs.law.harvard.edu/tech/rss"};

// Bounds that keep hostile documents cheap; real feeds stay far below them.
constexpr std::size_t kMaxDepth = 256;
constexpr std::size_t kMaxBindings = 256;
constexpr std::size_t kMaxCollected = 64 * 1024;  // raw text of one title or link
constexpr std::size_t kMaxLinkLength = 8 * 1024;
// What a DOCTYPE's entities may add to a document: a few times its size, and
// a few megabytes at most.
constexpr std::size_t kMaxExpansion = 4 * 1024 * 1024;
constexpr std::size_t kExpansionFactor = 4;

// Link ranks: an explicit alternate or an RSS link first, then an Atom link
// without a relation, then a permalink guid, then an RDF item's address.
constexpr int kRankAlternate = 0;
constexpr int kRankNoRelation = 1;
constexpr int kRankGuid = 2;
constexpr int kRankAbout = 3;

std::string_view LocalName(std::string_view name) {
    const std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

const std::string* Attribute(const std::vector<THtmlAttribute>& attributes, std::string_view name) {
    for (const THtmlAttribute& a : attributes)
        if (a.name == name)
            return &a.value;
    return nullptr;
}

std::string_view Trim(std::string_view s) {
    auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
    };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool NoCaseEqual(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) {
                   return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
               };
               return lower(x) == lower(y);
           });
}

// Elements a title or link never holds: meeting one while a title is open
// means the title's end tag is missing.
bool EndsOpenText(std::string_view local) {
    static constexpr std::array<std::string_view, 12> kNames = {
        "item",    "entry",   "title",   "link",    "guid",     "description",
        "summary", "content", "pubDate", "updated", "category", "channel"};
    return std::find(kNames.begin(), kNames.end(), local) != kNames.end();
}

}  // namespace

void TFeedReader::TLink::Offer(std::string candidate, int candidateRank) {
    if (candidateRank < rank && candidate.size() <= kMaxLinkLength && IsOpenableLink(candidate)) {
        url = std::move(candidate);
        rank = candidateRank;
    }
}

TFeedReader::TFeedReader(std::string_view baseUrl) {
    bases_.emplace_back(baseUrl);
}

const std::string* TFeedReader::Namespace(std::string_view prefix) const {
    for (auto it = bindings_.rbegin(); it != bindings_.rend(); ++it)
        if (it->first == prefix)
            return &it->second;
    return nullptr;
}

TFeedReader::TVocabulary TFeedReader::VocabularyOf(std::string_view name, bool& atom) const {
    const std::size_t colon = name.find(':');
    const std::string_view prefix = colon == std::string_view::npos ? "" : name.substr(0, colon);
    const std::string* ns = Namespace(prefix);
    atom = kind_ == TKind::Atom || (ns != nullptr && (*ns == kAtom10 || *ns == kAtom03));
    if (ns == nullptr) {
        // Unbound: the prefixes feeds use by convention say what they mean.
        if (prefix.empty() || prefix == "atom" || prefix == "rss")
            return TVocabulary::Feed;
        return prefix == "dc" ? TVocabulary::DublinCore : TVocabulary::Other;
    }
    if (*ns == kDublinCore)
        return TVocabulary::DublinCore;
    if (prefix.empty())
        return *ns == kXhtml ? TVocabulary::Other : TVocabulary::Feed;
    return std::find(kFeedNamespaces.begin(), kFeedNamespaces.end(), *ns) != kFeedNamespaces.end()
               ? TVocabulary::Feed
               : TVocabulary::Other;
}

void TFeedReader::Bind(const std::vector<THtmlAttribute>& attributes, TOpen& open) {
    for (const THtmlAttribute& a : attributes) {
        std::string_view prefix;
        if (a.name == "xmlns")
            prefix = "";
        else if (a.name.starts_with("xmlns:"))
            prefix = std::string_view(a.name).substr(6);
        else
            continue;
        if (bindings_.size() >= kMaxBindings)
            break;
        bindings_.emplace_back(prefix, a.value);
        ++open.bindings;
    }
    if (const std::string* base = Attribute(attributes, "xml:base")) {
        bases_.push_back(ResolveUrl(bases_.back(), Trim(*base)));
        open.ownBase = true;
    }
}

void TFeedReader::StartTarget(TTarget target, TFormat format) {
    target_ = target;
    format_ = format;
    targetIndex_ = open_.size() - 1;
    collected_.clear();
}

void TFeedReader::OfferHref(TLink& link, const std::vector<THtmlAttribute>& attributes) {
    const std::string* href = Attribute(attributes, "href");
    const std::string* rel = Attribute(attributes, "rel");
    const std::string_view relation = rel ? Trim(*rel) : std::string_view();
    int rank;
    if (relation.empty())
        rank = kRankNoRelation;
    else if (relation == "alternate" ||
             relation == "http://www.iana.org/assignments/relation/alternate")
        rank = kRankAlternate;
    else
        return;
    link.Offer(ResolveUrl(bases_.back(), Trim(*href)), rank);
}

bool TFeedReader::StartElement(std::string_view name,
                               const std::vector<THtmlAttribute>& attributes) {
    const std::string_view local = LocalName(name);
    if (target_ != TTarget::None && EndsOpenText(local))
        CloseThrough(targetIndex_);
    const bool isItem = local == "item" || local == "entry";
    if (isItem && inItem_)
        CloseThrough(itemIndex_);
    if (open_.size() >= kMaxDepth)
        return false;

    TOpen& open = open_.emplace_back();
    open.name = name;
    Bind(attributes, open);
    if (target_ != TTarget::None) {
        // Markup inside a title: only its text counts, and a block-level
        // element keeps the words on either side apart.
        if (!IsInlineElement(local))
            Text(" ");
        return true;
    }

    bool atom = false;
    const TVocabulary vocabulary = VocabularyOf(name, atom);
    const TRole parent = open_.size() >= 2 ? open_[open_.size() - 2].role : TRole::Other;
    if (!rootSeen_) {
        rootSeen_ = true;
        open.role = TRole::Root;
        if (local == "rss")
            kind_ = TKind::Rss;
        else if (local == "RDF")
            kind_ = TKind::Rdf;
        else if (local == "feed")
            kind_ = TKind::Atom;
        return true;
    }
    if (vocabulary == TVocabulary::Other)
        return true;
    const bool feedLevel = !inItem_ && (parent == TRole::Channel || parent == TRole::Root);
    const bool itemLevel = inItem_ && parent == TRole::Item;
    const bool itemsFull = items_.size() >= kMaxFeedItems;

    if (vocabulary == TVocabulary::DublinCore) {
        if (local == "title" && itemLevel && !itemsFull)
            StartTarget(TTarget::ItemDcTitle, TFormat::Html);
        else if (local == "title" && feedLevel)
            StartTarget(TTarget::FeedDcTitle, TFormat::Html);
        return true;
    }
    if (local == "channel") {
        open.role = TRole::Channel;
        structureSeen_ = true;
    } else if (isItem) {
        open.role = TRole::Item;
        structureSeen_ = true;
        inItem_ = true;
        itemIndex_ = open_.size() - 1;
        itemTitle_.clear();
        itemDcTitle_.clear();
        itemLink_ = {};
        const std::string* about = Attribute(attributes, "rdf:about");
        if (about != nullptr && !itemsFull)
            itemLink_.Offer(ResolveUrl(bases_.back(), Trim(*about)), kRankAbout);
    } else if (local == "title" && (itemLevel || feedLevel)) {
        if (itemLevel && itemsFull)
            return true;
        TFormat format = TFormat::Html;
        if (atom) {
            // Atom says what its text is; RSS titles are escaped HTML in practice.
            const std::string* type = Attribute(attributes, "type");
            const std::string* mode = Attribute(attributes, "mode");
            const std::string_view t = type ? Trim(*type) : std::string_view();
            const bool html = t == "html" || t == "text/html";
            if (mode != nullptr && Trim(*mode) == "base64")
                format = html ? TFormat::Base64Html : TFormat::Base64Plain;
            else if (mode != nullptr && Trim(*mode) == "escaped")
                format = t == "text/plain" || t == "text" ? TFormat::Plain : TFormat::Html;
            else
                format = html ? TFormat::Html : TFormat::Plain;
        }
        StartTarget(itemLevel ? TTarget::ItemTitle : TTarget::FeedTitle, format);
    } else if (local == "link" && (itemLevel || feedLevel)) {
        if (itemLevel && itemsFull)
            return true;
        if (Attribute(attributes, "href") != nullptr)
            OfferHref(itemLevel ? itemLink_ : feedLink_, attributes);
        else
            StartTarget(itemLevel ? TTarget::ItemLink : TTarget::FeedLink, TFormat::Plain);
    } else if (local == "guid" && itemLevel && !itemsFull) {
        const std::string* permalink = Attribute(attributes, "isPermaLink");
        if (permalink == nullptr)
            StartTarget(TTarget::ItemGuid, TFormat::Plain);
        else if (Trim(*permalink) == "true")
            StartTarget(TTarget::ItemPermalink, TFormat::Plain);
    }
    return true;
}

void TFeedReader::Text(std::string_view text) {
    if (target_ == TTarget::None || collected_.size() >= kMaxCollected)
        return;
    collected_.append(text.substr(0, kMaxCollected - collected_.size()));
}

void TFeedReader::EndElement(std::string_view name) {
    // The nearest open element of that name; failing that, of that name in
    // another letter case.
    for (std::size_t i = open_.size(); i-- > 0;) {
        if (open_[i].name == name) {
            CloseThrough(i);
            return;
        }
    }
    for (std::size_t i = open_.size(); i-- > 0;) {
        if (NoCaseEqual(open_[i].name, name)) {
            CloseThrough(i);
            return;
        }
    }
}

void TFeedReader::CloseThrough(std::size_t index) {
    while (open_.size() > index) {
        Close(open_.back());
        open_.pop_back();
    }
}

void TFeedReader::Close(TOpen& open) {
    const std::size_t index = open_.size() - 1;
    if (target_ != TTarget::None && index > targetIndex_ && !IsInlineElement(LocalName(open.name)))
        Text(" ");
    if (target_ != TTarget::None && index == targetIndex_)
        FinishTarget();
    if (inItem_ && index == itemIndex_)
        FinishItem();
    bindings_.resize(bindings_.size() - open.bindings);
    if (open.ownBase)
        bases_.pop_back();
}

void TFeedReader::FinishTarget() {
    const TTarget target = target_;
    target_ = TTarget::None;
    std::string& text = collected_;
    if (target == TTarget::FeedLink || target == TTarget::ItemLink) {
        TLink& link = target == TTarget::FeedLink ? feedLink_ : itemLink_;
        link.Offer(ResolveUrl(bases_.back(), Trim(text)), kRankAlternate);
        return;
    }
    if (target == TTarget::ItemGuid) {
        // A guid names the item; unless it says it is a permalink, only one
        // written as a web address is a link (many hold a number).
        const std::string_view guid = Trim(text);
        if (IsOpenableLink(guid))
            itemLink_.Offer(std::string(guid), kRankGuid);
        return;
    }
    if (target == TTarget::ItemPermalink) {
        itemLink_.Offer(ResolveUrl(bases_.back(), Trim(text)), kRankGuid);
        return;
    }
    if (format_ == TFormat::Base64Plain || format_ == TFormat::Base64Html) {
        const std::string bytes = DecodeBase64Text(text);
        text = IsValidUtf8(bytes) ? bytes : RepairUtf8(bytes);
    }
    const bool html = format_ == TFormat::Html || format_ == TFormat::Base64Html;
    std::string title = CutHeadline(PlainTitle(text, html));
    std::string* slot = nullptr;
    switch (target) {
        case TTarget::FeedTitle:
            slot = &feedTitle_;
            break;
        case TTarget::FeedDcTitle:
            slot = &feedDcTitle_;
            break;
        case TTarget::ItemTitle:
            slot = &itemTitle_;
            break;
        case TTarget::ItemDcTitle:
            slot = &itemDcTitle_;
            break;
        default:
            break;
    }
    if (slot != nullptr && slot->empty())
        *slot = std::move(title);
}

void TFeedReader::FinishItem() {
    inItem_ = false;
    std::string& title = itemTitle_.empty() ? itemDcTitle_ : itemTitle_;
    if (!title.empty() && items_.size() < kMaxFeedItems)
        items_.push_back({std::move(title), std::move(itemLink_.url)});
}

std::optional<TFeed> TFeedReader::Finish() {
    CloseThrough(0);
    if (kind_ == TKind::None && !structureSeen_)
        return std::nullopt;
    TFeed feed;
    feed.title = feedTitle_.empty() ? std::move(feedDcTitle_) : std::move(feedTitle_);
    feed.link = std::move(feedLink_.url);
    feed.items = std::move(items_);
    return feed;
}

bool IsFeedMediaType(std::string_view mediaType) {
    const std::string type = MediaTypeOf(mediaType);
    return type == "application/rss+xml" || type == "application/atom+xml" ||
           type == "application/rdf+xml" || type == "application/x-rss+xml" ||
           type == "application/x-atom+xml";
}

bool HasFeedRoot(std::string_view utf8) {
    const TProlog prolog = ScanProlog(utf8);
    return prolog.hasRoot && IsFeedRootName(prolog.rootName);
}

std::optional<TFeed> ReadFeed(std::string_view utf8, std::string_view baseUrl) {
    const TProlog prolog = ScanProlog(utf8);
    std::string_view body = prolog.hasRoot ? utf8.substr(prolog.rootOffset) : utf8;
    std::string expanded;
    if (!prolog.entities.empty()) {
        const std::size_t budget =
            std::min(kMaxExpansion, kExpansionFactor * utf8.size() + 64 * 1024);
        expanded = ExpandDeclaredEntities(body, prolog.entities, budget);
        body = expanded;
    }
    TFeedReader reader(baseUrl);
    THtmlTokenizer tokenizer(body, {.switchContentModels = false, .xmlLike = true});
    THtmlToken token;
    while (tokenizer.Next(token)) {
        switch (token.kind) {
            case TTokenKind::StartTag:
                if (reader.StartElement(token.data, token.attributes) && token.selfClosing)
                    reader.EndElement(token.data);
                break;
            case TTokenKind::EndTag:
                reader.EndElement(token.data);
                break;
            case TTokenKind::Character:
                reader.Text(token.data);
                break;
            default:
                break;
        }
    }
    return reader.Finish();
}

}  // namespace zelvo::text
