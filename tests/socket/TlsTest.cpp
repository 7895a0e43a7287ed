// TLS beneath the socket, against nginx on loopback with certificates made
// for the run, and against small servers of the tests' own.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/MessageLoop.h"
#include "socket/WSocket.h"
#include "support/LoopbackServer.h"
#include "support/NginxServer.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "support/TinyProxy.h"
#include "support/TlsCertificates.h"
#include "support/WaitFor.h"

namespace zelvo::socket {
namespace {

using testing::LoopbackServer;
using testing::NginxServer;
using testing::ScopedEnv;
using testing::TempDir;
using testing::TlsCertificates;
using ::zelvo::testing::WaitFor;

// One client socket that logs its events and collects what it reads.
struct Client {
    Client() {
        s.OnChangeState = [this](TCustomWSocket*, TSocketState o, TSocketState n) {
            log.push_back("state " + std::to_string(o) + ">" + std::to_string(n));
        };
        s.OnSessionConnected = [this](TCustomWSocket*, TCustomWSocket::Word e) {
            log.push_back("connected " + std::to_string(e));
            connected = e == 0;
            failure = s.SslFailure();
            if (e == 0 && !request.empty())
                s.SendStr(request);
        };
        s.OnSessionClosed = [this](TCustomWSocket*, TCustomWSocket::Word e) {
            log.push_back("closed " + std::to_string(e));
            closed = true;
        };
        s.OnDataAvailable = [this](TCustomWSocket* sender, TCustomWSocket::Word) {
            char buf[8192];
            int n = sender->Receive(buf, sizeof buf);
            if (n > 0)
                received.append(buf, static_cast<std::size_t>(n));
        };
    }

    void Connect(std::uint16_t port, const std::string& name) {
        s.SetAddr("127.0.0.1");
        s.SetPort(std::to_string(port));
        s.SetProto("tcp");
        s.SetSslEnable(true);
        s.SetSslServerName(name);
        s.Connect();
    }

    bool Has(const std::string& line) const {
        for (const auto& l : log)
            if (l == line)
                return true;
        return false;
    }

    TWSocket s;
    std::vector<std::string> log;
    std::string request;
    std::string received;
    std::string failure;
    bool connected = false;
    bool closed = false;
};

// nginx serving one document over https with the given certificate.
class TlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(certs().Ok()) << "openssl could not make the test certificates";
        std::ofstream(root_ / "doc.txt") << Body();
    }

    static const TlsCertificates& certs() { return TlsCertificates::Shared(); }

    static std::string Body() {
        std::string body;
        for (int i = 0; body.size() < 100000; ++i)
            body += "line " + std::to_string(i) + " of the document\n";
        return body;
    }

    NginxServer::Options With(const TlsCertificates::KeyPair& pair) {
        return {root_.Path(), pair, ""};
    }

    TempDir root_;
    ScopedEnv trust_{"SSL_CERT_FILE", certs().CaFile()};
    ScopedEnv noDir_{"SSL_CERT_DIR", root_.Path()};
};

TEST_F(TlsTest, GoodCertificateCarriesDataBothWaysAndEndsAtTheServersClose) {
    NginxServer nginx(With(certs().Good()));
    ASSERT_TRUE(nginx.Running()) << nginx.Log();
    for (const std::string name : {"localhost", "127.0.0.1"}) {
        SCOPED_TRACE(name);
        Client c;
        c.request = "GET /doc.txt HTTP/1.0\r\nHost: " + name + "\r\n\r\n";
        c.Connect(nginx.HttpsPort(), name);
        EXPECT_EQ(c.s.State(), wsConnecting);
        ASSERT_TRUE(WaitFor([&] { return c.closed; })) << c.failure;
        // The session starts only once secured; nginx's close after the
        // document is the session's end.
        EXPECT_EQ(c.log, (std::vector<std::string>{"state 7>1", "state 1>3", "state 3>4",
                                                   "connected 0", "closed 0", "state 4>7"}));
        EXPECT_EQ(c.failure, "");
        ASSERT_NE(c.received.find("\r\n\r\n"), std::string::npos);
        EXPECT_EQ(c.received.substr(0, 15), "HTTP/1.1 200 OK");
        EXPECT_EQ(c.received.substr(c.received.find("\r\n\r\n") + 4), Body());
    }
}

