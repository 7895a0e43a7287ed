#include "text/PageConversion.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>

#include "platform/FileReplace.h"
#include "platform/Paths.h"
#include "text/ControlCharacters.h"
#include "text/FeedCharset.h"
#include "text/FeedReader.h"
#include "text/HeadlineLine.h"
#include "text/PageDecoding.h"
#include "text/SimpleHTMLParser.h"
#include "text/TextReplace.h"
#include "text/Utf8.h"

namespace zelvo::text {

namespace {

constexpr std::size_t npos = kNotFound;

bool IsBlankText(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

struct TTableRow {
    bool replace;  // else a range removal
    std::string_view find;
    std::string_view with;
    int distance;
};

using namespace std::string_view_literals;

// The table's characters outside ASCII, in UTF-8: whole sequences, so a
// letter whose encoding shares a byte with them is never torn apart.
constexpr std::string_view kAnchorMarker = "\xC2\xA6"sv;    // U+00A6 broken bar
constexpr std::string_view kLeftQuote = "\xE2\x80\x9C"sv;   // U+201C
constexpr std::string_view kRightQuote = "\xE2\x80\x9D"sv;  // U+201D
constexpr std::string_view kCopyright = "\xC2\xA9 "sv;      // U+00A9 and a blank
constexpr std::string_view kRegistered = "\xC2\xAE "sv;     // U+00AE and a blank

// The order matters: every row works on the result of the one before.
constexpr TTableRow kTable[] = {
    {true, "\t"sv, " "sv, 0},
    {true, "&nbsp;"sv, ""sv, 0},
    {true, "&nbsp"sv, ""sv, 0},
    {true, "&#0124;"sv, ""sv, 0},
    {true, "&#0145;"sv, "'"sv, 0},
    {true, "&#0146;"sv, "'"sv, 0},
    {true, "&#0147;"sv, "'"sv, 0},
    {true, "&#0148;"sv, "'"sv, 0},
    {true, "&#0151;"sv, "--"sv, 0},
    {true, "&#145;"sv, "'"sv, 0},
    {true, "&#146;"sv, "'"sv, 0},
    {true, "&#147;"sv, "'"sv, 0},
    {true, "&#148;"sv, "'"sv, 0},
    {true, "&#149;"sv, " "sv, 0},
    {true, "&#151;"sv, "--"sv, 0},
    {true, "&#160;"sv, " "sv, 0},
    {true, "&#169;"sv, kCopyright, 0},
    {true, "&#174;"sv, kRegistered, 0},
    {true, "&#183;"sv, " "sv, 0},
    {true, "&#241;"sv, "n"sv, 0},
    {false, "//"sv, "-->"sv, 125},
    {true, "\r\n"sv, "  "sv, 0},
    {true, "\r"sv, ""sv, 0},
    {true, "\n"sv, ""sv, 0},
    {true, kAnchorMarker, "   "sv, 0},
    {true, kLeftQuote, "'"sv, 0},
    {true, kRightQuote, "'"sv, 0},
    {true, "&#01"sv, ""sv, 0},
    {true, "&copy;"sv, kCopyright, 0},
    {true, "&reg;"sv, kRegistered, 0},
    {true, "&"sv, ""sv, 0},
    {true, "amp;"sv, " && "sv, 0},
    {true, "quot;"sv, "'"sv, 0},
    {true, "|"sv, "  "sv, 0},
    {true, "     "sv, "  "sv, 0},
    {false, "["sv, "]"sv, 125},
    {false, "{"sv, "}"sv, 125},
    {false, "/*"sv, "*/"sv, 65},
};
static_assert(std::size(kTable) == 38);

// Whether a row is one of a run of replacements whose finds all start with
// "&" (rows 2 to 20 and 28 to 31).
bool IsEntityRow(const TTableRow& row) {
    return row.replace && !row.find.empty() && row.find[0] == '&';
}

// Which of rows[0, count) have their find in text (bit i for rows[i]), all
// found in one pass over the ampersands instead of one search per row.
std::uint32_t PresentEntityFinds(std::string_view text, const TTableRow* rows, std::size_t count) {
    const std::uint32_t all = count >= 32 ? ~0u : (1u << count) - 1;
    std::uint32_t bare = 0;            // rows whose find is the ampersand alone
    std::uint32_t bySecond[256] = {};  // rows by the byte after their ampersand
    for (std::size_t i = 0; i < count; ++i) {
        if (rows[i].find.size() == 1)
            bare |= 1u << i;
        else
            bySecond[static_cast<unsigned char>(rows[i].find[1])] |= 1u << i;
    }
    const std::size_t n = text.size();
    std::uint32_t present = 0;
    ForEachByte(text, '&', [&](std::size_t at) {
        present |= bare;
        if (at + 1 < n) {
            std::uint32_t open = bySecond[static_cast<unsigned char>(text[at + 1])] & ~present;
            const std::string_view rest = text.substr(at);
            for (; open != 0; open &= open - 1) {
                const int i = std::countr_zero(open);
                if (rest.starts_with(rows[i].find))
                    present |= 1u << i;
            }
        }
        return present != all;
    });
    return present;
}

void RemoveRangeInPlace(std::string& text, std::string_view open, int maxDistance,
                        std::string_view close) {
    if (IsBlankText(open) || IsBlankText(close))
        return;
    if (maxDistance <= 0 || FindText(text, open) == npos)
        return;
    RemoveSpans(text, open, close, static_cast<std::size_t>(maxDistance), 0, close.size());
}

}  // namespace

std::vector<std::string> LoadBufferLines(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\0'));
    std::vector<std::string> lines;
    std::size_t p = 0;
    while (p < bytes.size()) {
        std::size_t stop = bytes.find_first_of("\r\n", p);
        if (stop == npos)
            stop = bytes.size();
        lines.emplace_back(bytes.substr(p, stop - p));
        p = stop;
        if (p < bytes.size() && bytes[p] == '\r')
            ++p;
        if (p < bytes.size() && bytes[p] == '\n')
            ++p;
    }
    return lines;
}

std::string BufferText(const std::vector<std::string>& lines) {
    std::string text;
    std::size_t size = 0;
    for (const auto& line : lines)
        size += line.size() + 2;
    text.reserve(size);
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::string PageBufferText(std::string_view bytes) {
    std::string text(bytes.substr(0, bytes.find('\0')));
    PageBufferTextInPlace(text);
    return text;
}

void PageBufferTextInPlace(std::string& text) {
    const std::size_t cut = text.find('\0');
    if (cut != npos)
        text.resize(cut);
    const std::size_t n = text.size();
    if (n == 0)
        return;
    // Every line break becomes CR LF and the last line gets one: count the
    // breaks that are not CR LF yet, then fill from the back.
    std::size_t extra = 0;
    const char* p = text.data();
    // The next CR and the next LF, each searched again only once passed.
    auto next = [&](char c, std::size_t from) {
        const void* hit = from < n ? std::memchr(p + from, c, n - from) : nullptr;
        return hit != nullptr ? static_cast<std::size_t>(static_cast<const char*>(hit) - p) : n;
    };
    std::size_t cr = next('\r', 0);
    std::size_t lf = next('\n', 0);
    while (cr < n || lf < n) {
        std::size_t k;
        if (cr < lf) {
            if (cr + 1 == lf) {
                k = lf + 1;
            } else {
                ++extra;
                k = cr + 1;
            }
        } else {
            ++extra;
            k = lf + 1;
        }
        if (cr < k)
            cr = next('\r', k);
        if (lf < k)
            lf = next('\n', k);
    }
    const bool endsWithBreak = p[n - 1] == '\r' || p[n - 1] == '\n';
    if (!endsWithBreak)
        extra += 2;
    if (extra == 0)
        return;
    text.resize(n + extra);
    char* d = text.data();
    std::size_t w = n + extra;
    std::size_t r = n;  // [0, r) still to place
    if (!endsWithBreak) {
        d[--w] = '\n';
        d[--w] = '\r';
    }
    while (r > 0) {
        // The last break before r.
        std::size_t at = r;
        while (at > 0 && d[at - 1] != '\r' && d[at - 1] != '\n')
            --at;
        const std::size_t plain = r - at;
        w -= plain;
        std::memmove(d + w, d + at, plain);
        if (at == 0)
            break;
        const char c = d[at - 1];
        if (c == '\n' && at >= 2 && d[at - 2] == '\r') {
            r = at - 2;
        } else {
            r = at - 1;
        }
        d[--w] = '\n';
        d[--w] = '\r';
        if (w == r)
            break;  // everything before is already in place
    }
}

void StripComments(std::string& text) {
    // Each comment keeps its "<" and the ">" of its closer.
    if (FindText(text, "<!--") == npos)
        return;
    RemoveSpans(text, "<!--", "-->", std::numeric_limits<std::size_t>::max(), 1, 2);
}

std::string ReplaceAll(std::string_view find, std::string_view text, std::string_view replacement) {
    std::string result(text);
    ReplaceAllInPlace(find, result, replacement);
    return result;
}

void RemoveRange(std::string& text, std::string_view open, int maxDistance,
                 std::string_view close) {
    RemoveRangeInPlace(text, open, maxDistance, close);
}

std::string BuildLineText(std::string strippedText) {
    std::string& text = strippedText;
    text.resize(std::min(text.size(), text.find('\0')));
    // The line is written over the text it comes from, behind the reading:
    // a text run gives one byte more than it takes but has a separator or a
    // tag before it, and most tags give less than they take. A page that
    // starts with text, or a run of the few tags that give more ("<p>" gives
    // four bytes), would overtake the reading; from there on the line goes
    // on in a buffer of its own.
    std::size_t w = 0;
    std::string spill;
    bool spilled = false;
    auto put = [&](std::size_t limit, std::string_view a, std::string_view b = {}) {
        if (!spilled && w + a.size() + b.size() > limit) {
            spilled = true;
            spill.reserve(text.size() + text.size() / 4 + 16);
            spill.assign(text, 0, w);
        }
        if (spilled) {
            spill += a;
            spill += b;
        } else {
            for (const std::string_view piece : {a, b}) {
                if (!piece.empty())
                    std::memmove(text.data() + w, piece.data(), piece.size());
                w += piece.size();
            }
        }
    };
    auto parser = TSimpleHTMLParser::Over(text);
    while (parser.TokenKind() != TSimpleHTMLParser::TTokenKind::End) {
        if (parser.TokenKind() == TSimpleHTMLParser::TTokenKind::Text) {
            put(parser.Position(), " ", parser.TokenText());
        } else {
            // Four independent tests, all made before the tag's bytes may be
            // written over: a bare "a" or "A" passes both anchor ones.
            const bool br = parser.IsTag("BR");
            const bool p = parser.IsTag("P");
            const int anchors = int{parser.IsTag("A")} + int{parser.IsTag("a")};
            if (br)
                put(parser.Position(), "\r\n");
            if (p)
                put(parser.Position(), "\r\n\r\n");
            for (int i = 0; i < anchors; ++i)
                put(parser.Position(), kAnchorMarker);
        }
        parser.Next();
    }
    if (spilled)
        return spill;
    text.resize(w);
    return std::move(text);
}

std::string ApplyReplacementTable(std::string text) {
    const std::size_t rows = std::size(kTable);
    for (std::size_t i = 0; i < rows;) {
        const TTableRow& row = kTable[i];
        if (!IsEntityRow(row)) {
            if (row.replace)
                ReplaceAllInPlace(row.find, text, row.with);
            else
                RemoveRangeInPlace(text, row.find, row.distance, row.with);
            ++i;
            continue;
        }
        // A run of entity rows: a row whose find is absent changes nothing, so
        // only a row that did change the text calls for a new look.
        std::size_t end = i;
        while (end < rows && IsEntityRow(kTable[end]))
            ++end;
        std::uint32_t present = PresentEntityFinds(text, &kTable[i], end - i);
        for (std::size_t r = i; r < end; ++r) {
            if ((present & (1u << (r - i))) == 0)
                continue;
            if (ReplaceAllInPlace(kTable[r].find, text, kTable[r].with) && r + 1 < end)
                present = PresentEntityFinds(text, &kTable[r + 1], end - r - 1) << (r + 1 - i);
        }
        i = end;
    }
    return text;
}

std::string ConvertBufferText(std::string bufferText) {
    StripComments(bufferText);
    // The line text goes into the emptied buffer as its one entry, so the
    // buffer's text is that entry and one line break.
    std::string buffer = BuildLineText(std::move(bufferText));
    buffer += "\r\n";
    return ApplyReplacementTable(std::move(buffer));
}

std::string ConvertPageUtf8(std::string utf8) {
    PageBufferTextInPlace(utf8);
    return ConvertBufferText(std::move(utf8));
}

std::string PageToTickerText(std::string_view pageBytes) {
    return ConvertPageUtf8(text::DecodePage(std::string(pageBytes)).text);
}

// The feed's title, then every item's, set apart by the separator; each
// remembers its characters so a click can find its link.
TTickerPage FeedTickerPage(const TFeed& feed) {
    THeadlineLine line;
    std::size_t shown = 0;
    auto add = [&](const std::string& title, const std::string& link) {
        if (title.empty() || shown == kMaxFeedHeadlines)
            return;
        line.Add(title, link);
        ++shown;
    };
    add(feed.title, feed.link);
    for (const TFeedItem& item : feed.items)
        add(item.title, item.link);
    return line.Finish();
}

std::optional<TTickerPage> ReadReceivedFeed(std::string_view bytes, std::string_view contentType,
                                            std::string_view charset, std::string_view finalUrl) {
    // Whether the bytes begin like a feed is read from the bytes themselves:
    // a page is not decoded whole just to learn that it is no feed, and a
    // licence in a comment before the root can be longer than any window.
    if (!IsFeedMediaType(contentType) && !LooksLikeFeed(bytes))
        return std::nullopt;
    // A feed is decoded by XML's rule, not a page's: the page rule would read
    // a whole undeclared feed as windows-1252 for one bad byte.
    const TDecodedFeed decoded = DecodeFeed(bytes, charset);
    auto feed = ReadFeed(decoded.text, finalUrl);
    if (!feed)
        return std::nullopt;
    TTickerPage page = FeedTickerPage(*feed);
    page.charset = decoded.charset;
    return page;
}

TTickerPage ConvertReceivedPage(std::string&& bytes, std::string_view contentType,
                                std::string_view charset, std::string_view finalUrl) {
    if (auto feed = ReadReceivedFeed(bytes, contentType, charset, finalUrl))
        return std::move(*feed);
    text::TDecodedPage decoded = text::DecodePage(std::move(bytes), charset);
    TTickerPage page;
    page.charset = decoded.charset;
    page.text = ConvertPageUtf8(std::move(decoded.text));
    return page;
}

const THeadline* HeadlineAt(const std::vector<THeadline>& headlines, std::size_t pos) {
    const auto it = std::upper_bound(headlines.begin(), headlines.end(), pos,
                                     [](std::size_t p, const THeadline& h) { return p < h.end; });
    return it != headlines.end() && it->begin <= pos ? &*it : nullptr;
}

void WritePageText(const std::string& tickerText, std::vector<std::string>& downloadMemo,
                   const std::string& dir) {
    std::string folder = dir.empty() ? platform::ExeDir() : dir;
    if (folder.back() != '/' && folder.back() != platform::kPathSeparator)
        folder += platform::kPathSeparator;
    // One line, and the buffer keeps it: built once with its line break.
    std::string line;
    line.reserve(tickerText.size() + 2);
    line = tickerText;
    line += "\r\n";
    downloadMemo.clear();
    struct KeepLine {
        std::string& line;
        std::vector<std::string>& memo;
        ~KeepLine() {
            line.resize(line.size() - 2);
            memo.push_back(std::move(line));
        }
    } keep{line, downloadMemo};
    platform::ReplaceFileContents(folder + kPageTextFile, line, platform::FileAccess::Private);
}

void ConvertPageText(std::vector<std::string>& downloadMemo, std::string& tickerText,
                     const std::string& dir) {
    std::string page = BufferText(downloadMemo);
    downloadMemo.clear();
    tickerText = ConvertBufferText(std::move(page));
    WritePageText(tickerText, downloadMemo, dir);
}

}  // namespace zelvo::text
