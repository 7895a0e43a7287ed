// The Windows client end of a TLS session against servers on loopback that
// tests/support/tls-servers.sh starts with certificates made for the run: the
// test CA's good certificate (also on a TLS 1.2 only server and one with
// nothing newer than TLS 1.1), a self-signed one and an expired one. The
// trust store is the test CA alone (SSL_CERT_FILE, with SSL_CERT_DIR an empty
// folder).
#include <winsock2.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "platform/win32/SchannelSession.h"

namespace zelvo::platform {
namespace {

using Clock = std::chrono::steady_clock;

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

int PortOf(const char* name) {
    return std::atoi(Env(name).c_str());
}

// Sets an environment value for the life of the object, as the session reads
// it: from the process's environment block.
class ScopedWinEnv {
public:
    ScopedWinEnv(const char* name, const std::string& value) : name_(name) {
        char buf[4096];
        DWORD n = ::GetEnvironmentVariableA(name, buf, sizeof buf);
        if (n > 0 && n < sizeof buf)
            old_ = std::string(buf, n);
        ::SetEnvironmentVariableA(name, value.c_str());
    }
    ~ScopedWinEnv() { ::SetEnvironmentVariableA(name_, old_ ? old_->c_str() : nullptr); }
    ScopedWinEnv(const ScopedWinEnv&) = delete;
    ScopedWinEnv& operator=(const ScopedWinEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

class Socket {
public:
    Socket() : s_(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) {}
    explicit Socket(SOCKET s) : s_(s) {}
    ~Socket() {
        if (s_ != INVALID_SOCKET)
            ::closesocket(s_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    SOCKET Get() const { return s_; }
    void Close() {
        ::closesocket(s_);
        s_ = INVALID_SOCKET;
    }

private:
    SOCKET s_;
};

sockaddr_in Loopback(int port) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<u_short>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return to;
}

// Waits until the socket is ready as the session asks.
bool Wait(SOCKET s, bool write) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval limit{5, 0};
    return ::select(0, write ? nullptr : &set, write ? &set : nullptr, nullptr, &limit) == 1;
}

class Client {
public:
    Client(int port, const std::string& serverName) {
        sockaddr_in to = Loopback(port);
        connected_ =
            ::connect(socket_.Get(), reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0;
        u_long on = 1;
        ::ioctlsocket(socket_.Get(), FIONBIO, &on);
        session = std::make_unique<SchannelSession>(socket_.Get(), serverName);
    }

    // Drives the handshake to its end; the step it ended with.
    SchannelSession::Step Secure() {
        if (!connected_)
            return SchannelSession::Step::Failed;
        for (auto end = Clock::now() + std::chrono::seconds(10); Clock::now() < end;) {
            SchannelSession::Step step = session->Handshake();
            if (step == SchannelSession::Step::Done || step == SchannelSession::Step::Failed)
                return step;
            Wait(socket_.Get(), step == SchannelSession::Step::WantWrite);
        }
        return SchannelSession::Step::WantRead;
    }

    void WriteAll(const std::string& text) {
        std::size_t at = 0;
        for (auto end = Clock::now() + std::chrono::seconds(5);
             at < text.size() && Clock::now() < end;) {
            int n = session->Write(text.data() + at, static_cast<int>(text.size() - at));
            if (n > 0)
                at += static_cast<std::size_t>(n);
            else if (n == SchannelSession::Blocked)
                Wait(socket_.Get(), true);
            else
                break;
        }
        EXPECT_EQ(at, text.size());
    }

    // Reads in small pieces until the session says something other than
    // Blocked; returns that, with the plain text added to text.
    int ReadToEnd(std::string& text, int piece = 7) {
        char buf[4096];
        for (auto end = Clock::now() + std::chrono::seconds(10); Clock::now() < end;) {
            int n = session->Read(buf, piece);
            if (n > 0)
                text.append(buf, static_cast<std::size_t>(n));
            else if (n == SchannelSession::Blocked)
                Wait(socket_.Get(), false);
            else
                return n;
        }
        return SchannelSession::Blocked;
    }

    SOCKET Raw() const { return socket_.Get(); }
    std::unique_ptr<SchannelSession> session;

private:
    Socket socket_;
    bool connected_ = false;
};

// A server of the test's own on loopback that takes one connection.
class Listener {
public:
    Listener() {
        sockaddr_in at = Loopback(0);
        ::bind(socket_.Get(), reinterpret_cast<const sockaddr*>(&at), sizeof at);
        ::listen(socket_.Get(), 1);
        int len = sizeof at;
        ::getsockname(socket_.Get(), reinterpret_cast<sockaddr*>(&at), &len);
        port_ = ntohs(at.sin_port);
    }
    int Port() const { return port_; }
    SOCKET Accept() { return ::accept(socket_.Get(), nullptr, nullptr); }
    SOCKET Raw() const { return socket_.Get(); }

private:
    Socket socket_;
    int port_ = 0;
};

class SchannelSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        WSADATA data;
        ASSERT_EQ(::WSAStartup(MAKEWORD(2, 2), &data), 0);
        ASSERT_NE(PortOf("ZELVO_TLS_GOOD_PORT"), 0) << "run through tls-servers.sh";
    }
    void TearDown() override { ::WSACleanup(); }

    static std::string FailureAgainst(const char* port, const std::string& serverName) {
        Client c(PortOf(port), serverName);
        EXPECT_EQ(c.Secure(), SchannelSession::Step::Failed);
        EXPECT_FALSE(c.session->Established());
        char buf[16];
        EXPECT_EQ(c.session->Read(buf, sizeof buf), SchannelSession::Broken);
        EXPECT_EQ(c.session->Write("x", 1), SchannelSession::Broken);
        return c.session->Failure();
    }
};

TEST_F(SchannelSessionTest, AGetIsAnsweredWholeAndTheServersCloseNotifyEndsTheStream) {
    for (const char* name : {"localhost", "127.0.0.1"}) {
        SCOPED_TRACE(name);
        Client c(PortOf("ZELVO_TLS_GOOD_PORT"), name);
        ASSERT_EQ(c.Secure(), SchannelSession::Step::Done) << c.session->Failure();
        EXPECT_TRUE(c.session->Established());
        EXPECT_EQ(c.session->Failure(), "");
        c.WriteAll("GET / HTTP/1.0\r\n\r\n");
        // The first piece leaves the rest of its record decrypted inside the
        // session, where the socket's readiness no longer shows it.
        std::string text;
        char first[7];
        int n = 0;
        for (auto end = Clock::now() + std::chrono::seconds(10);
             (n = c.session->Peek(first, sizeof first)) == SchannelSession::Blocked &&
             Clock::now() < end;)
            Wait(c.Raw(), false);
        ASSERT_EQ(n, 7);
        EXPECT_EQ(std::string(first, 7), "HTTP/1.");
        ASSERT_EQ(c.session->Read(first, sizeof first), 7);
        EXPECT_GT(c.session->Pending(), 0);
        text.assign(first, 7);
        // The server sends close_notify after its page: the end, not a fault.
        EXPECT_EQ(c.ReadToEnd(text), SchannelSession::Closed);
        EXPECT_EQ(text.rfind("HTTP/1.0 200 ok\r\n", 0), 0u) << text.substr(0, 200);
        EXPECT_NE(text.find("</HTML>"), std::string::npos) << text.substr(text.size() - 200);
        EXPECT_EQ(c.ReadToEnd(text), SchannelSession::Closed);
        EXPECT_EQ(c.session->Pending(), 0);
        c.session->Shutdown();
        EXPECT_EQ(c.session->Write("more", 4), SchannelSession::Broken);
    }
}

TEST_F(SchannelSessionTest, CertificateFaultsFailWithTheLinuxTexts) {
    EXPECT_EQ(FailureAgainst("ZELVO_TLS_SELF_SIGNED_PORT", "localhost"),
              "Certificate not trusted: self-signed certificate");
    EXPECT_EQ(FailureAgainst("ZELVO_TLS_EXPIRED_PORT", "localhost"),
              "Certificate not trusted: certificate has expired");
    // The name as a host name goes through the system's check, an address
    // through the certificate's addresses alone.
    EXPECT_EQ(FailureAgainst("ZELVO_TLS_GOOD_PORT", "wrong-name.test"),
              "Certificate name mismatch");
    EXPECT_EQ(FailureAgainst("ZELVO_TLS_GOOD_PORT", "127.0.0.2"), "Certificate name mismatch");
}

TEST_F(SchannelSessionTest, AServerWithNothingNewerThanTls11IsRefused) {
    // Refused by the package or, where it lets the old protocol through, by
    // the session's own look at what was agreed; the reason may differ.
    std::string failure = FailureAgainst("ZELVO_TLS_OLD_PORT", "localhost");
    EXPECT_EQ(failure.rfind("TLS handshake failed: ", 0), 0u) << failure;
}

TEST_F(SchannelSessionTest, OnlyTheEnvironmentsRootsAreTrustedWhenItNamesBoth) {
    // The self-signed certificate as the only root: the good certificate's
    // issuer is then nowhere to be found.
    ScopedWinEnv trust("SSL_CERT_FILE", Env("ZELVO_TLS_SELF_SIGNED_CERT"));
    EXPECT_EQ(FailureAgainst("ZELVO_TLS_GOOD_PORT", "localhost"),
              "Certificate not trusted: unable to get local issuer certificate");
    {
        // An unreadable file trusts nothing rather than everything.
        ScopedWinEnv none("SSL_CERT_FILE", Env("SSL_CERT_DIR") + "/missing.pem");
        EXPECT_EQ(FailureAgainst("ZELVO_TLS_GOOD_PORT", "localhost"),
                  "Certificate not trusted: unable to get local issuer certificate");
    }
    // The test CA found in the folder instead.
    ScopedWinEnv folder("SSL_CERT_DIR", Env("ZELVO_TLS_CA_DIR"));
    Client c(PortOf("ZELVO_TLS_GOOD_PORT"), "localhost");
    EXPECT_EQ(c.Secure(), SchannelSession::Step::Done) << c.session->Failure();
}

// Between the client and a server: passes the server's records on in pieces
// of 3 and 50 bytes, a moment apart, so record headers and records arrive
// split; on request it spoils the first data record or, in place of the
// close_notify, just closes. Both are seen only in TLS 1.2, whose record
// types show.
class Relay {
public:
    enum class Fault { None, SpoilData, CloseWithoutNotify };

