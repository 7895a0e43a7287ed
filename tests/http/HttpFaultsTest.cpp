// The HTTP client against servers that misbehave: every request still ends,
// as a failure with a reason that says what happened, and memory stays
// bounded.
#include <sys/socket.h>

#include <chrono>
#include <future>
#include <thread>

#include "HttpCliFixture.h"

namespace zelvo::http {
namespace {

using namespace testing_support;
using namespace std::chrono_literals;

class HttpFaultTest : public HttpCliTest {
protected:
    // The failure Get raised; fails the test when it returned normally.
    std::string FailureOf(const std::string& url) {
        cli.SetURL(url);
        EHttpException e = GetCatching();
        EXPECT_EQ(e.ErrorCode, 404) << cli.ReasonPhrase();
        EXPECT_EQ(cli.StatusCode(), 404);
        EXPECT_EQ(cli.HttpState(), hsReady);
        EXPECT_EQ(std::string(e.what()), cli.ReasonPhrase());
        return e.what();
    }
    static std::string At(const LoopbackServer& s, const std::string& path = "/") {
        return "http://127.0.0.1:" + s.PortText() + path;
    }
};

// Sends bytes slowly, one every few milliseconds, until the client leaves.
void Trickle(LoopbackServer::Conn& c, const std::string& first) {
    c.ReadRequest();
    if (!c.Write(first))
        return;
    while (c.Write("x"))
        std::this_thread::sleep_for(20ms);
}

TEST_F(HttpFaultTest, ASilentServerEndsAtTheReceiveTimeOut) {
    LoopbackServer server([](LoopbackServer::Conn& c) {
        c.ReadRequest();
        c.WaitForPeerClose();
    });
    cli.SetReceiveTimeOut(150);
    EXPECT_EQ(FailureOf(At(server)), "No data received for 0.15 s");
    EXPECT_EQ(events.back(), "done 1 0");

    // Bytes that keep coming keep the request alive until its whole time is up.
    LoopbackServer trickle([](LoopbackServer::Conn& c) { Trickle(c, "HTTP/1.0 200 OK\r\n\r\n"); });
    cli.SetRequestTimeOut(400);
    EXPECT_EQ(FailureOf(At(trickle)), "Request not done after 0.4 s");
    EXPECT_GT(cli.BodyRcvdCount(), 0);
}

TEST_F(HttpFaultTest, ALookupThatNeverAnswersEndsAtTheConnectTimeOut) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    platform::SetHostResolver([released](const std::string&, std::vector<std::uint32_t>& addrs) {
        released.wait();
        addrs = {platform::inet_addr("127.0.0.1")};
        return 0;
    });
    cli.SetConnectTimeOut(150);
    std::string reason = FailureOf("http://stalled.test/");
    release.set_value();
    EXPECT_EQ(reason, "Connection timed out");
    EXPECT_EQ(cli.Socket().State(), socket::wsClosed);
}

TEST_F(HttpFaultTest, TimeOutsAreNamedInWholeOrPartSeconds) {
    EXPECT_EQ(cli.ConnectTimeOut(), 30000u);
    EXPECT_EQ(cli.ReceiveTimeOut(), 60000u);
    EXPECT_EQ(cli.RequestTimeOut(), 300000u);
    EXPECT_EQ(TRequestTimers::Seconds(60000), "60 s");
    EXPECT_EQ(TRequestTimers::Seconds(250), "0.25 s");
}

TEST_F(HttpFaultTest, AnEndlessBodyStopsAtTheSizeLimitAndNothingIsKept) {
    LoopbackServer server([](LoopbackServer::Conn& c) {
        c.ReadRequest();
        const std::string block(65536, 'b');
        if (c.Write("HTTP/1.0 200 OK\r\n\r\n"))
            while (c.Write(block)) {
            }
    });
    cli.SetMaxDocumentSize(1 << 20);
    EXPECT_EQ(FailureOf(At(server)), "Document too large");
    EXPECT_LE(cli.BodyRcvdCount(), 1 << 20);
    EXPECT_EQ(Body(), "");

    // An announced length over the limit is refused before any body.
    events.clear();
    LoopbackServer big(Respond("HTTP/1.0 200 OK\r\nContent-Length: 1048577\r\n\r\nabc"));
    EXPECT_EQ(FailureOf(At(big)), "Document too large");
    EXPECT_FALSE(Saw("docbegin"));
}

// Records the room the client asks for ahead of the body.
class RoomStream : public TMemoryStream {
public:
    std::vector<std::int64_t> asked;
    void Reserve(std::int64_t bytes) override {
        asked.push_back(bytes);
        TMemoryStream::Reserve(bytes);
    }
};

TEST_F(HttpFaultTest, AnAnnouncedLengthBecomesRoomOnceAndOnlyWhenAnnounced) {
    RoomStream room;
    cli.OnDocBegin = [&room](THttpCli* c) { c->SetRcvdStream(&room); };
    LoopbackServer told(
        Respond("HTTP/1.0 200 OK\r\nContent-Length: 70000\r\n\r\n" + std::string(70000, 'a')));
    cli.SetURL(At(told));
    cli.Get();
    EXPECT_EQ(room.asked, (std::vector<std::int64_t>{70000}));
    EXPECT_EQ(room.Size(), 70000);

    // Without a length there is nothing to go by: the stream grows as the
    // bytes come.
    room.Clear();
    room.asked.clear();
    LoopbackServer untold(Respond("HTTP/1.0 200 OK\r\n\r\n" + std::string(70000, 'b')));
    cli.SetURL(At(untold));
    cli.Get();
    EXPECT_TRUE(room.asked.empty());
    EXPECT_EQ(room.Data(), std::string(70000, 'b'));
    cli.SetRcvdStream(nullptr);
}

TEST_F(HttpFaultTest, ASelfRelocationEndsAfterTwentyFollowed) {
    LoopbackServer server(Respond("HTTP/1.0 301 Moved\r\nLocation: /again\r\n\r\n"));
    EXPECT_EQ(FailureOf(At(server)), "Too many relocations");
    EXPECT_EQ(server.Requests().size(), 21u);
    // The log keeps the last ten responses only: two lines each.
    EXPECT_EQ(cli.RcvdHeader().size(), 20u);
}

TEST_F(HttpFaultTest, TheLogKeepsTheLinesOfTheLastTenResponses) {
    int n = 0;
    LoopbackServer server([&n](LoopbackServer::Conn& c) {
        c.ReadRequest();
        c.Write("HTTP/1.0 200 OK\r\nX-N: " + std::to_string(++n) + "\r\n\r\nx");
    });
    for (int i = 0; i < 12; ++i) {
        cli.SetURL(At(server));
        cli.Get();
    }
    ASSERT_EQ(cli.RcvdHeader().size(), 20u);
    EXPECT_EQ(cli.RcvdHeader().front(), "HTTP/1.0 200 OK");
    EXPECT_EQ(cli.RcvdHeader()[1], "X-N: 3");
    EXPECT_EQ(cli.RcvdHeader().back(), "X-N: 12");
}

TEST_F(HttpFaultTest, AConnectionThatEndsInsideTheHeaderFails) {
    // A reset in the middle of a header line.
    LoopbackServer reset([](LoopbackServer::Conn& c) {
        c.ReadRequest();
        c.Write("HTTP/1.0 200 OK\r\nContent-Ty");
        linger hard{1, 0};
        ::setsockopt(c.Fd(), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    });
    EXPECT_EQ(FailureOf(At(reset)), "Connection closed before the header ended");
    EXPECT_FALSE(Saw("docbegin"));

    // A plain close before the blank line, and one before any byte.
    LoopbackServer closed(Respond("HTTP/1.0 200 OK\r\nServer: x\r\n"));
    EXPECT_EQ(FailureOf(At(closed)), "Connection closed before the header ended");
    LoopbackServer mute(Respond(""));
    EXPECT_EQ(FailureOf(At(mute)), "Connection closed before the header ended");
}

TEST_F(HttpFaultTest, ABodyShorterThanAnnouncedFails) {
    LoopbackServer server(
        Respond("HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\n" + std::string(75, 'a')));
    EXPECT_EQ(FailureOf(At(server)), "Document incomplete: 75 of 1000 bytes");
    EXPECT_TRUE(Saw("docend"));
}

TEST_F(HttpFaultTest, MalformedHeadersFailInsteadOfPassingAsAPage) {
    LoopbackServer status(Respond("HTTP/1.0 2xx Fine\r\n\r\nbody"));
    EXPECT_EQ(FailureOf(At(status)), "Malformed status line");
    static const char kNul[] = "HTTP/1.0 200 OK\r\nX-A: b\0c\r\n\r\nbody";
    LoopbackServer nul(Respond(std::string(kNul, sizeof kNul - 1)));
    EXPECT_EQ(FailureOf(At(nul)), "Malformed header line");
    LoopbackServer length(Respond("HTTP/1.0 200 OK\r\nContent-Length: lots\r\n\r\nbody"));
    EXPECT_EQ(FailureOf(At(length)), "Malformed Content-Length");
    EXPECT_FALSE(Saw("docbegin"));
}

TEST_F(HttpFaultTest, AnOverlongHeaderFails) {
    LoopbackServer server([](LoopbackServer::Conn& c) {
        c.ReadRequest();
        if (!c.Write("HTTP/1.0 200 OK\r\n"))
            return;
        const std::string line = "X-Fill: " + std::string(1000, 'f') + "\r\n";
        while (c.Write(line)) {
        }
    });
    EXPECT_EQ(FailureOf(At(server)), "Header too long");
}

TEST_F(HttpFaultTest, AProxyThatRefusesTheTunnel) {
    LoopbackServer proxy(Respond("HTTP/1.0 403 Forbidden\r\nX-Why: policy\r\n\r\n"));
    cli.SetProxy("127.0.0.1:" + proxy.PortText());
    EXPECT_EQ(FailureOf("https://secure.test/page.htm"),
              "Proxy refused the tunnel: HTTP/1.0 403 Forbidden");
    ASSERT_EQ(proxy.Requests().size(), 1u);
    EXPECT_EQ(Lines(proxy.Requests()[0]),
              (std::vector<std::string>{"CONNECT secure.test:443 HTTP/1.0", "Host: secure.test:443",
                                        ""}));
    EXPECT_EQ(commands.at(0), "CONNECT secure.test:443 HTTP/1.0");
}

TEST_F(HttpFaultTest, ATunnelWhoseHandshakeFailsEndsWithTheTlsReason) {
    LoopbackServer proxy(Respond("HTTP/1.0 200 Connection established\r\n\r\n"));
    cli.SetProxy("127.0.0.1:" + proxy.PortText());
    std::string reason = FailureOf("https://secure.test:8443/");
    EXPECT_EQ(reason.rfind("TLS handshake failed", 0), 0u) << reason;
    EXPECT_EQ(Lines(proxy.Requests().at(0)).at(0), "CONNECT secure.test:8443 HTTP/1.0");
}

TEST_F(HttpFaultTest, AbortWhileTheProxyConsidersTheTunnel) {
    LoopbackServer proxy([](LoopbackServer::Conn& c) {
        c.ReadRequest();
        c.WaitForPeerClose();
    });
    cli.SetProxy("127.0.0.1:" + proxy.PortText());
    cli.OnCommand = [](THttpCli* c, const std::string&) { c->Abort(); };
    EXPECT_EQ(FailureOf("https://secure.test/"), "Connection aborted on request");
    EXPECT_EQ(events.back(), "done 1 3");
}

}  // namespace
}  // namespace zelvo::http
