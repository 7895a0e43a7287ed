#include "text/FeedReader.h"

#include <QString>
#include <QXmlStreamReader>

#include <array>
#include <cstdlib>
#include <utility>

#include "text/PageDecoding.h"
#include "text/Utf8.h"

namespace zelvo::text {
namespace {

// Feeds the reader a slice at a time, so a large document never stands in
// memory twice over as UTF-16.
class TChunkedXml {
public:
    explicit TChunkedXml(std::string_view utf8) : source_(utf8) { Fill(); }

    QXmlStreamReader::TokenType Next() {
        for (;;) {
            const auto token = reader_.readNext();
            if (token == QXmlStreamReader::Invalid &&
                reader_.error() == QXmlStreamReader::PrematureEndOfDocumentError && Fill())
                continue;
            return token;
        }
    }

    QXmlStreamReader& Reader() { return reader_; }

private:
    bool Fill() {
        if (pos_ >= source_.size())
            return false;
        std::size_t end = std::min(source_.size(), pos_ + kChunk);
        while (end < source_.size() && end > pos_ && IsContinuation(source_[end]))
            --end;
        const std::string_view slice = source_.substr(pos_, end - pos_);
        reader_.addData(QString::fromUtf8(slice.data(), static_cast<qsizetype>(slice.size())));
        pos_ = end;
        return true;
    }

