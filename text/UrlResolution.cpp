#include "text/UrlResolution.h"

#include <cstddef>
#include <optional>

namespace zelvo::text {
namespace {

struct UrlParts {
    std::optional<std::string> scheme;
    std::optional<std::string> authority;
    std::string path;
    std::optional<std::string> query;
    std::optional<std::string> fragment;
};

bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerCase(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = Lower(c);
    return out;
}

bool IsWebScheme(std::string_view lowerScheme) {
    return lowerScheme == "http" || lowerScheme == "https";
}

// Pages are written by hand: links arrive wrapped over lines and padded with
// blanks, and browsers forgive that, so the ticker does too.
std::string Clean(std::string_view text) {
    auto isPad = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    while (!text.empty() && isPad(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isPad(text.back()))
        text.remove_suffix(1);
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\t' && c != '\n' && c != '\r')
            out += c;
    return out;
}

// The scheme of text, when it starts with one (a letter, then letters, digits,
// "+", "-" or ".", then ":").
std::optional<std::string> SchemeOf(std::string_view text) {
    if (text.empty() || !IsAlpha(text[0]))
        return std::nullopt;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ':')
            return std::string(text.substr(0, i));
        if (!IsAlpha(c) && !IsDigit(c) && c != '+' && c != '-' && c != '.')
            return std::nullopt;
    }
    return std::nullopt;
}

void SlashesForBackslashes(std::string& text) {
    const std::size_t end = text.find_first_of("?#");
    for (std::size_t i = 0; i < text.size() && i < end; ++i)
        if (text[i] == '\\')
            text[i] = '/';
}

UrlParts Split(std::string_view text) {
    UrlParts parts;
    if (auto scheme = SchemeOf(text)) {
        text.remove_prefix(scheme->size() + 1);
        parts.scheme = std::move(scheme);
    }
    if (const std::size_t hash = text.find('#'); hash != std::string_view::npos) {
        parts.fragment = std::string(text.substr(hash + 1));
        text = text.substr(0, hash);
    }
    if (const std::size_t question = text.find('?'); question != std::string_view::npos) {
        parts.query = std::string(text.substr(question + 1));
        text = text.substr(0, question);
    }
    if (text.substr(0, 2) == "//") {
        text.remove_prefix(2);
        const std::size_t slash = text.find('/');
        parts.authority = std::string(text.substr(0, slash));
        text = slash == std::string_view::npos ? std::string_view() : text.substr(slash);
    }
    parts.path = std::string(text);
    return parts;
}

// Removes "." and ".." segments so that a link cannot climb above the root.
std::string RemoveDotSegments(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    auto dropLastSegment = [&out] {
        const std::size_t slash = out.rfind('/');
        out.erase(slash == std::string::npos ? 0 : slash);
    };
    while (!in.empty()) {
        if (in.starts_with("../")) {
            in.remove_prefix(3);
        } else if (in.starts_with("./")) {
            in.remove_prefix(2);
        } else if (in.starts_with("/./")) {
            in.remove_prefix(2);
        } else if (in == "/.") {
            in = "/";
        } else if (in.starts_with("/../")) {
            in.remove_prefix(3);
            dropLastSegment();
        } else if (in == "/..") {
            in = "/";
            dropLastSegment();
        } else if (in == "." || in == "..") {
            in = {};
        } else {
            const std::size_t next = in.find('/', in.front() == '/' ? 1 : 0);
            const std::size_t len = next == std::string_view::npos ? in.size() : next;
            out.append(in.substr(0, len));
            in.remove_prefix(len);
        }
    }
    return out;
}

std::string Merge(const UrlParts& base, std::string_view refPath) {
    if (base.authority && base.path.empty()) {
        // Built by appending: GCC 12 at -O3 flags "/" + string with a
        // -Wrestrict false positive.
        std::string merged(1, '/');
        merged.append(refPath);
        return merged;
    }
    const std::size_t slash = base.path.rfind('/');
    if (slash == std::string::npos)
        return std::string(refPath);
    return base.path.substr(0, slash + 1) + std::string(refPath);
}

std::string Join(const UrlParts& parts) {
    std::string out;
    if (parts.scheme)
        out += *parts.scheme + ":";
    if (parts.authority)
        out += "//" + *parts.authority;
    out += parts.path;
    if (parts.query)
        out += "?" + *parts.query;
    if (parts.fragment)
        out += "#" + *parts.fragment;
    return out;
}

}  // namespace

std::string ResolveUrl(std::string_view baseText, std::string_view referenceText) {
    std::string baseClean = Clean(baseText);
    std::string refClean = Clean(referenceText);

    const auto baseSchemeRaw = SchemeOf(baseClean);
    const std::string baseScheme = baseSchemeRaw ? LowerCase(*baseSchemeRaw) : std::string();
    const auto refSchemeRaw = SchemeOf(refClean);
    const std::string refScheme = refSchemeRaw ? LowerCase(*refSchemeRaw) : baseScheme;

    if (IsWebScheme(baseScheme))
        SlashesForBackslashes(baseClean);
    if (IsWebScheme(refScheme))
        SlashesForBackslashes(refClean);

    UrlParts base = Split(baseClean);
    UrlParts ref = Split(refClean);
    if (base.scheme)
        base.scheme = LowerCase(*base.scheme);
    if (ref.scheme)
        ref.scheme = LowerCase(*ref.scheme);

    // "http:page.htm" on an http page is a relative link to browsers; only a
    // different scheme, or an authority, makes it absolute.
    if (ref.scheme && base.scheme && *ref.scheme == *base.scheme && IsWebScheme(*ref.scheme) &&
        !ref.authority)
        ref.scheme.reset();

    if (ref.scheme) {
        ref.path = RemoveDotSegments(ref.path);
        return Join(ref);
    }
    if (!base.scheme)
        return {};

    UrlParts target;
    target.scheme = base.scheme;
    target.fragment = ref.fragment;
    if (ref.authority) {
        target.authority = ref.authority;
        target.path = RemoveDotSegments(ref.path);
        target.query = ref.query;
        return Join(target);
    }
    target.authority = base.authority;
    if (ref.path.empty()) {
        target.path = base.path;
        target.query = ref.query ? ref.query : base.query;
    } else {
        const std::string merged = ref.path.front() == '/' ? ref.path : Merge(base, ref.path);
        target.path = RemoveDotSegments(merged);
        target.query = ref.query;
    }
    return Join(target);
}

bool IsOpenableLink(std::string_view url) {
    for (char c : url)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    const auto scheme = SchemeOf(url);
    if (!scheme || !IsWebScheme(LowerCase(*scheme)))
        return false;
    std::string_view rest = url.substr(scheme->size() + 1);
    if (!rest.starts_with("//"))
        return false;
    rest.remove_prefix(2);
    std::string_view authority = rest.substr(0, rest.find_first_of("/?#"));
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);
    std::string_view host;
    std::string_view port;
    if (authority.starts_with("[")) {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return false;
        host = authority.substr(1, close - 1);
        const std::string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':')
                return false;
            port = after.substr(1);
        }
    } else {
        const std::size_t colon = authority.find(':');
        host = authority.substr(0, colon);
        if (colon != std::string_view::npos)
            port = authority.substr(colon + 1);
    }
    if (host.empty())
        return false;
    for (char c : port)
        if (!IsDigit(c))
            return false;
    for (char c : host)
        if (c == ' ' || c == '\\')
            return false;
    return true;
}

}  // namespace zelvo::text