TEST_F(TlsTest, DataBufferedInsideTheSessionIsStillAnnounced) {
    // Reads of a few bytes leave most of each record inside the session, where
    // the descriptor no longer shows it; every byte must still arrive.
    NginxServer nginx(With(certs().Good()));
    ASSERT_TRUE(nginx.Running()) << nginx.Log();
    Client c;
    c.request = "GET /doc.txt HTTP/1.0\r\n\r\n";
    int calls = 0;
    c.s.OnDataAvailable = [&](TCustomWSocket* sender, TCustomWSocket::Word) {
        ++calls;
        char b[7];
        int n = sender->Receive(b, sizeof b);
        if (n > 0)
            c.received.append(b, static_cast<std::size_t>(n));
        // Only one of every 64 calls lets the loop go on, so most bytes wait
        // for a fresh notification.
        if (calls % 64 != 0)
            throw std::runtime_error("stop this run");
    };
    c.Connect(nginx.HttpsPort(), "localhost");
    ASSERT_TRUE(WaitFor([&] { return c.closed; }, 60000)) << c.failure;
    ASSERT_NE(c.received.find("\r\n\r\n"), std::string::npos);
    EXPECT_EQ(c.received.substr(c.received.find("\r\n\r\n") + 4), Body());
}

TEST_F(TlsTest, CertificateFailuresEndTheSessionWithTheirReason) {
    struct Case {
        const TlsCertificates::KeyPair& pair;
        std::string name;
        std::string failure;
    };
    const std::vector<Case> cases = {
        {certs().SelfSigned(), "localhost", "Certificate not trusted: self-signed certificate"},
        {certs().Expired(), "localhost", "Certificate not trusted: certificate has expired"},
        {certs().WrongName(), "localhost", "Certificate name mismatch"},
        {certs().Good(), "wrong-name.test", "Certificate name mismatch"},
        {certs().Good(), "127.0.0.2", "Certificate name mismatch"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.failure + " for " + k.name);
        NginxServer nginx(With(k.pair));
        ASSERT_TRUE(nginx.Running()) << nginx.Log();
        Client c;
        c.request = "GET /doc.txt HTTP/1.0\r\n\r\n";
        c.Connect(nginx.HttpsPort(), k.name);
        ASSERT_TRUE(WaitFor([&] { return c.closed; }));
        EXPECT_EQ(c.log, (std::vector<std::string>{"state 7>1", "state 1>3", "state 3>4",
                                                   "connected 10053", "state 4>7", "closed 0"}));
        EXPECT_EQ(c.failure, k.failure);
        EXPECT_EQ(c.s.SslFailure(), k.failure);
        EXPECT_EQ(c.received, "");
    }
}

TEST_F(TlsTest, UntrustedWhenTheTrustStoreLacksTheCa) {
    NginxServer nginx(With(certs().Good()));
    ASSERT_TRUE(nginx.Running()) << nginx.Log();
    ScopedEnv elsewhere("SSL_CERT_FILE", root_ / "doc.txt");
    Client c;
    c.Connect(nginx.HttpsPort(), "localhost");
    ASSERT_TRUE(WaitFor([&] { return c.closed; }));
    EXPECT_EQ(c.failure, "Certificate not trusted: unable to get local issuer certificate");
}

