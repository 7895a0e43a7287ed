#pragma once
// Where a request goes: worked out from the URL and the proxy settings, and
// moved by a Location header. Pure rules, no sockets.
#include <string>

namespace zelvo::http {

struct TRequestTarget {
    std::string Path;         // request target: the URL's path, or the whole URL through a proxy
    std::string HostName;     // host to look up and connect to (the proxy's, with one)
    std::string ConnectPort;  // port to connect to
    std::string TargetHost;   // the Host header: always the document's host
    std::string DocName;      // the document's path, named later by DocNameFromPath
    std::string User;         // credentials written in the URL, empty when none
    std::string Password;
    bool Secure = false;  // direct only: the connection itself carries TLS
};

// The target of url, directly when proxy is empty, else through the proxy
// (whose port, when it names none, is proxyPort).
TRequestTarget TargetFromURL(const std::string& url, const std::string& proxy,
                             const std::string& proxyPort);

// Moves the target to a Location value. Through a proxy only the path (a
// whole URL) changes; directly, an absolute value also changes the server
// and, by its scheme, the transport.
void ApplyLocation(const std::string& value, bool viaProxy, TRequestTarget& target);

// The document's file name from its path: "document.htm" for none or "/",
// otherwise the last part (one trailing "/" dropped), at most 255
// characters, cut at its first "?".
std::string DocNameFromPath(std::string path);

// True for "https" in any letter case.
bool IsSecureScheme(const std::string& scheme);

// The default port of a scheme: "443" for https, "80" otherwise.
std::string DefaultPort(const std::string& scheme);

// Through a proxy, what a whole-URL path asks for: an https document needs
// a tunnel to host:port, and inside it the request names only the path.
struct TTunnel {
    bool Needed = false;
    std::string Authority;  // host:port for the CONNECT line
    std::string Host;       // the name the certificate must carry
    std::string Path;       // the request target inside the tunnel
};
TTunnel TunnelFor(const std::string& proxiedPath);

// Where a document lives, as far as credentials are concerned: the scheme
// ("http" or "https"), the host in lower case and the port in decimal.
struct TOrigin {
    std::string Scheme;
    std::string Host;
    std::string Port;
    bool operator==(const TOrigin&) const = default;
};

// The origin of the document target asks for, directly or through a proxy.
TOrigin DocumentOrigin(const TRequestTarget& target, bool viaProxy);

// The address of the document target asks for, without user info.
std::string DocumentURL(const TRequestTarget& target, bool viaProxy);

// url without the user name and password written before its host.
std::string StripUserInfo(const std::string& url);

}  // namespace zelvo::http
