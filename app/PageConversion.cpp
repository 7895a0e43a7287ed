#include "app/PageConversion.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "app/SimpleHTMLParser.h"
#include "platform/FileReplace.h"
#include "platform/Paths.h"

namespace zelvo::app {

namespace {

constexpr std::size_t npos = std::string_view::npos;

bool IsBlankText(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

// The rescanning replacement, run forward. Invariant: out never holds an
// occurrence of find. A character appended to out can only complete an
// occurrence that ends with it, and as all occurrences have the same length
// that one is the leftmost of the whole text: exactly the one the rescanning
// loop would replace next. Its replacement is then fed back through the same
// check, which is where matches cascade.
class ForwardReplacer {
public:
    ForwardReplacer(std::string_view find, std::string_view replacement)
        : find_(find), replacement_(replacement) {}

    std::string Run(std::string_view text, std::size_t first) {
        const std::size_t n = text.size();
        const std::size_t len = find_.size();
        out_.reserve(n + (replacement_.size() > len ? n / 2 : 0));
        std::size_t k = 0;  // next unread input byte
        std::size_t match = first;
        while (match != npos) {
            // The match is text[match, match + len); when match < k its head
            // already sits at the end of out, unchanged since it was read.
            if (match >= k)
                out_.append(text.data() + k, match - k);
            else
                out_.resize(out_.size() - (k - match));
            k = match + len;
            FeedReplacement();
            // An occurrence may still straddle the end of out and the input:
            // feed the next len - 1 input bytes one by one to catch it.
            std::size_t clean = 0;
            while (clean + 1 < len && k < n) {
                out_.push_back(text[k++]);
                if (EndsWithFind()) {
                    out_.resize(out_.size() - len);
                    FeedReplacement();
                    clean = 0;
                } else {
                    ++clean;
                }
            }
            if (k >= n)
                break;
            // out now ends with the clean input bytes text[k - clean, k), so any
            // further occurrence lies wholly in the input from there on.
            match = text.find(find_, k - clean);
        }
        if (k < n)
            out_.append(text.data() + k, n - k);
        return std::move(out_);
    }

private:
    bool EndsWithFind() const {
        const std::size_t len = find_.size();
        return out_.size() >= len &&
               std::memcmp(out_.data() + out_.size() - len, find_.data(), len) == 0;
    }

    void PushReplacement() {
        for (std::size_t i = replacement_.size(); i-- > 0;)
            pending_.push_back(replacement_[i]);
    }

    void FeedReplacement() {
        PushReplacement();
        while (!pending_.empty()) {
            out_.push_back(pending_.back());
            pending_.pop_back();
            if (EndsWithFind()) {
                out_.resize(out_.size() - find_.size());
                PushReplacement();
            }
        }
    }

    std::string_view find_;
    std::string_view replacement_;
    std::string out_;
    std::string pending_;  // bytes still to feed, the next one last
};

// A single-byte find cannot cascade: the replacement does not hold it.
std::string ReplaceByte(std::string_view text, char find, std::string_view replacement,
                        std::size_t first) {
    std::string out;
    out.reserve(text.size() + (replacement.size() > 1 ? text.size() / 2 : 0));
    std::size_t k = 0;
    std::size_t match = first;
    while (match != npos) {
        out.append(text.data() + k, match - k);
        out.append(replacement);
        k = match + 1;
        const void* next =
            k < text.size() ? std::memchr(text.data() + k, find, text.size() - k) : nullptr;
        match = next != nullptr ? static_cast<const char*>(next) - text.data() : npos;
    }
    out.append(text.data() + k, text.size() - k);
    return out;
}

// Span removal as the rescanning loop does it: in the current text take the
// first open a and the first close b; stop when either is missing, a >= b or
// b - a >= maxDistance; otherwise cut [a + cutFrom, b + cutTo) and look again.
// Run forward over out (the text kept so far) and the unread input: out never
// holds a whole open or close (both first ones lie past its start), so the
// next first ones either straddle the end of out or lie in the input.
// Requires cutFrom < open.size(), cutFrom <= close.size() and
// cutTo >= close.size() - 1.
std::string RemoveSpans(std::string_view text, std::string_view open, std::string_view close,
                        std::size_t maxDistance, std::size_t cutFrom, std::size_t cutTo) {
    const std::size_t n = text.size();
    std::string out;
    std::size_t r = 0;

    auto findFirst = [&](std::string_view pattern) -> std::size_t {
        const std::size_t w = out.size();
        const std::size_t len = pattern.size();
        for (std::size_t s = w >= len - 1 ? w - (len - 1) : 0; s < w; ++s) {
            const std::size_t head = w - s;
            const std::size_t tail = len - head;
            if (r + tail <= n && std::memcmp(out.data() + s, pattern.data(), head) == 0 &&
                std::memcmp(text.data() + r, pattern.data() + head, tail) == 0)
                return s;
        }
        const std::size_t i = text.find(pattern, r);
        return i == npos ? npos : w + (i - r);
    };

    for (;;) {
        const std::size_t a = findFirst(open);
        if (a == npos)
            break;
        const std::size_t b = findFirst(close);
        if (b == npos || a >= b || b - a >= maxDistance)
            break;
        const std::size_t w = out.size();
        const std::size_t from = a + cutFrom;
        const std::size_t to = b + cutTo;
        if (from <= w)
            out.resize(from);
        else
            out.append(text.data() + r, from - w);
        r += to - w;
    }
    if (r < n)
        out.append(text.data() + r, n - r);
    return out;
}

struct TTableRow {
    bool replace;  // else a range removal
    std::string_view find;
    std::string_view with;
    int distance;
};

using namespace std::string_view_literals;

// The order matters: every row works on the result of the one before.
constexpr TTableRow kTable[] = {
    {true, "\t"sv, " "sv, 0},         {true, "&nbsp;"sv, ""sv, 0},
    {true, "&nbsp"sv, ""sv, 0},       {true, "&#0124;"sv, ""sv, 0},
    {true, "&#0145;"sv, "'"sv, 0},    {true, "&#0146;"sv, "'"sv, 0},
    {true, "&#0147;"sv, "'"sv, 0},    {true, "&#0148;"sv, "'"sv, 0},
    {true, "&#0151;"sv, "--"sv, 0},   {true, "&#145;"sv, "'"sv, 0},
    {true, "&#146;"sv, "'"sv, 0},     {true, "&#147;"sv, "'"sv, 0},
    {true, "&#148;"sv, "'"sv, 0},     {true, "&#149;"sv, " "sv, 0},
    {true, "&#151;"sv, "--"sv, 0},    {true, "&#160;"sv, " "sv, 0},
    {true, "&#169;"sv, "\xA9 "sv, 0}, {true, "&#174;"sv, "\xAE "sv, 0},
    {true, "&#183;"sv, " "sv, 0},     {true, "&#241;"sv, "n"sv, 0},
    {false, "//"sv, "-->"sv, 125},    {true, "\r\n"sv, "  "sv, 0},
    {true, "\r"sv, ""sv, 0},          {true, "\n"sv, ""sv, 0},
    {true, "\xA6"sv, "   "sv, 0},     {true, "\x93"sv, "'"sv, 0},
    {true, "\x94"sv, "'"sv, 0},       {true, "&#01"sv, ""sv, 0},
    {true, "&copy;"sv, "\xA9 "sv, 0}, {true, "&reg;"sv, "\xAE "sv, 0},
    {true, "&"sv, ""sv, 0},           {true, "amp;"sv, " && "sv, 0},
    {true, "quot;"sv, "'"sv, 0},      {true, "|"sv, "  "sv, 0},
    {true, "     "sv, "  "sv, 0},     {false, "["sv, "]"sv, 125},
    {false, "{"sv, "}"sv, 125},       {false, "/*"sv, "*/"sv, 65},
};
static_assert(std::size(kTable) == 38);

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
    bytes = bytes.substr(0, bytes.find('\0'));
    std::string text;
    text.reserve(bytes.size() + 2);
    std::size_t p = 0;
    while (p < bytes.size()) {
        std::size_t stop = bytes.find_first_of("\r\n", p);
        if (stop == npos)
            stop = bytes.size();
        text.append(bytes.data() + p, stop - p);
        text += "\r\n";
        p = stop;
        if (p < bytes.size() && bytes[p] == '\r')
            ++p;
        if (p < bytes.size() && bytes[p] == '\n')
            ++p;
    }
    return text;
}

void StripComments(std::string& text) {
    // Each comment keeps its "<" and the ">" of its closer.
    if (text.find("<!--") == npos)
        return;
    text = RemoveSpans(text, "<!--", "-->", std::numeric_limits<std::size_t>::max(), 1, 2);
}

std::string ReplaceAll(std::string_view find, std::string_view text, std::string_view replacement) {
    if (find.empty())
        return std::string(text);
    const std::size_t first = text.find(find);
    if (first == npos || replacement.find(find) != npos)
        return std::string(text);
    if (find.size() == 1)
        return ReplaceByte(text, find[0], replacement, first);
    return ForwardReplacer(find, replacement).Run(text, first);
}

void RemoveRange(std::string& text, std::string_view open, int maxDistance,
                 std::string_view close) {
    if (IsBlankText(open) || IsBlankText(close))
        return;
    if (maxDistance <= 0 || text.find(open) == npos)
        return;
    text = RemoveSpans(text, open, close, static_cast<std::size_t>(maxDistance), 0, close.size());
}

std::string BuildLineText(std::string_view strippedText) {
    std::string line;
    line.reserve(strippedText.size());
    TSimpleHTMLParser parser(strippedText);
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
                line += '\xA6';
            if (parser.IsTag("a"))
                line += '\xA6';
        }
        parser.Next();
    }
    return line;
}

