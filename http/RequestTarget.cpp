#include "http/RequestTarget.h"

#include "http/TextRules.h"
#include "http/UrlHelpers.h"

namespace zelvo::http {

bool IsSecureScheme(const std::string& scheme) {
    return AsciiLower(scheme) == "https";
}

std::string DefaultPort(const std::string& scheme) {
    return IsSecureScheme(scheme) ? "443" : "80";
}

TRequestTarget TargetFromURL(const std::string& url, const std::string& proxy,
                             const std::string& proxyPort) {
    TRequestTarget t;
    std::string scheme, host, port, path;
    SplitURL(url, scheme, t.User, t.Password, host, port, path);
    t.TargetHost = host;
    t.DocName = path;
    if (!proxy.empty()) {
        // User info never travels in the request line; the credentials go
        // as an Authorization header, and only to their own server.
        const std::string bare = StripUserInfo(url);
        t.Path = scheme.empty() ? "http://" + bare : bare;
        std::string proxyUser, proxyPassword;
        SplitURL(proxy, scheme, proxyUser, proxyPassword, host, port, path);
        if (port.empty())
            port = proxyPort;
    } else {
        t.Path = path;
        t.Secure = IsSecureScheme(scheme);
        if (port.empty())
            port = DefaultPort(scheme);
    }
    // Appended, not assigned: GCC 12 at -O3 flags the assignment of a
    // literal with a -Wrestrict false positive.
    if (t.Path.empty())
        t.Path.push_back('/');
    t.HostName = host;
    t.ConnectPort = port;
    return t;
}

void ApplyLocation(const std::string& value, bool viaProxy, TRequestTarget& t) {
    if (viaProxy) {
        if (StartsWith(value, "/")) {
            // The request line through a proxy carries a whole URL, so a
            // path alone replaces the path of the current one.
            std::string scheme, user, pass, host, port, path;
            SplitURL(t.Path, scheme, user, pass, host, port, path);
            t.Path = (scheme.empty() ? std::string("http") : scheme) + "://" + host +
                     (port.empty() ? "" : ":" + port) + value;
        } else {
            t.Path = StripUserInfo(value);
        }
        return;
    }
    if (StartsWith(value, "/")) {
        t.Path = value;
        return;
    }
    std::string scheme, user, pass, host, port, path;
    SplitURL(value, scheme, user, pass, host, port, path);
    t.Path = path.empty() ? "/" : path;
    t.HostName = host;
    if (!scheme.empty())
        t.Secure = IsSecureScheme(scheme);
    if (!port.empty())
        t.ConnectPort = port;
    else if (!scheme.empty())
        t.ConnectPort = DefaultPort(scheme);  // another server's default port, not the old one's
    t.TargetHost = t.HostName;
}

std::string DocNameFromPath(std::string name) {
    if (name.empty() || name == "/")
        return "document.htm";
    if (name.back() == '/')
        name.pop_back();
    name = Copy(name, LastPos("/", name) + 1, 255);
    std::size_t q = name.find('?');
    if (q != std::string::npos)
        name.resize(q);
    return name;
}

TTunnel TunnelFor(const std::string& proxiedPath) {
    TTunnel tunnel;
    std::string scheme, user, pass, host, port, path;
    SplitURL(proxiedPath, scheme, user, pass, host, port, path);
    if (!IsSecureScheme(scheme))
        return tunnel;
    tunnel.Needed = true;
    tunnel.Host = host;
    tunnel.Authority = host + ":" + (port.empty() ? DefaultPort(scheme) : port);
    tunnel.Path = path.empty() ? "/" : path;
    return tunnel;
}

namespace {

// "0080" and "80" are the same port.
std::string CanonicalPort(const std::string& port) {
    const std::size_t first = port.find_first_not_of('0');
    if (port.empty() || port.find_first_not_of("0123456789") != std::string::npos)
        return port;
    return first == std::string::npos ? "0" : port.substr(first);
}

}  // namespace

TOrigin DocumentOrigin(const TRequestTarget& t, bool viaProxy) {
    if (!viaProxy)
        return {t.Secure ? "https" : "http", AsciiLower(t.TargetHost),
                CanonicalPort(t.ConnectPort)};
    std::string scheme, user, pass, host, port, path;
    SplitURL(t.Path, scheme, user, pass, host, port, path);
    const std::string lowerScheme = IsSecureScheme(scheme) ? "https" : "http";
    return {lowerScheme, AsciiLower(host),
            CanonicalPort(port.empty() ? DefaultPort(scheme) : port)};
}

std::string DocumentURL(const TRequestTarget& t, bool viaProxy) {
    if (viaProxy)
        return StripUserInfo(t.Path);
    const std::string scheme = t.Secure ? "https" : "http";
    const bool defaultPort = CanonicalPort(t.ConnectPort) == DefaultPort(scheme);
    return scheme + "://" + t.TargetHost + (defaultPort ? "" : ":" + t.ConnectPort) + t.Path;
}

std::string StripUserInfo(const std::string& url) {
    std::size_t start = url.find("://");
    start = start == std::string::npos ? 0 : start + 3;
    const std::size_t slash = url.find('/', start);
    const std::size_t end = slash == std::string::npos ? url.size() : slash;
    const std::size_t at = url.rfind('@', end == 0 ? 0 : end - 1);
    if (at == std::string::npos || at < start || at >= end)
        return url;
    return url.substr(0, start) + url.substr(at + 1);
}

}  // namespace zelvo::http
