#include "app/PageConversion.h"

#include <string.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>

#include "app/SimpleHTMLParser.h"
#include "platform/FileReplace.h"
#include "platform/Paths.h"
#include "text/FeedReader.h"
#include "text/PageDecoding.h"
#include "text/Utf8.h"

namespace zelvo::app {

namespace {

constexpr std::size_t npos = std::string_view::npos;

// Substring search tuned for the table's short patterns. Ordinary text holds
// a pattern's first byte rarely, and jumping from one to the next is the
// fastest way through it; a text made of little but that byte ("&&&&...")
// would stop at every position, so once the stops come thick the C library's
// search, which skips on byte pairs, takes over.
std::size_t Find(std::string_view text, std::string_view pattern, std::size_t from = 0) {
    const std::size_t n = text.size();
    const std::size_t len = pattern.size();
    if (from > n || len > n - from)
        return len == 0 && from <= n ? from : npos;
    if (len == 0)
        return from;
    const char* base = text.data();
    const char first = pattern[0];
    const std::size_t lastStart = n - len;  // the last position a match can start at
    std::size_t i = from;
    std::size_t stops = 0;
    while (i <= lastStart) {
        const void* hit = std::memchr(base + i, first, lastStart - i + 1);
        if (hit == nullptr)
            return npos;
        const std::size_t j = static_cast<std::size_t>(static_cast<const char*>(hit) - base);
        std::size_t m = 1;
        while (m < len && base[j + m] == pattern[m])
            ++m;
        if (m == len)
            return j;
        i = j + 1;
        if (++stops >= 16 && (i - from) < stops * 32) {
            const void* found = ::memmem(base + i, n - i, pattern.data(), len);
            return found != nullptr
                       ? static_cast<std::size_t>(static_cast<const char*>(found) - base)
                       : npos;
        }
    }
    return npos;
}

// The first c in text[from, n), or n. Runs of c are common in hostile pages:
// the byte at hand is looked at before the library search is called.
std::size_t FindByte(std::string_view text, std::size_t from, char c) {
    const std::size_t n = text.size();
    if (from >= n)
        return n;
    if (text[from] == c)
        return from;
    const void* hit = std::memchr(text.data() + from, c, n - from);
    return hit != nullptr ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data())
                          : n;
}

bool IsBlankText(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

// Where a pass writes its result. In place, the result is written into the
// text's own buffer behind the reading position, which works whenever no step
// writes more than it has read; otherwise into a separate string.
class InPlaceSink {
public:
    explicit InPlaceSink(std::string& text, std::size_t keep) : text_(text), w_(keep) {}
    std::size_t Size() const { return w_; }
    const char* Data() const { return text_.data(); }
    void Put(char c) { text_[w_++] = c; }
    void Append(const char* from, std::size_t n) {
        if (from != text_.data() + w_)
            std::memmove(text_.data() + w_, from, n);
        w_ += n;
    }
    void Drop(std::size_t n) { w_ -= n; }
    void Finish() { text_.resize(w_); }

private:
    std::string& text_;
    std::size_t w_;
};

class StringSink {
public:
    StringSink(std::string& out, std::string_view keep) : out_(out) { out_.assign(keep); }
    std::size_t Size() const { return out_.size(); }
    const char* Data() const { return out_.data(); }
    void Put(char c) { out_.push_back(c); }
    void Append(const char* from, std::size_t n) { out_.append(from, n); }
    void Drop(std::size_t n) { out_.resize(out_.size() - n); }
    void Finish() {}

private:
    std::string& out_;
};

// The rescanning replacement, run forward. The sink never holds an occurrence
// of find. The leftmost occurrence of the whole text is then either one that
// starts in the last len - 1 bytes written and ends in the unread input (the
// one starting earliest wins), or else the first one in the input: exactly the
// one the rescanning loop would replace next. Its replacement is fed back
// through the same check, which is where matches cascade.
template <typename Sink>
class ForwardReplacer {
public:
    ForwardReplacer(std::string_view find, std::string_view replacement, Sink& sink)
        : find_(find), replacement_(replacement), sink_(sink) {}

    // input: the whole text; first: its first occurrence; the sink already
    // holds input[0, first).
    void Run(std::string_view input, std::size_t first) {
        const std::size_t n = input.size();
        const std::size_t len = find_.size();
        std::size_t k = first + len;
        Feed();
        for (;;) {
            bool straddles = false;
            for (std::size_t head = std::min(len - 1, sink_.Size()); head > 0; --head) {
                const std::size_t tail = len - head;
                if (k + tail <= n &&
                    std::memcmp(sink_.Data() + sink_.Size() - head, find_.data(), head) == 0 &&
                    std::memcmp(input.data() + k, find_.data() + head, tail) == 0) {
                    sink_.Drop(head);
                    k += tail;
                    Feed();
                    straddles = true;
                    break;
                }
            }
            if (straddles)
                continue;
            const std::size_t match = Find(input, find_, k);
            if (match == npos)
                break;
            sink_.Append(input.data() + k, match - k);
            k = match + len;
            Feed();
        }
        sink_.Append(input.data() + k, n - k);
        sink_.Finish();
    }

private:
    bool EndsWithFind() const {
        const std::size_t len = find_.size();
        return sink_.Size() >= len &&
               std::memcmp(sink_.Data() + sink_.Size() - len, find_.data(), len) == 0;
    }

    void PushReplacement() {
        for (std::size_t i = replacement_.size(); i-- > 0;)
            pending_.push_back(replacement_[i]);
    }

    void Feed() {
        PushReplacement();
        while (!pending_.empty()) {
            sink_.Put(pending_.back());
            pending_.pop_back();
            if (EndsWithFind()) {
                sink_.Drop(find_.size());
                PushReplacement();
            }
        }
    }

    std::string_view find_;
    std::string_view replacement_;
    Sink& sink_;
    std::string pending_;  // bytes still to feed, the next one last
};

// A single-byte find cannot cascade: the replacement does not hold it.
void ReplaceByte(std::string& text, char find, std::string_view replacement, std::size_t first) {
    const std::size_t n = text.size();
    if (replacement.size() <= 1) {
        InPlaceSink sink(text, first);
        std::size_t k = first;
        while (k < n) {
            const std::size_t match = FindByte(text, k, find);
            if (match > k)
                sink.Append(text.data() + k, match - k);
            if (match == n)
                break;
            if (!replacement.empty())
                sink.Put(replacement[0]);
            k = match + 1;
        }
        sink.Finish();
        return;
    }
    // Growing: size the text once and fill it from the back.
    std::size_t count = 0;
    for (std::size_t k = first; k < n; ++count) {
        const void* hit = std::memchr(text.data() + k, find, n - k);
        if (hit == nullptr)
            break;
        k = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) + 1;
    }
    text.resize(n + count * (replacement.size() - 1));
    std::size_t r = n;  // bytes [first, r) still to move
    std::size_t w = text.size();
    while (r > first) {
        const void* hit = ::memrchr(text.data() + first, find, r - first);
        const std::size_t match =
            hit != nullptr ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data())
                           : first;
        const std::size_t plain = hit != nullptr ? r - match - 1 : r - first;
        w -= plain;
        std::memmove(text.data() + w, text.data() + r - plain, plain);
        if (hit == nullptr)
            break;
        w -= replacement.size();
        std::memcpy(text.data() + w, replacement.data(), replacement.size());
        r = match;
    }
}

