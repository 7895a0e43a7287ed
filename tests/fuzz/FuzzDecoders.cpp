// Any bytes, read in every encoding and as a page with any label: whatever
// comes out is well-formed UTF-8, and no decoder reads past its input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "text/Decoders.h"
#include "text/PageDecoding.h"
#include "text/Utf8.h"

namespace {

void Check(const std::string& text) {
    if (!zelvo::text::IsValidUtf8(text))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zelvo::text;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (std::size_t e = 0; e < kEncodingCount; ++e) {
        std::string out;
        DecodeBytes(static_cast<TEncoding>(e), bytes, out);
        Check(out);
    }
    // The first byte picks a label for the header, the rest is the page, so
    // the sniffing and the head's tokenizer see the same bytes.
    if (size > 0) {
        const std::string_view label = indexes::kLabels[data[0] % indexes::kLabelCount].label;
        Check(DecodePage(std::string(bytes.substr(1)), data[0] & 0x80 ? label : "").text);
    }
    std::string out;
    DecodeAs(bytes, "utf-16le", out);
    Check(out);
    return 0;
}
