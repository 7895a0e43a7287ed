// The East Asian encodings: a lead byte and one or more further bytes name
// a pointer into an index. A byte that cannot follow the lead is an error
// for the lead alone; when it is ASCII it is read again as itself, so a
// broken pair never eats the character after it.
#include <algorithm>
#include <iterator>

#include "text/Decoders.h"
#include "text/Utf8.h"

namespace zelvo::text {
namespace {

template <std::size_t N>
char32_t Lookup(const std::uint16_t (&index)[N], std::size_t pointer) {
    return pointer < N ? index[pointer] : 0;
}

char32_t Big5CodePoint(std::size_t pointer) {
    if (pointer >= indexes::kBig5Size)
        return 0;
    const char32_t low = indexes::kBig5[pointer];
    const bool plane2 = indexes::kBig5Plane2[pointer / 32] >> (pointer % 32) & 1u;
    return low == 0 ? 0 : plane2 ? 0x20000 + low : low;
}

// gb18030's four-byte sequences: linear ranges between the listed pointers.
char32_t Gb18030RangesCodePoint(std::uint32_t pointer) {
    if ((pointer > 39419 && pointer < 189000) || pointer > 1237575)
        return 0;
    if (pointer >= 189000)
        return 0x10000 + (pointer - 189000);
    if (pointer == 7457)
        return 0xE7C7;
    const auto* begin = std::begin(indexes::kGb18030Ranges);
    const auto* end = std::end(indexes::kGb18030Ranges);
    const auto* after =
        std::upper_bound(begin, end, pointer,
                         [](std::uint32_t p, const indexes::TRange& r) { return p < r.pointer; });
    const indexes::TRange& range = *(after - 1);  // the first range starts at pointer 0
    return range.codePoint + (pointer - range.pointer);
}

bool In(unsigned b, unsigned lo, unsigned hi) {
    return b >= lo && b <= hi;
}

// After a failed pair: one error, and an ASCII second byte as itself.
void FailPair(std::string& out, unsigned b) {
    AppendReplacementChar(out);
    if (b < 0x80)
        out.push_back(static_cast<char>(b));
}

void Put(std::string& out, char32_t cp) {
    if (cp == 0)
        AppendReplacementChar(out);
    else
        AppendCodePoint(out, cp);
}

// Copies the run of ASCII at i (markup, mostly) in one go and leaves i on
// its last byte, for the loop to step past.
void CopyAsciiRun(std::string_view bytes, std::size_t& i, std::string& out) {
    const std::size_t run = AsciiRunLength(bytes.substr(i));
    out.append(bytes.data() + i, run);
    i += run - 1;
}

const unsigned char* Bytes(std::string_view s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}

}  // namespace

void DecodeGb18030(std::string_view bytes, std::string& out) {
    const unsigned char* p = Bytes(bytes);
    const std::size_t n = bytes.size();
    out.reserve(out.size() + n + n / 2);
    unsigned first = 0, second = 0, third = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned b = p[i];
        if (first == 0 && b < 0x80) {
            CopyAsciiRun(bytes, i, out);
            continue;
        }
        if (third != 0) {
            if (!In(b, 0x30, 0x39)) {
                // Second, third and this byte are read again after the error.
                AppendReplacementChar(out);
                first = second = third = 0;
                i -= 3;
                continue;
            }
            const std::uint32_t pointer =
                (((first - 0x81) * 10 + second - 0x30) * 126 + third - 0x81) * 10 + b - 0x30;
            first = second = third = 0;
            Put(out, Gb18030RangesCodePoint(pointer));
            continue;
        }
        if (second != 0) {
            if (In(b, 0x81, 0xFE)) {
                third = b;
                continue;
            }
            AppendReplacementChar(out);
            first = second = 0;
            i -= 2;  // the second byte and this one are read again
            continue;
        }
        if (first != 0) {
            if (In(b, 0x30, 0x39)) {
                second = b;
                continue;
            }
            const unsigned lead = first;
            first = 0;
            char32_t cp = 0;
            if (In(b, 0x40, 0x7E) || In(b, 0x80, 0xFE)) {
                const unsigned offset = b < 0x7F ? 0x40 : 0x41;
                cp = Lookup(indexes::kGb18030, (lead - 0x81) * 190 + (b - offset));
            }
            if (cp != 0)
                AppendCodePoint(out, cp);
            else
                FailPair(out, b);
            continue;
        }
        if (b < 0x80)
            out.push_back(static_cast<char>(b));
        else if (b == 0x80)
            AppendCodePoint(out, 0x20AC);
        else if (b != 0xFF)
            first = b;
        else
            AppendReplacementChar(out);
    }
    if (first != 0 || second != 0 || third != 0)
        AppendReplacementChar(out);
}

