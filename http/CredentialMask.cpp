#include "http/CredentialMask.h"

#include "http/TextRules.h"

namespace zelvo::http {
namespace {

bool IsAuthorizationHeader(std::string_view line, std::size_t& valueStart) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return false;
    const std::string name = AsciiLower(std::string(line.substr(0, colon)));
    if (name != "authorization" && name != "proxy-authorization")
        return false;
    valueStart = colon + 1;
    return true;
}

std::string MaskHeaderValue(std::string_view value) {
    std::size_t lead = value.find_first_not_of(' ');
    if (lead == std::string_view::npos)
        return std::string(value);
    const std::size_t space = value.find(' ', lead);
    if (space == std::string_view::npos)
        return std::string(value.substr(0, lead)) + kCredentialMask;
    return std::string(value.substr(0, space + 1)) + kCredentialMask;
}

bool EndsAuthority(char c) {
    return c == '/' || c == '?' || c == '#' || c == '\\' || c == '"' || c == '\'' || c == '<' ||
           c == '>' || static_cast<unsigned char>(c) <= 0x20;
}

// Masks the password of every "scheme://user:password@" in text.
std::string MaskUrlPasswords(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t done = 0;
    std::size_t mark;
    while ((mark = text.find("://", done)) != std::string_view::npos) {
        const std::size_t start = mark + 3;
        std::size_t end = start;
        while (end < text.size() && !EndsAuthority(text[end]))
            ++end;
        const std::string_view authority = text.substr(start, end - start);
        const std::size_t at = authority.rfind('@');
        const std::size_t colon = at == std::string_view::npos ? at : authority.find(':');
        out.append(text.substr(done, start - done));
        if (colon != std::string_view::npos && colon < at) {
            out.append(authority.substr(0, colon + 1));
            out.append(kCredentialMask);
            out.append(authority.substr(at));
        } else {
            out.append(authority);
        }
        done = end;
    }
    out.append(text.substr(done));
    return out;
}

}  // namespace

std::string MaskCredentials(std::string_view line) {
    std::size_t valueStart = 0;
    if (IsAuthorizationHeader(line, valueStart))
        return std::string(line.substr(0, valueStart)) + MaskHeaderValue(line.substr(valueStart));
    return MaskUrlPasswords(line);
}

}  // namespace zelvo::http
