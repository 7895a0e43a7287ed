// The client end of a TLS session against a server of the test's own on a
// local stream pair, both ends moved by hand in one thread.
#include <gtest/gtest.h>
#include <openssl/ssl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "platform/linux/TlsSession.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "support/TlsCertificates.h"

using zelvo::platform::TlsSession;
using zelvo::testing::ScopedEnv;
using zelvo::testing::TempDir;
using zelvo::testing::TlsCertificates;

namespace {

// One server session on the far end of the pair, with the test CA's good
// certificate for localhost.
class Server {
public:
    explicit Server(int fd) : fd_(fd) {
        const TlsCertificates::KeyPair& pair = TlsCertificates::Shared().Good();
        ctx_.reset(SSL_CTX_new(TLS_server_method()));
        SSL_CTX_use_certificate_chain_file(ctx_.get(), pair.cert.c_str());
        SSL_CTX_use_PrivateKey_file(ctx_.get(), pair.key.c_str(), SSL_FILETYPE_PEM);
        ssl_.reset(SSL_new(ctx_.get()));
        SSL_set_fd(ssl_.get(), fd);
        SSL_set_accept_state(ssl_.get());
    }
    ~Server() { Close(); }
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    bool Handshake() { return SSL_do_handshake(ssl_.get()) == 1; }
    void Write(const std::string& text) {
        SSL_write(ssl_.get(), text.data(), static_cast<int>(text.size()));
    }
    void SendCloseNotify() { SSL_shutdown(ssl_.get()); }
    // Bytes past the session, as a broken or hostile server would send them.
    void WriteRaw(const std::string& bytes) {
        ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }
    // Reads what the client sent first: unread bytes would make the close a
    // reset rather than an end of stream.
    void Close() {
        if (fd_ < 0)
            return;
        char buf[4096];
        while (::recv(fd_, buf, sizeof buf, MSG_DONTWAIT) > 0) {
        }
        ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
    std::unique_ptr<SSL_CTX, void (*)(SSL_CTX*)> ctx_{nullptr, SSL_CTX_free};
    std::unique_ptr<SSL, void (*)(SSL*)> ssl_{nullptr, SSL_free};
};

// A client session and the server on the two ends of a local stream pair.
class Link {
public:
    Link() {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds_) == 0) {
            server = std::make_unique<Server>(fds_[1]);
            client = std::make_unique<TlsSession>(fds_[0], "localhost");
        }
    }
    ~Link() {
        client.reset();
        server.reset();
        if (fds_[0] >= 0)
            ::close(fds_[0]);
    }
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    // Both ends in turn until both are through, as their readiness would.
    void Secure() {
        ASSERT_TRUE(client) << "no stream pair";
        bool serverDone = false;
        TlsSession::Step step = TlsSession::Step::WantRead;
        for (int i = 0; i < 50 && !(serverDone && step == TlsSession::Step::Done); ++i) {
            step = client->Handshake();
            ASSERT_NE(step, TlsSession::Step::Failed) << client->Failure();
            serverDone = serverDone || server->Handshake();
        }
        ASSERT_EQ(step, TlsSession::Step::Done);
        ASSERT_TRUE(serverDone);
    }

    // Reads until the session says something other than Blocked; returns
    // that, with the plain text added to text.
    int ReadToEnd(std::string& text) {
        char buf[4096];
        for (int i = 0; i < 50; ++i) {
            int n = client->Read(buf, sizeof buf);
            if (n > 0)
                text.append(buf, static_cast<std::size_t>(n));
            else if (n != TlsSession::Blocked)
                return n;
        }
        return TlsSession::Blocked;
    }

    std::unique_ptr<Server> server;
    std::unique_ptr<TlsSession> client;

private:
    int fds_[2] = {-1, -1};
};

class TlsSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(TlsCertificates::Shared().Ok()) << "openssl could not make the certificates";
    }

    TempDir noDir_;
    ScopedEnv trust_{"SSL_CERT_FILE", TlsCertificates::Shared().CaFile()};
    ScopedEnv onlyThat_{"SSL_CERT_DIR", noDir_.Path()};
};

TEST_F(TlsSessionTest, TheServersCloseEndsTheStreamWithOrWithoutCloseNotify) {
    // Servers end an HTTP/1.0 body by closing, many without a close_notify;
    // either way the body is whole and the stream has ended, not broken.
    for (bool closeNotify : {true, false}) {
        SCOPED_TRACE(closeNotify ? "close_notify" : "plain close");
        Link link;
        ASSERT_NO_FATAL_FAILURE(link.Secure());
        link.server->Write("HTTP/1.0 200 OK\r\n\r\nthe body\n");
        if (closeNotify)
            link.server->SendCloseNotify();
        link.server->Close();
        std::string text;
        EXPECT_EQ(link.ReadToEnd(text), TlsSession::Closed);
        EXPECT_EQ(text, "HTTP/1.0 200 OK\r\n\r\nthe body\n");
        EXPECT_EQ(link.ReadToEnd(text), TlsSession::Closed);
    }
}

TEST_F(TlsSessionTest, ARecordThatDoesNotDecryptBreaksTheStream) {
    Link link;
    ASSERT_NO_FATAL_FAILURE(link.Secure());
    link.server->Write("first part");
    link.server->WriteRaw(std::string("\x17\x03\x03\x00\x13", 5) + std::string(19, 'x'));
    link.server->Write("never seen");
    std::string text;
    EXPECT_EQ(link.ReadToEnd(text), TlsSession::Broken);
    EXPECT_EQ(text, "first part");
}

TEST_F(TlsSessionTest, AServerThatClosesBeforeReplyingFailsTheHandshake) {
    Link link;
    ASSERT_TRUE(link.client);
    EXPECT_EQ(link.client->Handshake(), TlsSession::Step::WantRead);
    link.server->Close();
    EXPECT_EQ(link.client->Handshake(), TlsSession::Step::Failed);
    EXPECT_EQ(link.client->Failure(), "TLS handshake failed: connection closed by the server");
    EXPECT_FALSE(link.client->Established());
}

}  // namespace