void DecodeBig5(std::string_view bytes, std::string& out) {
    const unsigned char* p = Bytes(bytes);
    const std::size_t n = bytes.size();
    out.reserve(out.size() + n + n / 2);
    unsigned lead = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned b = p[i];
        if (lead == 0 && b < 0x80) {
            CopyAsciiRun(bytes, i, out);
            continue;
        }
        if (lead != 0) {
            const unsigned l = lead;
            lead = 0;
            char32_t cp = 0;
            if (In(b, 0x40, 0x7E) || In(b, 0xA1, 0xFE)) {
                const unsigned offset = b < 0x7F ? 0x40 : 0x62;
                const std::size_t pointer = (l - 0x81) * 157 + (b - offset);
                // Four pointers stand for a letter and a combining mark.
                switch (pointer) {
                    case 1133:
                        out += "\u00CA\u0304";
                        continue;
                    case 1135:
                        out += "\u00CA\u030C";
                        continue;
                    case 1164:
                        out += "\u00EA\u0304";
                        continue;
                    case 1166:
                        out += "\u00EA\u030C";
                        continue;
                    default:
                        cp = Big5CodePoint(pointer);
                }
            }
            if (cp != 0)
                AppendCodePoint(out, cp);
            else
                FailPair(out, b);
            continue;
        }
        if (b < 0x80)
            out.push_back(static_cast<char>(b));
        else if (In(b, 0x81, 0xFE))
            lead = b;
        else
            AppendReplacementChar(out);
    }
    if (lead != 0)
        AppendReplacementChar(out);
}

void DecodeEucJp(std::string_view bytes, std::string& out) {
    const unsigned char* p = Bytes(bytes);
    const std::size_t n = bytes.size();
    out.reserve(out.size() + n + n / 2);
    unsigned lead = 0;
    bool jis0212 = false;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned b = p[i];
        if (lead == 0 && b < 0x80) {
            CopyAsciiRun(bytes, i, out);
            continue;
        }
        if (lead == 0x8E && In(b, 0xA1, 0xDF)) {
            lead = 0;
            AppendCodePoint(out, 0xFF61 - 0xA1 + b);
            continue;
        }
        if (lead == 0x8F && In(b, 0xA1, 0xFE)) {
            jis0212 = true;
            lead = b;
            continue;
        }
        if (lead != 0) {
            const unsigned l = lead;
            lead = 0;
            char32_t cp = 0;
            if (In(l, 0xA1, 0xFE) && In(b, 0xA1, 0xFE)) {
                const std::size_t pointer = (l - 0xA1) * 94 + b - 0xA1;
                cp = jis0212 ? Lookup(indexes::kJis0212, pointer)
                             : Lookup(indexes::kJis0208, pointer);
            }
            jis0212 = false;
            if (cp != 0)
                AppendCodePoint(out, cp);
            else
                FailPair(out, b);
            continue;
        }
        if (b < 0x80)
            out.push_back(static_cast<char>(b));
        else if (b == 0x8E || b == 0x8F || In(b, 0xA1, 0xFE))
            lead = b;
        else
            AppendReplacementChar(out);
    }
    if (lead != 0)
        AppendReplacementChar(out);
}

void DecodeShiftJis(std::string_view bytes, std::string& out) {
    const unsigned char* p = Bytes(bytes);
    const std::size_t n = bytes.size();
    out.reserve(out.size() + n + n / 2);
    unsigned lead = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned b = p[i];
        if (lead == 0 && b < 0x80) {
            CopyAsciiRun(bytes, i, out);
            continue;
        }
        if (lead != 0) {
            const unsigned l = lead;
            lead = 0;
            char32_t cp = 0;
            if (In(b, 0x40, 0x7E) || In(b, 0x80, 0xFC)) {
                const unsigned offset = b < 0x7F ? 0x40 : 0x41;
                const unsigned leadOffset = l < 0xA0 ? 0x81 : 0xC1;
                const std::size_t pointer = (l - leadOffset) * 188 + b - offset;
                // The user-defined area maps onto the private-use block.
                cp = pointer >= 8836 && pointer <= 10715
                         ? static_cast<char32_t>(0xE000 - 8836 + pointer)
                         : Lookup(indexes::kJis0208, pointer);
            }
            if (cp != 0)
                AppendCodePoint(out, cp);
            else
                FailPair(out, b);
            continue;
        }
        if (b <= 0x80)
            AppendCodePoint(out, b);
        else if (In(b, 0xA1, 0xDF))
            AppendCodePoint(out, 0xFF61 - 0xA1 + b);
        else if (In(b, 0x81, 0x9F) || In(b, 0xE0, 0xFC))
            lead = b;
        else
            AppendReplacementChar(out);
    }
    if (lead != 0)
        AppendReplacementChar(out);
}

