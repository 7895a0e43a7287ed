// The dotted text of addresses, the same on every system.
#include <bit>

#include "platform/WinSock.h"

namespace zelvo::platform {
namespace {

// Either way round: the swap is its own inverse.
constexpr std::uint32_t ToNetworkOrder(std::uint32_t v) {
    if constexpr (std::endian::native == std::endian::little)
        return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
    else
        return v;
}

}  // namespace

std::uint32_t inet_addr(const std::string& text) {
    // Up to four parts, each decimal, octal (leading 0) or hexadecimal (0x);
    // the last part fills the remaining bytes.
    std::uint32_t parts[4];
    int count = 0;
    std::size_t i = 0;
    const std::size_t n = text.size();
    if (n == 0)
        return WS_INADDR_NONE;
    while (true) {
        if (count == 4 || i >= n)
            return WS_INADDR_NONE;
        unsigned base = 10;
        if (text[i] == '0') {
            base = 8;
            if (i + 1 < n && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
                base = 16;
                i += 2;
            }
        }
        std::uint64_t value = 0;
        std::size_t digits = 0;
        while (i < n) {
            char c = text[i];
            unsigned d;
            if (c >= '0' && c <= '9')
                d = static_cast<unsigned>(c - '0');
            else if (base == 16 && c >= 'a' && c <= 'f')
                d = static_cast<unsigned>(c - 'a' + 10);
            else if (base == 16 && c >= 'A' && c <= 'F')
                d = static_cast<unsigned>(c - 'A' + 10);
            else
                break;
            if (d >= base)
                return WS_INADDR_NONE;
            value = value * base + d;
            if (value > 0xFFFFFFFFu)
                return WS_INADDR_NONE;
            ++digits;
            ++i;
        }
        if (digits == 0 && base != 8)
            return WS_INADDR_NONE;
        parts[count++] = static_cast<std::uint32_t>(value);
        if (i == n)
            break;
        if (text[i] != '.')
            return WS_INADDR_NONE;
        ++i;
    }
    std::uint32_t host;
    switch (count) {
        case 1:
            host = parts[0];
            break;
        case 2:
            if (parts[0] > 0xFF || parts[1] > 0xFFFFFF)
                return WS_INADDR_NONE;
            host = (parts[0] << 24) | parts[1];
            break;
        case 3:
            if (parts[0] > 0xFF || parts[1] > 0xFF || parts[2] > 0xFFFF)
                return WS_INADDR_NONE;
            host = (parts[0] << 24) | (parts[1] << 16) | parts[2];
            break;
        default:
            for (int k = 0; k < 4; ++k)
                if (parts[k] > 0xFF)
                    return WS_INADDR_NONE;
            host = (parts[0] << 24) | (parts[1] << 16) | (parts[2] << 8) | parts[3];
            break;
    }
    return ToNetworkOrder(host);
}

std::string inet_ntoa(IN_ADDR in) {
    std::uint32_t host = ToNetworkOrder(in.S_addr);
    return std::to_string(host >> 24) + "." + std::to_string((host >> 16) & 0xFF) + "." +
           std::to_string((host >> 8) & 0xFF) + "." + std::to_string(host & 0xFF);
}

}  // namespace zelvo::platform