    explicit Relay(int serverPort, Fault fault = Fault::None)
        : fault_(fault), thread_([this, serverPort] { Run(serverPort); }) {}
    ~Relay() {
        stop_ = true;
        thread_.join();
    }
    Relay(const Relay&) = delete;
    Relay& operator=(const Relay&) = delete;
    int Port() const { return listener_.Port(); }

private:
    static constexpr unsigned char kAlert = 21;
    static constexpr unsigned char kData = 23;

    void Run(int serverPort) {
        SOCKET accepted = INVALID_SOCKET;
        while (!stop_ && accepted == INVALID_SOCKET) {
            if (Ready(listener_.Raw(), 100))
                accepted = listener_.Accept();
        }
        Socket client(accepted);
        Socket server;
        sockaddr_in to = Loopback(serverPort);
        if (stop_ ||
            ::connect(server.Get(), reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0)
            return;
        char buf[8192];
        std::string held;  // the server's bytes short of a whole record
        while (!stop_) {
            if (Ready(client.Get(), 1)) {
                int n = ::recv(client.Get(), buf, sizeof buf, 0);
                if (n <= 0 || ::send(server.Get(), buf, n, 0) != n)
                    return;
            }
            if (Ready(server.Get(), 1)) {
                int n = ::recv(server.Get(), buf, sizeof buf, 0);
                if (n <= 0)
                    return;
                held.append(buf, static_cast<std::size_t>(n));
                while (held.size() >= 5) {
                    const std::size_t size = 5 + (static_cast<unsigned char>(held[3]) << 8 |
                                                  static_cast<unsigned char>(held[4]));
                    if (held.size() < size)
                        break;
                    std::string record = held.substr(0, size);
                    held.erase(0, size);
                    const auto type = static_cast<unsigned char>(record[0]);
                    if (fault_ == Fault::SpoilData && type == kData) {
                        record.back() = static_cast<char>(record.back() ^ 0x5A);
                        fault_ = Fault::None;
                    }
                    if (fault_ == Fault::CloseWithoutNotify && type == kAlert)
                        return;
                    if (!Trickle(client.Get(), record))
                        return;
                }
            }
        }
    }
    bool Trickle(SOCKET to, const std::string& bytes) {
        for (std::size_t at = 0; at < bytes.size() && !stop_; small_ = !small_) {
            const int piece =
                static_cast<int>(std::min<std::size_t>(bytes.size() - at, small_ ? 3 : 50));
            if (::send(to, bytes.data() + at, piece, 0) != piece)
                return false;
            at += static_cast<std::size_t>(piece);
            ::Sleep(1);
        }
        return true;
    }
    static bool Ready(SOCKET s, long ms) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(s, &set);
        timeval limit{0, ms * 1000};
        return ::select(0, &set, nullptr, nullptr, &limit) == 1;
    }