void DecodeEucKr(std::string_view bytes, std::string& out) {
    const unsigned char* p = Bytes(bytes);
    const std::size_t n = bytes.size();
    out.reserve(out.size() + n + n / 2);
    unsigned lead = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned b = p[i];
        if (lead == 0 && b < 0x80) {
            CopyAsciiRun(bytes, i, out);
            continue;
        }
        if (lead != 0) {
            const unsigned l = lead;
            lead = 0;
            char32_t cp = 0;
            if (In(b, 0x41, 0xFE))
                cp = Lookup(indexes::kEucKr, (l - 0x81) * 190 + (b - 0x41));
            if (cp != 0)
                AppendCodePoint(out, cp);
            else
                FailPair(out, b);
            continue;
        }
        if (b < 0x80)
            out.push_back(static_cast<char>(b));
        else if (In(b, 0x81, 0xFE))
            lead = b;
        else
            AppendReplacementChar(out);
    }
    if (lead != 0)
        AppendReplacementChar(out);
}

void DecodeIso2022Jp(std::string_view bytes, std::string& out) {
    enum class TState { Ascii, Roman, Katakana, LeadByte, TrailByte, EscapeStart, Escape };
    const unsigned char* p = Bytes(bytes);
    const std::size_t n = bytes.size();
    out.reserve(out.size() + n + n / 2);
    TState state = TState::Ascii;
    TState outputState = TState::Ascii;
    unsigned lead = 0;
    // Set by an escape and cleared by any character: two escapes in a row
    // with nothing between them are an error (they can hide text).
    bool afterEscape = false;
    std::size_t i = 0;
    for (;;) {
        const bool end = i >= n;
        const unsigned b = end ? 0 : p[i];
        switch (state) {
            case TState::Ascii:
            case TState::Roman:
            case TState::Katakana:
            case TState::LeadByte:
                if (end)
                    return;
                ++i;
                if (b == 0x1B) {
                    state = TState::EscapeStart;
                    break;
                }
                afterEscape = false;
                if (state == TState::Ascii) {
                    if (b <= 0x7F && b != 0x0E && b != 0x0F)
                        out.push_back(static_cast<char>(b));
                    else
                        AppendReplacementChar(out);
                } else if (state == TState::Roman) {
                    if (b == 0x5C)
                        AppendCodePoint(out, 0xA5);
                    else if (b == 0x7E)
                        AppendCodePoint(out, 0x203E);
                    else if (b <= 0x7F && b != 0x0E && b != 0x0F)
                        out.push_back(static_cast<char>(b));
                    else
                        AppendReplacementChar(out);
                } else if (state == TState::Katakana) {
                    if (In(b, 0x21, 0x5F))
                        AppendCodePoint(out, 0xFF61 - 0x21 + b);
                    else
                        AppendReplacementChar(out);
                } else if (In(b, 0x21, 0x7E)) {
                    lead = b;
                    state = TState::TrailByte;
                } else {
                    AppendReplacementChar(out);
                }
                break;
            case TState::TrailByte:
                // The end is read again in the lead-byte state, which ends.
                state = TState::LeadByte;
                if (end) {
                    AppendReplacementChar(out);
                    break;
                }
                ++i;
                if (b == 0x1B) {
                    state = TState::EscapeStart;
                    AppendReplacementChar(out);
                } else if (In(b, 0x21, 0x7E)) {
                    Put(out, Lookup(indexes::kJis0208, (lead - 0x21) * 94 + b - 0x21));
                } else {
                    AppendReplacementChar(out);
                }
                break;
            case TState::EscapeStart:
                if (!end && (b == 0x24 || b == 0x28)) {
                    lead = b;
                    state = TState::Escape;
                    ++i;
                    break;
                }
                // This byte is read again in the state before the escape.
                afterEscape = false;
                state = outputState;
                AppendReplacementChar(out);
                break;
            case TState::Escape: {
                const unsigned l = lead;
                lead = 0;
                bool known = true;
                TState next = TState::Ascii;
                if (!end && l == 0x28 && b == 0x42)
                    next = TState::Ascii;
                else if (!end && l == 0x28 && b == 0x4A)
                    next = TState::Roman;
                else if (!end && l == 0x28 && b == 0x49)
                    next = TState::Katakana;
                else if (!end && l == 0x24 && (b == 0x40 || b == 0x42))
                    next = TState::LeadByte;
                else
                    known = false;
                if (known) {
                    ++i;
                    state = outputState = next;
                    if (afterEscape)
                        AppendReplacementChar(out);
                    afterEscape = true;
                    break;
                }
                // Not an escape after all: the byte after ESC is read again
                // (and this one, when there is one).
                --i;
                afterEscape = false;
                state = outputState;
                AppendReplacementChar(out);
                break;
            }
        }
    }
}

}  // namespace zelvo::text
