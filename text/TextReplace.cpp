#include "text/TextReplace.h"

#include <string.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "text/Utf8.h"

namespace zelvo::text {

// The table's patterns are short and their first bytes often common in text
// (a blank, "&", "a"), so a search led by the first byte alone would stop all
// the time. Sixteen starting places at once are tried on three of the
// pattern's bytes (its first two and its last), which together are rare in
// any text, and only those that pass all three are compared in full, so the
// work per byte stays bounded whatever the text holds. A first byte absent
// from the rest of the text is found out by the C library's faster scan.
std::size_t FindText(std::string_view text, std::string_view pattern, std::size_t from) {
    const std::size_t n = text.size();
    const std::size_t len = pattern.size();
    if (from > n || len > n - from)
        return len == 0 && from <= n ? from : kNotFound;
    if (len == 0)
        return from;
    const char* base = text.data();
    const std::size_t lastStart = n - len;
    const void* lead = std::memchr(base + from, pattern[0], lastStart - from + 1);
    if (lead == nullptr)
        return kNotFound;
    std::size_t i = static_cast<std::size_t>(static_cast<const char*>(lead) - base);
    if (len == 1)
        return i;
    // Whether the candidate at j, known to agree on the three bytes tried,
    // is a match.
    auto middleMatches = [&](std::size_t j) {
        for (std::size_t m = 2; m + 1 < len; ++m)
            if (base[j + m] != pattern[m])
                return false;
        return true;
    };
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(pattern[0]);
    const __m128i second = _mm_set1_epi8(pattern[1]);
    const __m128i last = _mm_set1_epi8(pattern[len - 1]);
    // Sixteen starts from i need the bytes up to i + 15 + len - 1.
    while (n - i >= 16 + len - 1) {
        const __m128i a =
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(base + i)), first);
        const __m128i b =
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(base + i + 1)), second);
        const __m128i c = _mm_cmpeq_epi8(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + i + len - 1)), last);
        auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_and_si128(a, b), c)));
        for (; mask != 0; mask &= mask - 1) {
            const std::size_t j = i + static_cast<std::size_t>(std::countr_zero(mask));
            if (middleMatches(j))
                return j;
        }
        i += 16;
    }
#endif
    for (; i <= lastStart; ++i) {
        if (base[i] == pattern[0] && base[i + 1] == pattern[1] &&
            base[i + len - 1] == pattern[len - 1] && middleMatches(i))
            return i;
    }
    return kNotFound;
}

namespace {

// The table's patterns are a few bytes long: a loop beats a library call.
bool SameBytes(const char* a, const char* b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return false;
    return true;
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
                    SameBytes(sink_.Data() + sink_.Size() - head, find_.data(), head) &&
                    SameBytes(input.data() + k, find_.data() + head, tail)) {
                    sink_.Drop(head);
                    k += tail;
                    Feed();
                    straddles = true;
                    break;
                }
            }
            if (straddles)
                continue;
            const std::size_t match = FindText(input, find_, k);
            if (match == kNotFound)
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
        const std::size_t size = sink_.Size();
        return size >= len && sink_.Data()[size - 1] == find_[len - 1] &&
               SameBytes(sink_.Data() + size - len, find_.data(), len - 1);
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

// The last place of c in the n bytes at data, or null. The GNU C library
// has a fast scan for it; elsewhere (the Windows build) sixteen bytes at a
// time are compared from the end.
const char* LastByte(const char* data, char c, std::size_t n) {
#if defined(__GLIBC__)
    return static_cast<const char*>(::memrchr(data, c, n));
#else
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(c);
    for (; n >= 16; n -= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + n - 16));
        const auto hits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted)));
        if (hits != 0)
            return data + n - 16 + (std::bit_width(hits) - 1);
    }
#endif
    while (n > 0) {
        --n;
        if (data[n] == c)
            return data + n;
    }
    return nullptr;
#endif
}

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
        const char* hit = LastByte(text.data() + first, find, r - first);
        const std::size_t match =
            hit != nullptr ? static_cast<std::size_t>(hit - text.data()) : first;
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

// When the replacement is not empty and shares no byte with find, no match
// can take in any of its bytes, nor join the text on its two sides: the
// occurrences replaced are exactly those of the text as it stands, taken
// left to right without overlap, and no replacement is looked at again.
bool CannotCascade(std::string_view find, std::string_view replacement) {
    return !replacement.empty() &&
           std::none_of(replacement.begin(), replacement.end(),
                        [&](char c) { return find.find(c) != std::string_view::npos; });
}

void ReplaceDisjoint(std::string& text, std::string_view find, std::string_view replacement,
                     std::size_t first) {
    const std::size_t len = find.size();
    if (replacement.size() <= len) {
        InPlaceSink sink(text, first);
        std::size_t k = first;
        for (std::size_t at = first; at != kNotFound; at = FindText(text, find, k)) {
            sink.Append(text.data() + k, at - k);
            // Written behind the reading place: the replacement is no longer than find.
            sink.Append(replacement.data(), replacement.size());
            k = at + len;
        }
        sink.Append(text.data() + k, text.size() - k);
        sink.Finish();
        return;
    }
    // Growing: the places first, then the text sized once and filled from
    // the back, so the page is neither copied nor held twice.
    std::vector<std::size_t> places;
    for (std::size_t at = first; at != kNotFound; at = FindText(text, find, at + len))
        places.push_back(at);
    const std::size_t n = text.size();
    text.resize(n + places.size() * (replacement.size() - len));
    char* d = text.data();
    std::size_t r = n;  // text[0, r) still to place
    std::size_t w = text.size();
    for (auto it = places.rbegin(); it != places.rend(); ++it) {
        const std::size_t plain = r - (*it + len);
        w -= plain;
        std::memmove(d + w, d + *it + len, plain);
        w -= replacement.size();
        std::memcpy(d + w, replacement.data(), replacement.size());
        r = *it;
    }
}

}  // namespace

bool ReplaceAllInPlace(std::string_view find, std::string& text, std::string_view replacement) {
    if (find.empty())
        return false;
    const std::size_t first = FindText(text, find);
    if (first == kNotFound || FindText(replacement, find) != kNotFound)
        return false;
    if (find.size() == 1) {
        ReplaceByte(text, find[0], replacement, first);
    } else if (CannotCascade(find, replacement)) {
        ReplaceDisjoint(text, find, replacement, first);
    } else if (replacement.size() <= find.size()) {
        InPlaceSink sink(text, first);
        ForwardReplacer<InPlaceSink>(find, replacement, sink).Run(text, first);
    } else {
        const std::string input = std::move(text);
        // Sized for every occurrence at once: growing by doubling would hold
        // the input and two generations of the output together.
        std::size_t count = 0;
        for (std::size_t at = first; at != kNotFound; at = FindText(input, find, at + find.size()))
            ++count;
        text.reserve(input.size() + count * (replacement.size() - find.size()) + 16);
        StringSink sink(text, std::string_view(input).substr(0, first));
        ForwardReplacer<StringSink>(find, replacement, sink).Run(input, first);
    }
    return true;
}

// Runs forward and in place over the kept text (the buffer's front) and the
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
            if (r + tail <= n && SameBytes(text.data() + s, pattern.data(), head) &&
                SameBytes(text.data() + r, pattern.data() + head, tail))
                return s;
        }
        const std::size_t i = FindText(text, pattern, r);
        return i == kNotFound ? kNotFound : w + (i - r);
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
        if (a == kNotFound)
            break;
        const std::size_t b = findFirst(close);
        if (b == kNotFound || a >= b || !WithinChars(a, b))
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

}  // namespace zelvo::text
