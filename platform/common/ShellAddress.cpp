#include "platform/Shell.h"

namespace zelvo::platform {

std::string EncodeAddress(std::string_view address) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(address.size());
    for (char c : address) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F) {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

bool IsOpenableAddress(std::string_view address) {
    for (std::string_view scheme : {"http://", "https://", "file://"}) {
        if (address.size() < scheme.size())
            continue;
        bool same = true;
        for (size_t i = 0; i < scheme.size() && same; ++i) {
            char c = address[i];
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
            same = c == scheme[i];
        }
        if (same)
            return true;
    }
    return false;
}

}  // namespace zelvo::platform
