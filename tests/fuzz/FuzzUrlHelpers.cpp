// Any text as a URL, a proxy setting and a Location value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "http/RequestTarget.h"
#include "http/UrlHelpers.h"

using namespace zelvo::http;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    // The input holds up to three texts, apart at line feeds.
    std::size_t a = input.find('\n');
    std::size_t b = a == std::string::npos ? a : input.find('\n', a + 1);
    const std::string url = input.substr(0, a);
    const std::string location = a == std::string::npos ? "" : input.substr(a + 1, b - a - 1);
    const std::string proxy = b == std::string::npos ? "" : input.substr(b + 1);

    std::string scheme, user, password, host, port, path;
    SplitURL(url, scheme, user, password, host, port, path);
    if (scheme.size() + user.size() + password.size() + host.size() + port.size() + path.size() >
        url.size())
        std::abort();
    if (!path.empty() && path[0] != '/')
        std::abort();

    TRequestTarget t = TargetFromURL(url, proxy, "80");
    if (t.Path.empty())
        std::abort();
    ApplyLocation(location, !proxy.empty(), t);
    TTunnel tunnel = TunnelFor(t.Path);
    if (tunnel.Needed && tunnel.Path.empty())
        std::abort();
    if (DocNameFromPath(path).size() > 255 && path.size() <= 255)
        std::abort();

    std::string name = url;
    ReplaceExt(name, "htm");
    (void)ExtractFileExt(name);
    (void)LastPos(location, url);
    if (EncodeBase64(url).size() != (url.size() + 2) / 3 * 4)
        std::abort();
    return 0;
}