// Span removal as the rescanning loop does it: in the current text take the
// first open a and the first close b; stop when either is missing, a >= b or
// b - a >= maxDistance; otherwise cut [a + cutFrom, b + cutTo) and look again.
// Run forward and in place over the kept text (the buffer's front) and the
// unread input: the kept text never holds a whole open or close (both first
// ones lie past its start), so the next first ones either straddle its end or
// lie in the input. Requires cutFrom < open.size(), cutFrom <= close.size()
// and cutTo >= close.size() - 1, which also keeps writing behind reading.
void RemoveSpans(std::string& text, std::string_view open, std::string_view close,
                 std::size_t maxDistance, std::size_t cutFrom, std::size_t cutTo) {
    const std::size_t n = text.size();
    std::size_t w = 0;  // kept text: text[0, w)
    std::size_t r = 0;  // unread input: text[r, n)

    auto findFirst = [&](std::string_view pattern) -> std::size_t {
        const std::size_t len = pattern.size();
        for (std::size_t s = w >= len - 1 ? w - (len - 1) : 0; s < w; ++s) {
            const std::size_t head = w - s;
            const std::size_t tail = len - head;
            if (r + tail <= n && std::memcmp(text.data() + s, pattern.data(), head) == 0 &&
                std::memcmp(text.data() + r, pattern.data() + head, tail) == 0)
                return s;
        }
        const std::size_t i = Find(text, pattern, r);
        return i == npos ? npos : w + (i - r);
    };

    // The distance counts characters: bytes that do not continue one. Only a
    // span at least maxDistance bytes long can be too far, and counting stops
    // once maxDistance characters are seen.
    auto byteAt = [&](std::size_t p) { return p < w ? text[p] : text[r + (p - w)]; };
    auto WithinChars = [&](std::size_t a, std::size_t b) {
        if (b - a < maxDistance)
            return true;
        std::size_t chars = 0;
        for (std::size_t p = a; p < b; ++p) {
            if (!text::IsContinuation(byteAt(p)) && ++chars >= maxDistance)
                return false;
        }
        return true;
    };

    for (;;) {
        const std::size_t a = findFirst(open);
        if (a == npos)
            break;
        const std::size_t b = findFirst(close);
        if (b == npos || a >= b || !WithinChars(a, b))
            break;
        const std::size_t from = a + cutFrom;
        const std::size_t to = b + cutTo;
        if (from > w) {
            std::memmove(text.data() + w, text.data() + r, from - w);
        }
        const std::size_t oldW = w;
        w = from;
        r += to - oldW;
    }
    if (r < n && r != w)
        std::memmove(text.data() + w, text.data() + r, n - r);
    text.resize(w + (n - std::min(r, n)));
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
    std::uint32_t bare = 0;  // rows whose find is the ampersand alone
    bool second[256] = {};   // the bytes that may follow an ampersand in a find
    for (std::size_t i = 0; i < count; ++i) {
        if (rows[i].find.size() == 1)
            bare |= 1u << i;
        else
            second[static_cast<unsigned char>(rows[i].find[1])] = true;
    }
    const std::size_t n = text.size();
    std::uint32_t present = 0;
    for (std::size_t k = 0; k < n && present != all;) {
        const std::size_t at = FindByte(text, k, '&');
        if (at == n)
            break;
        k = at + 1;
        present |= bare;
        if (k >= n || !second[static_cast<unsigned char>(text[k])])
            continue;
        const std::string_view rest = text.substr(at);
        for (std::size_t i = 0; i < count; ++i) {
            if ((present & (1u << i)) == 0 && rest.starts_with(rows[i].find))
                present |= 1u << i;
        }
    }
    return present;
}

