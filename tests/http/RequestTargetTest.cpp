// Where a request goes, from its URL, the proxy settings and Location
// headers.
#include <gtest/gtest.h>

#include "http/RequestTarget.h"

namespace zelvo::http {
namespace {

TEST(RequestTargetTest, DirectTargetsByScheme) {
    TRequestTarget t = TargetFromURL("http://news.example/a/b.cgi?x=1", "", "80");
    EXPECT_EQ(t.Path, "/a/b.cgi?x=1");
    EXPECT_EQ(t.HostName, "news.example");
    EXPECT_EQ(t.TargetHost, "news.example");
    EXPECT_EQ(t.ConnectPort, "80");
    EXPECT_FALSE(t.Secure);

    t = TargetFromURL("HTTPS://secure.example", "", "80");
    EXPECT_EQ(t.Path, "/");
    EXPECT_EQ(t.ConnectPort, "443");
    EXPECT_TRUE(t.Secure);

    t = TargetFromURL("https://u:p@secure.example:8443/x", "", "80");
    EXPECT_EQ(t.ConnectPort, "8443");
    EXPECT_EQ(t.User, "u");
    EXPECT_EQ(t.Password, "p");
    EXPECT_EQ(t.TargetHost, "secure.example");
}

TEST(RequestTargetTest, ThroughAProxyTheWholeURLIsTheTarget) {
    TRequestTarget t = TargetFromURL("news.example/page", "proxy.example", "3128");
    EXPECT_EQ(t.Path, "http://news.example/page");
    EXPECT_EQ(t.TargetHost, "news.example");
    EXPECT_EQ(t.HostName, "proxy.example");
    EXPECT_EQ(t.ConnectPort, "3128");
    EXPECT_FALSE(t.Secure);

    t = TargetFromURL("https://news.example/page", "proxy.example:8080", "3128");
    EXPECT_EQ(t.Path, "https://news.example/page");
    EXPECT_EQ(t.ConnectPort, "8080");
    EXPECT_FALSE(t.Secure);  // the tunnel, not the proxy connection, carries TLS
}

TEST(RequestTargetTest, LocationMovesServerAndTransport) {
    TRequestTarget t = TargetFromURL("http://a.example:81/x", "", "80");
    ApplyLocation("/y", false, t);
    EXPECT_EQ(t.Path, "/y");
    EXPECT_EQ(t.ConnectPort, "81");

    ApplyLocation("https://b.example/z", false, t);
    EXPECT_EQ(t.HostName, "b.example");
    EXPECT_EQ(t.TargetHost, "b.example");
    EXPECT_EQ(t.ConnectPort, "443");
    EXPECT_TRUE(t.Secure);

    ApplyLocation("http://c.example", false, t);
    EXPECT_EQ(t.Path, "/");
    EXPECT_EQ(t.ConnectPort, "80");
    EXPECT_FALSE(t.Secure);
}

TEST(RequestTargetTest, RelativeLocationsResolveAgainstTheCurrentDocument) {
    TRequestTarget t = TargetFromURL("http://a.example:81/news/today.htm", "", "80");
    ApplyLocation("page2.htm", false, t);
    EXPECT_EQ(t.Path, "/news/page2.htm");
    EXPECT_EQ(t.HostName, "a.example");
    EXPECT_EQ(t.ConnectPort, "81");

    ApplyLocation("../up?x=1", false, t);
    EXPECT_EQ(t.Path, "/up?x=1");

    ApplyLocation("//b.example/mirror", false, t);
    EXPECT_EQ(t.HostName, "b.example");
    EXPECT_EQ(t.Path, "/mirror");
    EXPECT_EQ(t.ConnectPort, "80");

    TRequestTarget p = TargetFromURL("http://a.example/dir/x", "proxy", "3128");
    ApplyLocation("y", true, p);
    EXPECT_EQ(p.Path, "http://a.example/dir/y");
    EXPECT_EQ(p.HostName, "proxy");
}

TEST(RequestTargetTest, LocationThroughAProxyKeepsAWholeURL) {
    TRequestTarget t = TargetFromURL("http://a.example:81/x", "proxy", "3128");
    ApplyLocation("/y", true, t);
    EXPECT_EQ(t.Path, "http://a.example:81/y");
    EXPECT_EQ(t.HostName, "proxy");
    ApplyLocation("https://b.example/z", true, t);
    EXPECT_EQ(t.Path, "https://b.example/z");
    EXPECT_EQ(t.HostName, "proxy");
    EXPECT_EQ(t.TargetHost, "a.example");
}

TEST(RequestTargetTest, TheDocumentAddressFollowsRelocations) {
    TRequestTarget t = TargetFromURL("http://user:pw@news.example:8080/a/b.htm?x=1", "", "80");
    EXPECT_EQ(DocumentURL(t, false), "http://news.example:8080/a/b.htm?x=1");
    ApplyLocation("/c/d.htm", false, t);
    EXPECT_EQ(DocumentURL(t, false), "http://news.example:8080/c/d.htm");
    ApplyLocation("https://secure.example/e", false, t);
    EXPECT_EQ(DocumentURL(t, false), "https://secure.example/e");
    ApplyLocation("http://other.example:443/f", false, t);
    EXPECT_EQ(DocumentURL(t, false), "http://other.example:443/f");

    TRequestTarget proxied = TargetFromURL("news.example/a", "proxy.example", "3128");
    EXPECT_EQ(DocumentURL(proxied, true), "http://news.example/a");
    ApplyLocation("/moved", true, proxied);
    EXPECT_EQ(DocumentURL(proxied, true), "http://news.example/moved");
}

TEST(RequestTargetTest, DocNames) {
    EXPECT_EQ(DocNameFromPath(""), "document.htm");
    EXPECT_EQ(DocNameFromPath("/"), "document.htm");
    EXPECT_EQ(DocNameFromPath("/dir/"), "dir");
    EXPECT_EQ(DocNameFromPath("/a/b.cgi?x=1"), "b.cgi");
    EXPECT_EQ(DocNameFromPath("/" + std::string(300, 'n')), std::string(255, 'n'));
}

TEST(RequestTargetTest, TunnelOnlyForHttpsDocuments) {
    EXPECT_FALSE(TunnelFor("http://a.example/x").Needed);
    TTunnel t = TunnelFor("https://a.example/x?q");
    EXPECT_TRUE(t.Needed);
    EXPECT_EQ(t.Authority, "a.example:443");
    EXPECT_EQ(t.Host, "a.example");
    EXPECT_EQ(t.Path, "/x?q");
    t = TunnelFor("https://a.example:8443");
    EXPECT_EQ(t.Authority, "a.example:8443");
    EXPECT_EQ(t.Path, "/");
}

// User info in the URL travels only as an Authorization header; HTTP does
// not allow it in a request line.
TEST(RequestTargetTest, UserInfoNeverReachesAProxiedRequestLine) {
    TRequestTarget t = TargetFromURL("http://alice:pw@news.example/a@b", "proxy.example", "3128");
    EXPECT_EQ(t.Path, "http://news.example/a@b");
    EXPECT_EQ(t.User, "alice");
    EXPECT_EQ(t.Password, "pw");
    t = TargetFromURL("alice:p@ss:w@news.example:81/", "proxy.example", "3128");
    EXPECT_EQ(t.Path, "http://news.example:81/");
    ApplyLocation("https://bob:pw@other.example/x", true, t);
    EXPECT_EQ(t.Path, "https://other.example/x");

    EXPECT_EQ(StripUserInfo("http://u@h/p"), "http://h/p");
    EXPECT_EQ(StripUserInfo("http://h/p?to=u@h"), "http://h/p?to=u@h");
    EXPECT_EQ(StripUserInfo("u:p@h"), "h");
    EXPECT_EQ(StripUserInfo(""), "");
    EXPECT_EQ(StripUserInfo("/a@b"), "/a@b");
}

TEST(RequestTargetTest, OriginsCompareSchemeLowerCasedHostAndEffectivePort) {
    const auto direct = [](const std::string& url) {
        return DocumentOrigin(TargetFromURL(url, "", "80"), false);
    };
    const auto proxied = [](const std::string& url) {
        return DocumentOrigin(TargetFromURL(url, "proxy.example", "3128"), true);
    };
    EXPECT_EQ(direct("http://News.Example/a"), (TOrigin{"http", "news.example", "80"}));
    EXPECT_EQ(direct("news.example:0080"), direct("HTTP://news.example/"));
    EXPECT_EQ(direct("https://news.example/"), (TOrigin{"https", "news.example", "443"}));
    EXPECT_NE(direct("https://news.example:80/"), direct("http://news.example/"));
    EXPECT_EQ(proxied("http://u:p@News.Example/a"), direct("http://news.example/b"));
    EXPECT_EQ(proxied("https://news.example:8443/"), (TOrigin{"https", "news.example", "8443"}));

    TRequestTarget t = TargetFromURL("https://a.example:8443/x", "", "80");
    EXPECT_EQ(DocumentURL(t, false), "https://a.example:8443/x");
    ApplyLocation("http://b.example/y", false, t);
    EXPECT_EQ(DocumentURL(t, false), "http://b.example/y");
    t = TargetFromURL("http://u:p@a.example/x", "proxy.example", "3128");
    EXPECT_EQ(DocumentURL(t, true), "http://a.example/x");
}

}  // namespace
}  // namespace zelvo::http