    static constexpr std::size_t kChunk = 64 * 1024;
    std::string_view source_;
    std::size_t pos_ = 0;
    QXmlStreamReader reader_;
};

enum class TKind { None, Rss, Rdf, Atom };

TKind KindOfRoot(const QXmlStreamReader& r) {
    const auto name = r.name();
    if (name == u"rss")
        return TKind::Rss;
    if (name == u"RDF" && r.qualifiedName() == u"rdf:RDF")
        return TKind::Rdf;
    if (name == u"feed")
        return TKind::Atom;
    return TKind::None;
}

std::string ToUtf8(const QString& s) {
    const QByteArray bytes = s.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool IsXmlSpace(char32_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == 0xA0;
}

struct TEntity {
    std::string_view name;
    char32_t cp;
};

constexpr std::array<TEntity, 24> kEntities = {{
    {"amp", '&'},      {"lt", '<'},       {"gt", '>'},       {"quot", '"'},      {"apos", '\''},
    {"nbsp", 0xA0},    {"mdash", 0x2014}, {"ndash", 0x2013}, {"hellip", 0x2026}, {"lsquo", 0x2018},
    {"rsquo", 0x2019}, {"ldquo", 0x201C}, {"rdquo", 0x201D}, {"copy", 0xA9},     {"reg", 0xAE},
    {"trade", 0x2122}, {"euro", 0x20AC},  {"pound", 0xA3},   {"laquo", 0xAB},    {"raquo", 0xBB},
    {"bull", 0x2022},  {"middot", 0xB7},  {"deg", 0xB0},     {"eacute", 0xE9},
}};

// One "&...;" at text[i]; appends what it stands for and returns the length
// read, or 0 when it is not a reference this knows.
std::size_t DecodeReference(std::string_view text, std::size_t i, std::string& out) {
    const std::size_t semi = text.find(';', i + 1);
    if (semi == std::string_view::npos || semi - i > 12)
        return 0;
    const std::string_view body = text.substr(i + 1, semi - i - 1);
    if (body.size() >= 2 && body[0] == '#') {
        const bool hex = body[1] == 'x' || body[1] == 'X';
        const std::string digits(body.substr(hex ? 2 : 1));
        if (digits.empty())
            return 0;
        char* end = nullptr;
        const unsigned long cp = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
        if (end == nullptr || *end != '\0')
            return 0;
        AppendCodePoint(out,
                        cp == 0 || cp > 0x10FFFF ? kReplacementChar : static_cast<char32_t>(cp));
        return semi - i + 1;
    }
    for (const TEntity& e : kEntities) {
        if (body == e.name) {
            AppendCodePoint(out, e.cp);
            return semi - i + 1;
        }
    }
    return 0;
}

}  // namespace

std::string PlainTitle(std::string_view text, bool html) {
    std::string decoded;
    if (html) {
        decoded.reserve(text.size());
        for (std::size_t i = 0; i < text.size();) {
            const char c = text[i];
            if (c == '<' && i + 1 < text.size()) {
                const char n = text[i + 1];
                const bool tagLike = n == '/' || n == '!' || n == '?' || (n >= 'a' && n <= 'z') ||
                                     (n >= 'A' && n <= 'Z');
                const std::size_t close = tagLike ? text.find('>', i + 1) : std::string_view::npos;
                if (close != std::string_view::npos) {
                    decoded += ' ';  // a tag may have stood between two words
                    i = close + 1;
                    continue;
                }
            }
            if (c == '&') {
                if (const std::size_t used = DecodeReference(text, i, decoded)) {
                    i += used;
                    continue;
                }
            }
            decoded += c;
            ++i;
        }
        text = decoded;
    }
    std::string out;
    out.reserve(text.size());
    bool pendingSpace = false;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool nbsp =
            c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xA0;
        if (nbsp || IsXmlSpace(c)) {
            pendingSpace = !out.empty();
            i += nbsp ? 2 : 1;
            continue;
        }
        if (pendingSpace)
            out += ' ';
        pendingSpace = false;
        out += static_cast<char>(c);
        ++i;
    }
    return out;
}

bool IsFeedMediaType(std::string_view mediaType) {
    const std::string type = MediaTypeOf(mediaType);
    return type == "application/rss+xml" || type == "application/atom+xml" ||
           type == "application/rdf+xml";
}

bool HasFeedRoot(std::string_view utf8) {
    // The root element stands near the start; comments and a doctype may
    // come before it.
    QXmlStreamReader reader(QString::fromUtf8(
        utf8.data(), static_cast<qsizetype>(std::min<std::size_t>(utf8.size(), 8192))));
    while (!reader.atEnd()) {
        const auto token = reader.readNext();
        if (token == QXmlStreamReader::StartElement)
            return KindOfRoot(reader) != TKind::None;
        if (token == QXmlStreamReader::Invalid)
            return false;
    }
    return false;
}

std::optional<TFeed> ReadFeed(std::string_view utf8) {
    TChunkedXml xml(utf8);
    QXmlStreamReader& r = xml.Reader();
    TKind kind = TKind::None;
    TFeed feed;

    // The elements open above the current one: local name and namespace.
    struct TOpen {
        QString name;
        QString ns;
    };
    std::vector<TOpen> open;
    std::optional<TFeedItem> item;
    bool itemHasLink = false;

    // A title or link whose text is being collected.
    enum class TTarget { None, FeedTitle, FeedLink, ItemTitle, ItemLink, ItemGuid };
    TTarget target = TTarget::None;
    std::size_t targetDepth = 0;
    bool targetHtml = false;
    QString collected;

    const QString atomNs = QStringLiteral("http://www.w3.org/2005/Atom");

    for (;;) {
        const auto token = xml.Next();
        if (token == QXmlStreamReader::Invalid)
            return std::nullopt;
        if (token == QXmlStreamReader::EndDocument)
            break;
        if (token == QXmlStreamReader::StartElement) {
            if (open.empty()) {
                kind = KindOfRoot(r);
                if (kind == TKind::None)
                    return std::nullopt;
            }
            const QString name = r.name().toString();
            const QString ns = r.namespaceUri().toString();
            const bool hasParent = !open.empty();
            const QString parentName = hasParent ? open.back().name : QString();
            const bool sameNs = hasParent && open.back().ns == ns;
            open.push_back({name, ns});
            if (target != TTarget::None)
                continue;  // markup inside a title: only its text counts
            const bool inChannel = sameNs && ((kind == TKind::Atom && open.size() == 2) ||
                                              (kind != TKind::Atom && parentName == u"channel"));
            const bool inItem = sameNs && item && open.size() >= 2 &&
                                (parentName == u"item" || parentName == u"entry");
            const bool isItem = (kind == TKind::Atom && name == u"entry" && ns == atomNs) ||
                                (kind != TKind::Atom && name == u"item");
            if (isItem && !item) {
                item = TFeedItem{};
                itemHasLink = false;
                if (kind == TKind::Rdf)
                    item->link =
                        ToUtf8(r.attributes().value(QStringLiteral("rdf:about")).toString());
                continue;
            }
            if (name == u"title" && (inItem || inChannel)) {
                target = inItem ? TTarget::ItemTitle : TTarget::FeedTitle;
                const QString type = r.attributes().value(QStringLiteral("type")).toString();
                targetHtml = kind != TKind::Atom || type == u"html";
                targetDepth = open.size();
                collected.clear();
            } else if (name == u"link" && (inItem || inChannel)) {
                if (kind == TKind::Atom) {
                    const QString rel = r.attributes().value(QStringLiteral("rel")).toString();
                    const std::string href =
                        ToUtf8(r.attributes().value(QStringLiteral("href")).toString());
                    if ((rel.isEmpty() || rel == u"alternate") && !href.empty()) {
                        if (inItem && !itemHasLink) {
                            item->link = href;
                            itemHasLink = true;
                        } else if (inChannel && feed.link.empty()) {
                            feed.link = href;
                        }
                    }
                } else {
                    target = inItem ? TTarget::ItemLink : TTarget::FeedLink;
                    targetDepth = open.size();
                    collected.clear();
                }
            } else if (name == u"guid" && inItem &&
                       r.attributes().value(QStringLiteral("isPermaLink")) != u"false") {
                target = TTarget::ItemGuid;
                targetDepth = open.size();
                collected.clear();
            }
            continue;
        }
        if (token == QXmlStreamReader::Characters) {
            if (target != TTarget::None)
                collected += r.text();
            continue;
        }
        if (token == QXmlStreamReader::EndElement) {
            if (target != TTarget::None && open.size() == targetDepth) {
                const std::string value = ToUtf8(collected);
                switch (target) {
                    case TTarget::FeedTitle:
                        if (feed.title.empty())
                            feed.title = PlainTitle(value, targetHtml);
                        break;
                    case TTarget::FeedLink:
                        if (feed.link.empty())
                            feed.link = PlainTitle(value, false);
                        break;
                    case TTarget::ItemTitle:
                        if (item->title.empty())
                            item->title = PlainTitle(value, targetHtml);
                        break;
                    case TTarget::ItemLink:
                        if (!itemHasLink) {
                            item->link = PlainTitle(value, false);
                            itemHasLink = !item->link.empty();
                        }
                        break;
                    case TTarget::ItemGuid:
                        if (!itemHasLink && item->link.empty())
                            item->link = PlainTitle(value, false);
                        break;
                    case TTarget::None:
                        break;
                }
                target = TTarget::None;
            }
            if (!open.empty()) {
                const TOpen& closing = open.back();
                const bool closesItem =
                    item && target == TTarget::None &&
                    ((kind == TKind::Atom && closing.name == u"entry" && closing.ns == atomNs) ||
                     (kind != TKind::Atom && closing.name == u"item"));
                if (closesItem) {
                    feed.items.push_back(std::move(*item));
                    item.reset();
                }
                open.pop_back();
            }
        }
    }
    if (kind == TKind::None)
        return std::nullopt;
    return feed;
}

}  // namespace zelvo::text
