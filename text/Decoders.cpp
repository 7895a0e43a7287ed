#include "text/Decoders.h"

#include <cstdint>
#include <cstring>

#include "text/Utf8.h"

namespace zelvo::text {
namespace {

bool IsSingleByte(TEncoding encoding) {
    return indexes::kSingleByteRow[static_cast<std::size_t>(encoding)] >= 0;
}

}  // namespace

std::optional<TEncoding> EncodingOfByteOrderMark(std::string_view bytes, std::size_t* markLength) {
    std::size_t length = 0;
    std::optional<TEncoding> encoding;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        encoding = TEncoding::Utf8;
        length = 3;
    } else if (bytes.substr(0, 2) == "\xFE\xFF") {
        encoding = TEncoding::Utf16be;
        length = 2;
    } else if (bytes.substr(0, 2) == "\xFF\xFE") {
        encoding = TEncoding::Utf16le;
        length = 2;
    }
    if (markLength)
        *markLength = length;
    return encoding;
}

std::size_t AsciiRunLength(std::string_view bytes) {
    const char* p = bytes.data();
    const std::size_t n = bytes.size();
    std::size_t j = 0;
    while (j + 8 <= n) {
        std::uint64_t w;
        std::memcpy(&w, p + j, 8);
        if (w & 0x8080808080808080ull)
            break;
        j += 8;
    }
    while (j < n && static_cast<unsigned char>(p[j]) < 0x80)
        ++j;
    return j;
}

void DecodeBytes(TEncoding encoding, std::string_view bytes, std::string& out) {
    switch (encoding) {
        case TEncoding::Utf8:
            return DecodeUtf8(bytes, out);
        case TEncoding::Utf16be:
            return DecodeUtf16(bytes, true, out);
        case TEncoding::Utf16le:
            return DecodeUtf16(bytes, false, out);
        case TEncoding::Replacement:
            return DecodeReplacement(bytes, out);
        case TEncoding::XUserDefined:
            return DecodeUserDefined(bytes, out);
        case TEncoding::Gbk:
        case TEncoding::Gb18030:
            return DecodeGb18030(bytes, out);
        case TEncoding::Big5:
            return DecodeBig5(bytes, out);
        case TEncoding::EucJp:
            return DecodeEucJp(bytes, out);
        case TEncoding::Iso2022Jp:
            return DecodeIso2022Jp(bytes, out);
        case TEncoding::ShiftJis:
            return DecodeShiftJis(bytes, out);
        case TEncoding::EucKr:
            return DecodeEucKr(bytes, out);
        default:
            if (IsSingleByte(encoding))
                return DecodeSingleByte(encoding, bytes, out);
            // Every encoding has a case above; an unknown value reads as
            // windows-1252 rather than losing the page.
            return DecodeSingleByte(TEncoding::Windows1252, bytes, out);
    }
}

void DecodeUtf8(std::string_view bytes, std::string& out) {
    if (IsValidUtf8(bytes)) {
        out.append(bytes);
        return;
    }
    out.reserve(out.size() + bytes.size() + 8);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    std::size_t plain = 0;  // start of the well-formed run not yet copied
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        // The longest well-formed start of a sequence is one error; the byte
        // that breaks it starts what follows.
        std::size_t good = 0;
        const std::size_t len = Utf8SequenceLength(p, i, n, good);
        if (len > 0) {
            i += len;
            continue;
        }
        out.append(bytes.data() + plain, i - plain);
        AppendReplacementChar(out);
        i += good;
        plain = i;
    }
    out.append(bytes.data() + plain, n - plain);
}

void DecodeUtf16(std::string_view bytes, bool bigEndian, std::string& out) {
    out.reserve(out.size() + bytes.size() + bytes.size() / 2);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    auto unit = [&](std::size_t i) -> char32_t {
        return bigEndian ? static_cast<char32_t>(p[i] << 8 | p[i + 1])
                         : static_cast<char32_t>(p[i + 1] << 8 | p[i]);
    };
    char32_t leadSurrogate = 0;
    std::size_t i = 0;
    while (i + 2 <= n) {
        const char32_t u = unit(i);
        if (leadSurrogate != 0) {
            const char32_t lead = leadSurrogate;
            leadSurrogate = 0;
            if (u >= 0xDC00 && u <= 0xDFFF) {
                AppendCodePoint(out, 0x10000 + ((lead - 0xD800) << 10) + (u - 0xDC00));
                i += 2;
                continue;
            }
            // The unit that did not complete the pair is read on its own.
            AppendReplacementChar(out);
            continue;
        }
        i += 2;
        if (u >= 0xD800 && u <= 0xDBFF)
            leadSurrogate = u;
        else if (u >= 0xDC00 && u <= 0xDFFF)
            AppendReplacementChar(out);
        else
            AppendCodePoint(out, u);
    }
    // A pair or a unit cut off by the end is one error, not two.
    if (leadSurrogate != 0 || i < n)
        AppendReplacementChar(out);
}

void DecodeReplacement(std::string_view bytes, std::string& out) {
    // Encodings that could smuggle markup past a filter read as one error.
    if (!bytes.empty())
        AppendReplacementChar(out);
}

}  // namespace zelvo::text