std::string ApplyReplacementTable(std::string text) {
    for (const TTableRow& row : kTable) {
        if (row.replace)
            text = ReplaceAll(row.find, text, row.with);
        else
            RemoveRange(text, row.find, row.distance, row.with);
    }
    return text;
}

std::string ConvertBufferText(std::string_view bufferText) {
    std::string page(bufferText);
    StripComments(page);
    // The line text goes into the emptied buffer as its one entry, so the
    // buffer's text is that entry and one line break.
    std::string buffer = BuildLineText(page);
    buffer += "\r\n";
    return ApplyReplacementTable(std::move(buffer));
}

std::string PageToTickerText(std::string_view pageBytes) {
    return ConvertBufferText(PageBufferText(pageBytes));
}

void ConvertPageText(std::vector<std::string>& downloadMemo, std::string& tickerText,
                     const std::string& dir) {
    const std::string page = BufferText(downloadMemo);
    downloadMemo.clear();
    tickerText = ConvertBufferText(page);
    downloadMemo = LoadBufferLines(tickerText);
    std::string folder = dir.empty() ? platform::ExeDir() : dir;
    if (folder.back() != '/')
        folder += '/';
    platform::ReplaceFileContents(folder + kPageTextFile, BufferText(downloadMemo));
}

}  // namespace zelvo::app
