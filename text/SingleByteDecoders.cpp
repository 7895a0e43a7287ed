// Encodings of one byte a character: the byte's code point comes from the
// encoding's table, and runs of ASCII are copied as they are.
#include <array>
#include <cstdint>
#include <cstring>

#include "text/Decoders.h"
#include "text/Utf8.h"

namespace zelvo::text {
namespace {

// The UTF-8 form of each byte from 0x80 up.
struct THighBytes {
    std::array<std::array<char, 4>, 128> utf8{};
    std::array<std::uint8_t, 128> length{};
};

THighBytes HighBytesOf(const std::uint16_t (&codePoints)[128]) {
    THighBytes high;
    std::string one;
    for (std::size_t b = 0; b < 128; ++b) {
        one.clear();
        const char32_t cp = codePoints[b];
        AppendCodePoint(one, cp == 0 ? kReplacementChar : cp);
        std::memcpy(high.utf8[b].data(), one.data(), one.size());
        high.length[b] = static_cast<std::uint8_t>(one.size());
    }
    return high;
}

void DecodeWithTable(const THighBytes& high, std::string_view bytes, std::string& out) {
    out.reserve(out.size() + bytes.size() + bytes.size() / 8 + 8);
    const char* p = bytes.data();
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        const std::size_t run = AsciiRunLength(bytes.substr(i));
        out.append(p + i, run);
        i += run;
        // Text in a non-Latin script is mostly high bytes: take them in a row.
        while (i < n && static_cast<unsigned char>(p[i]) >= 0x80) {
            const std::size_t b = static_cast<unsigned char>(p[i]) - 0x80;
            out.append(high.utf8[b].data(), high.length[b]);
            ++i;
        }
    }
}

}  // namespace

void DecodeSingleByte(TEncoding encoding, std::string_view bytes, std::string& out) {
    // Built once for all tables (17 KB), on first use.
    static const auto kHighBytes = [] {
        std::array<THighBytes, indexes::kSingleByteTableCount> all;
        for (std::size_t row = 0; row < all.size(); ++row)
            all[row] = HighBytesOf(indexes::kSingleByte[row]);
        return all;
    }();
    int row = indexes::kSingleByteRow[static_cast<std::size_t>(encoding)];
    if (row < 0)
        row = indexes::kSingleByteRow[static_cast<std::size_t>(TEncoding::Windows1252)];
    DecodeWithTable(kHighBytes[static_cast<std::size_t>(row)], bytes, out);
}

void DecodeUserDefined(std::string_view bytes, std::string& out) {
    // The high bytes keep their value in a private-use block, so nothing is
    // lost and nothing is taken for a real character.
    static const THighBytes kHigh = [] {
        std::uint16_t table[128];
        for (std::size_t b = 0; b < 128; ++b)
            table[b] = static_cast<std::uint16_t>(0xF780 + b);
        return HighBytesOf(table);
    }();
    DecodeWithTable(kHigh, bytes, out);
}

}  // namespace zelvo::text