    Listener listener_;
    Fault fault_;
    bool small_ = true;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

std::string Get(Client& c, int& end) {
    std::string text;
    c.WriteAll("GET / HTTP/1.0\r\n\r\n");
    end = c.ReadToEnd(text, 4096);
    return text;
}

TEST_F(SchannelSessionTest, RecordsThatArriveInPiecesAreWaitedForWhole) {
    for (const char* port : {"ZELVO_TLS_GOOD_PORT", "ZELVO_TLS_GOOD12_PORT"}) {
        SCOPED_TRACE(port);
        Relay relay(PortOf(port));
        Client c(relay.Port(), "localhost");
        ASSERT_EQ(c.Secure(), SchannelSession::Step::Done) << c.session->Failure();
        int end = 0;
        std::string text = Get(c, end);
        EXPECT_EQ(end, SchannelSession::Closed);
        EXPECT_EQ(text.rfind("HTTP/1.0 200 ok\r\n", 0), 0u) << text.substr(0, 200);
        EXPECT_NE(text.find("</HTML>"), std::string::npos);
    }
}

TEST_F(SchannelSessionTest, TheServersPlainCloseEndsTheStreamWithTheBodyWhole) {
    // Servers end an HTTP/1.0 body by closing, many without a close_notify.
    Relay relay(PortOf("ZELVO_TLS_GOOD12_PORT"), Relay::Fault::CloseWithoutNotify);
    Client c(relay.Port(), "localhost");
    ASSERT_EQ(c.Secure(), SchannelSession::Step::Done) << c.session->Failure();
    int end = 0;
    std::string text = Get(c, end);
    EXPECT_EQ(end, SchannelSession::Closed);
    EXPECT_NE(text.find("</HTML>"), std::string::npos);
    char buf[16];
    EXPECT_EQ(c.session->Read(buf, sizeof buf), SchannelSession::Closed);
}

TEST_F(SchannelSessionTest, ARecordThatDoesNotDecryptBreaksTheStream) {
    Relay relay(PortOf("ZELVO_TLS_GOOD12_PORT"), Relay::Fault::SpoilData);
    Client c(relay.Port(), "localhost");
    ASSERT_EQ(c.Secure(), SchannelSession::Step::Done) << c.session->Failure();
    int end = 0;
    std::string text = Get(c, end);
    EXPECT_EQ(end, SchannelSession::Broken);
    EXPECT_EQ(text, "");
    char buf[16];
    EXPECT_EQ(c.session->Read(buf, sizeof buf), SchannelSession::Broken);
}

TEST_F(SchannelSessionTest, APeerThatGoesMidHandshakeFailsIt) {
    {
        // The hello read, then the connection closed.
        Listener server;
        Client c(server.Port(), "localhost");
        EXPECT_EQ(c.session->Handshake(), SchannelSession::Step::WantRead);
        Socket peer(server.Accept());
        char hello[4096];
        ASSERT_TRUE(Wait(peer.Get(), false));
        EXPECT_GT(::recv(peer.Get(), hello, sizeof hello, 0), 0);
        EXPECT_EQ(static_cast<unsigned char>(hello[0]), 0x16u);  // a handshake record
        peer.Close();
        EXPECT_EQ(c.Secure(), SchannelSession::Step::Failed);
        EXPECT_EQ(c.session->Failure(), "TLS handshake failed: connection closed by the server");
    }
    {
        // A plain server's answer is no handshake at all.
        Listener server;
        Client c(server.Port(), "localhost");
        EXPECT_EQ(c.session->Handshake(), SchannelSession::Step::WantRead);
        Socket peer(server.Accept());
        const std::string answer = "HTTP/1.0 400 Bad Request\r\n\r\nnot secured\r\n";
        ::send(peer.Get(), answer.data(), static_cast<int>(answer.size()), 0);
        EXPECT_EQ(c.Secure(), SchannelSession::Step::Failed);
        EXPECT_EQ(c.session->Failure(), "TLS handshake failed: wrong version number");
    }
}

TEST_F(SchannelSessionTest, AnEmptyServerNameIsRefusedBeforeAnythingIsSent) {
    Listener server;
    Client c(server.Port(), "");
    EXPECT_EQ(c.session->Handshake(), SchannelSession::Step::Failed);
    EXPECT_EQ(c.session->Failure(), "TLS handshake failed: invalid server name");
}

}  // namespace
}  // namespace zelvo::platform