// The operations leave the text alone when nothing changes and otherwise
// work in the text's own buffer, so a table pass over a large page neither
// copies unchanged text nor touches fresh memory.

bool ReplaceAllInPlace(std::string_view find, std::string& text, std::string_view replacement) {
    if (find.empty())
        return false;
    const std::size_t first = Find(text, find);
    if (first == npos || Find(replacement, find) != npos)
        return false;
    if (find.size() == 1) {
        ReplaceByte(text, find[0], replacement, first);
    } else if (replacement.size() <= find.size()) {
        InPlaceSink sink(text, first);
        ForwardReplacer<InPlaceSink>(find, replacement, sink).Run(text, first);
    } else {
        const std::string input = std::move(text);
        // Sized for every occurrence at once: growing by doubling would hold
        // the input and two generations of the output together.
        std::size_t count = 0;
        for (std::size_t at = first; at != npos; at = Find(input, find, at + find.size()))
            ++count;
        text.reserve(input.size() + count * (replacement.size() - find.size()) + 16);
        StringSink sink(text, std::string_view(input).substr(0, first));
        ForwardReplacer<StringSink>(find, replacement, sink).Run(input, first);
    }
    return true;
}

void RemoveRangeInPlace(std::string& text, std::string_view open, int maxDistance,
                        std::string_view close) {
    if (IsBlankText(open) || IsBlankText(close))
        return;
    if (maxDistance <= 0 || Find(text, open) == npos)
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
    if (Find(text, "<!--") == npos)
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
    std::string line;
    line.reserve(strippedText.size() + 2);
    TSimpleHTMLParser parser(std::move(strippedText));
    while (parser.TokenKind() != TSimpleHTMLParser::TTokenKind::End) {
        if (parser.TokenKind() == TSimpleHTMLParser::TTokenKind::Text) {
            line += ' ';
            line += parser.TokenText();
        } else {
            // Four independent tests: a bare "a" or "A" passes both anchor ones.
            if (parser.IsTag("BR"))
                line += "\r\n";
            if (parser.IsTag("P"))
                line += "\r\n\r\n";
            if (parser.IsTag("A"))
                line += kAnchorMarker;
            if (parser.IsTag("a"))
                line += kAnchorMarker;
        }
        parser.Next();
    }
    return line;
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

namespace {

// A literal ampersand on the strip is written twice (a single one would be
// a mnemonic prefix).
void AppendShown(std::string& line, std::string_view plain) {
    for (char c : plain) {
        line += c;
        if (c == '&')
            line += '&';
    }
}

// The feed's title, then every item's, set apart by the separator; each
// remembers its characters so a click can find its link.
TTickerPage FeedLine(const text::TFeed& feed) {
    TTickerPage page;
    std::string& line = page.text;
    line = " ";
    std::size_t chars = 1;
    bool first = true;
    auto add = [&](std::string_view title, const std::string& link) {
        if (title.empty())
            return;
        if (!first) {
            line += kHeadlineSeparator;
            chars += text::CharCount(kHeadlineSeparator);
        }
        first = false;
        const std::size_t from = line.size();
        AppendShown(line, title);
        const std::size_t begin = chars;
        chars += text::CharCount(std::string_view(line).substr(from));
        if (!link.empty())
            page.headlines.push_back({begin, chars, link});
    };
    add(feed.title, feed.link);
    for (const text::TFeedItem& item : feed.items)
        add(item.title, item.link);
    line += "  ";
    return page;
}

}  // namespace

TTickerPage ConvertReceivedPage(std::string&& bytes, std::string_view contentType,
                                std::string_view charset) {
    const bool announced = text::IsFeedMediaType(contentType);
    text::TDecodedPage decoded = text::DecodePage(std::move(bytes), charset);
    if (announced || text::HasFeedRoot(decoded.text)) {
        if (auto feed = text::ReadFeed(decoded.text)) {
            TTickerPage page = FeedLine(*feed);
            page.charset = decoded.charset;
            return page;
        }
    }
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
    if (folder.back() != '/')
        folder += '/';
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
    platform::ReplaceFileContents(folder + kPageTextFile, line);
}

void ConvertPageText(std::vector<std::string>& downloadMemo, std::string& tickerText,
                     const std::string& dir) {
    std::string page = BufferText(downloadMemo);
    downloadMemo.clear();
    tickerText = ConvertBufferText(std::move(page));
    WritePageText(tickerText, downloadMemo, dir);
}

}  // namespace zelvo::app
