#pragma once
// Bytes of one encoding to UTF-8, each decoder taking the same steps on
// every platform. A byte that cannot be read becomes U+FFFD and never takes
// a good neighbour with it: an ASCII byte after a bad lead byte is read
// again as itself. What they append is always well-formed UTF-8.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "text/EncodingIndexes.h"

namespace zelvo::text {

// The encoding a byte-order mark at the start names, and the mark's length.
std::optional<TEncoding> EncodingOfByteOrderMark(std::string_view bytes,
                                                 std::size_t* markLength = nullptr);

// Appends bytes read as encoding to out. A byte-order mark is text here:
// callers that honour marks strip them first.
void DecodeBytes(TEncoding encoding, std::string_view bytes, std::string& out);

// The decoders DecodeBytes picks from.
void DecodeUtf8(std::string_view bytes, std::string& out);
void DecodeUtf16(std::string_view bytes, bool bigEndian, std::string& out);
void DecodeReplacement(std::string_view bytes, std::string& out);
void DecodeSingleByte(TEncoding encoding, std::string_view bytes, std::string& out);
void DecodeUserDefined(std::string_view bytes, std::string& out);
void DecodeGb18030(std::string_view bytes, std::string& out);
void DecodeBig5(std::string_view bytes, std::string& out);
void DecodeEucJp(std::string_view bytes, std::string& out);
void DecodeIso2022Jp(std::string_view bytes, std::string& out);
void DecodeShiftJis(std::string_view bytes, std::string& out);
void DecodeEucKr(std::string_view bytes, std::string& out);

// The length of the run of ASCII bytes at the start of bytes.
std::size_t AsciiRunLength(std::string_view bytes);

inline void AppendReplacementChar(std::string& out) {
    out += "\xEF\xBF\xBD";
}

}  // namespace zelvo::text