TEST_F(TlsTest, ServersThatDoNotSpeakTlsFailTheHandshake) {
    LoopbackServer plain([](LoopbackServer::Conn& c) {
        c.Write("HTTP/1.0 400 Bad Request\r\n\r\nnot tls at all, and long enough to be read\r\n");
        c.WaitForPeerClose();
    });
    LoopbackServer closing([](LoopbackServer::Conn&) {});
    struct Case {
        std::uint16_t port;
        std::string failure;
    };
    for (const Case& k : {Case{plain.Port(), "TLS handshake failed: wrong version number"},
                          Case{closing.Port(), "TLS handshake failed: "}}) {
        SCOPED_TRACE(k.failure);
        Client c;
        c.Connect(k.port, "localhost");
        ASSERT_TRUE(WaitFor([&] { return c.closed; }));
        EXPECT_TRUE(c.Has("connected 10053"));
        EXPECT_EQ(c.failure.substr(0, k.failure.size()), k.failure);
        EXPECT_GT(c.failure.size(), std::string("TLS handshake failed: ").size());
    }
}

TEST_F(TlsTest, StartSslSecuresAnOpenConnectionThroughAProxyTunnel) {
    NginxServer nginx(With(certs().Good()));
    ASSERT_TRUE(nginx.Running()) << nginx.Log();
    testing::TinyProxy proxy;
    ASSERT_TRUE(proxy.Running()) << proxy.Log();
    Client c;
    std::string tunnel;
    bool secured = false;
    c.s.OnSessionConnected = [&](TCustomWSocket* sender, TCustomWSocket::Word e) {
        c.log.push_back("connected " + std::to_string(e));
        if (!secured && e == 0) {
            sender->SendStr("CONNECT 127.0.0.1:" + std::to_string(nginx.HttpsPort()) +
                            " HTTP/1.0\r\n\r\n");
            return;
        }
        c.failure = sender->SslFailure();
        if (e == 0)
            sender->SendStr("GET /doc.txt HTTP/1.0\r\n\r\n");
    };
    c.s.OnDataAvailable = [&](TCustomWSocket* sender, TCustomWSocket::Word) {
        char buf[4096];
        int n = sender->Receive(buf, secured ? sizeof buf : 1);
        if (n <= 0)
            return;
        if (secured) {
            c.received.append(buf, static_cast<std::size_t>(n));
            return;
        }
        tunnel.append(buf, 1);
        if (tunnel.size() >= 4 && tunnel.compare(tunnel.size() - 4, 4, "\r\n\r\n") == 0) {
            secured = true;
            sender->StartSsl();
        }
    };
    c.s.SetAddr("127.0.0.1");
    c.s.SetPort(proxy.PortText());
    c.s.SetProto("tcp");
    c.s.SetSslServerName("localhost");
    c.s.Connect();
    ASSERT_TRUE(WaitFor([&] { return c.closed; })) << c.failure << proxy.Log();
    EXPECT_EQ(tunnel.substr(0, 12), "HTTP/1.0 200");
    EXPECT_EQ(c.log, (std::vector<std::string>{"state 7>1", "state 1>3", "state 3>4", "connected 0",
                                               "connected 0", "closed 0", "state 4>7"}));
    ASSERT_NE(c.received.find("\r\n\r\n"), std::string::npos);
    EXPECT_EQ(c.received.substr(c.received.find("\r\n\r\n") + 4), Body());
}

TEST_F(TlsTest, StartSslWithoutAConnectionFailsAtOnce) {
    Client c;
    c.s.StartSsl();
    EXPECT_EQ(c.log, (std::vector<std::string>{"connected 10057"}));
    EXPECT_EQ(c.failure, "TLS handshake failed: Socket is not connected");
}

TEST_F(TlsTest, ProgramCloseDuringTheHandshakeFiresClosedOnce) {
    LoopbackServer silent([](LoopbackServer::Conn& c) { c.WaitForPeerClose(); });
    Client c;
    c.Connect(silent.Port(), "localhost");
    ASSERT_TRUE(WaitFor([&] { return silent.Connections() == 1; }));
    for (int i = 0; i < 5; ++i)
        platform::ProcessMessages();  // connected, the hello sent, no answer
    EXPECT_EQ(c.s.State(), wsConnecting);
    c.s.Close();
    for (int i = 0; i < 10; ++i)
        platform::ProcessMessages();
    EXPECT_EQ(c.log, (std::vector<std::string>{"state 7>1", "state 1>3", "state 3>7", "closed 0"}));
}

}  // namespace
}  // namespace zelvo::socket
