// Any date-time, NaN and the infinities included: the text is always the
// fixed form "Www, DD Mmm YYYY HH:MM:SS".
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "http/UrlHelpers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    double value = 0;
    std::memcpy(&value, data, size < sizeof value ? size : sizeof value);
    const std::string text = zelvo::http::HttpDateText(value);
    if (text.size() != 25 || text[3] != ',' || text[16] != ' ' || text[19] != ':')
        std::abort();
    return 0;
}
