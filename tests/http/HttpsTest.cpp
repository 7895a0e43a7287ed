// The HTTP client over TLS, against nginx and tinyproxy on loopback with
// certificates made for the test.
#include <algorithm>
#include <fstream>

#include "HttpCliFixture.h"
#include "support/NginxServer.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "support/TinyProxy.h"
#include "support/TlsCertificates.h"

namespace zelvo::http {
namespace {

using namespace testing_support;
using zelvo::testing::NginxServer;
using zelvo::testing::ScopedEnv;
using zelvo::testing::TempDir;
using zelvo::testing::TinyProxy;
using zelvo::testing::TlsCertificates;

class HttpsTest : public HttpCliTest {
protected:
    void SetUp() override {
        HttpCliTest::SetUp();
        ASSERT_TRUE(certs().Ok()) << "openssl could not make the test certificates";
        std::ofstream(root_ / "page.html") << kPage;
    }
    static const TlsCertificates& certs() { return TlsCertificates::Shared(); }
    NginxServer::Options With(const TlsCertificates::KeyPair& pair, std::string extra = "") {
        return {root_.Path(), pair, std::move(extra)};
    }
    static std::string Https(const NginxServer& n, const std::string& path) {
        return "https://127.0.0.1:" + std::to_string(n.HttpsPort()) + path;
    }

    static constexpr const char* kPage = "<html><body>secured news</body></html>\n";
    TempDir root_;
    ScopedEnv trust_{"SSL_CERT_FILE", certs().CaFile()};
    ScopedEnv noDir_{"SSL_CERT_DIR", root_.Path()};
};

TEST_F(HttpsTest, ADocumentComesOverTlsWithTheSameRequest) {
    NginxServer nginx(With(certs().Good()));
    ASSERT_TRUE(nginx.Running()) << nginx.Log();
    cli.SetURL(Https(nginx, "/page.html"));
    cli.Get();
    EXPECT_EQ(cli.StatusCode(), 200);
    EXPECT_EQ(Body(), kPage);
    EXPECT_EQ(commands, (std::vector<std::string>{"GET /page.html HTTP/1.0",
                                                  "User-Agent: Mozilla/2.0 (compatible)",
                                                  "Host: 127.0.0.1", ""}));
    EXPECT_EQ(cli.ConnectPort(), std::to_string(nginx.HttpsPort()));
}

TEST_F(HttpsTest, RelocationsSwitchBetweenPlainAndSecured) {
    NginxServer nginx(
        With(certs().Good(),
             "location = /old { return 301 https://127.0.0.1:$https_port/new; }"
             " location = /new { return 302 http://127.0.0.1:$http_port/page.html; }"));
    ASSERT_TRUE(nginx.Running()) << nginx.Log();
    cli.SetURL("http://127.0.0.1:" + std::to_string(nginx.HttpPort()) + "/old");
    cli.Get();
    EXPECT_EQ(cli.StatusCode(), 200);
    EXPECT_EQ(Body(), kPage);
    const auto& lines = cli.RcvdHeader();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.rfind("HTTP/1.1 ", 0) == 0; }),
              3);
}

TEST_F(HttpsTest, CertificateFaultsFailWithTheirReason) {
    struct Case {
        const TlsCertificates::KeyPair& pair;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {certs().SelfSigned(), "Certificate not trusted: self-signed certificate"},
        {certs().Expired(), "Certificate not trusted: certificate has expired"},
        {certs().WrongName(), "Certificate name mismatch"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.reason);
        NginxServer nginx(With(k.pair));
        ASSERT_TRUE(nginx.Running()) << nginx.Log();
        cli.SetURL(Https(nginx, "/page.html"));
        EHttpException e = GetCatching();
        EXPECT_EQ(e.ErrorCode, 404);
        EXPECT_EQ(std::string(e.what()), k.reason);
        EXPECT_EQ(cli.HttpState(), hsReady);
        EXPECT_EQ(Body(), "");
    }
}

TEST_F(HttpsTest, APlainServerAtAnHttpsAddressFailsTheHandshake) {
    LoopbackServer plain(
        [](LoopbackServer::Conn& c) { c.Write("HTTP/1.0 200 OK\r\n\r\nnot secured"); });
    cli.SetURL("https://127.0.0.1:" + plain.PortText() + "/");
    EHttpException e = GetCatching();
    EXPECT_EQ(e.ErrorCode, 404);
    EXPECT_EQ(std::string(e.what()).rfind("TLS handshake failed: ", 0), 0u) << e.what();
    EXPECT_EQ(Body(), "");

    // A server that never answers the handshake: setting up the connection
    // has its own time.
    LoopbackServer silent([](LoopbackServer::Conn& c) { c.WaitForPeerClose(); });
    cli.SetConnectTimeOut(200);
    cli.SetURL("https://127.0.0.1:" + silent.PortText() + "/");
    e = GetCatching();
    EXPECT_EQ(std::string(e.what()), "Connection timed out");
    EXPECT_EQ(cli.HttpState(), hsReady);
}

TEST_F(HttpsTest, ThroughAProxyHttpsTunnelsAndHttpKeepsTheWholeURL) {
    NginxServer nginx(With(certs().Good()));
    ASSERT_TRUE(nginx.Running()) << nginx.Log();
    TinyProxy proxy;
    ASSERT_TRUE(proxy.Running()) << proxy.Log();
    cli.SetProxy("127.0.0.1");
    cli.SetProxyPort(proxy.PortText());

    cli.SetURL(Https(nginx, "/page.html"));
    cli.Get();
    EXPECT_EQ(cli.StatusCode(), 200);
    EXPECT_EQ(Body(), kPage);
    EXPECT_EQ(commands.at(0),
              "CONNECT 127.0.0.1:" + std::to_string(nginx.HttpsPort()) + " HTTP/1.0");
    EXPECT_EQ(commands.at(1), "GET /page.html HTTP/1.0");

    commands.clear();
    doc.reset();
    cli.SetURL("http://127.0.0.1:" + std::to_string(nginx.HttpPort()) + "/page.html");
    cli.Get();
    EXPECT_EQ(Body(), kPage);
    EXPECT_EQ(commands.at(0),
              "GET http://127.0.0.1:" + std::to_string(nginx.HttpPort()) + "/page.html HTTP/1.0");
}

TEST_F(HttpsTest, AWrongNameThroughTheTunnelFailsToo) {
    NginxServer nginx(With(certs().WrongName()));
    ASSERT_TRUE(nginx.Running()) << nginx.Log();
    TinyProxy proxy;
    ASSERT_TRUE(proxy.Running()) << proxy.Log();
    cli.SetProxy("127.0.0.1:" + proxy.PortText());
    cli.SetURL(Https(nginx, "/page.html"));
    EHttpException e = GetCatching();
    EXPECT_EQ(std::string(e.what()), "Certificate name mismatch");
    EXPECT_EQ(cli.HttpState(), hsReady);
}

}  // namespace
}  // namespace zelvo::http
