// TLS beneath the Windows socket table: StartTls on a connected socket, the
// handshake's end as FD_HANDSHAKE, then plain text through recv and send and
// the server's close_notify as FD_CLOSE. Against the servers tls-servers.sh
// starts, with the test CA as the only root.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/MessageLoop.h"
#include "platform/WinSock.h"

namespace zelvo::platform {
namespace {

constexpr UINT kSocketMsg = 0x0400 + 7;  // WM_USER + 7

struct Event {
    long event;
    int error;
};

// One socket selected for every event onto a window of the test's, its
// notifications recorded in order.
class TlsClient {
public:
    explicit TlsClient(const char* portVariable)
        : wnd_([this](UINT msg, WPARAM, LPARAM l) -> LRESULT {
              if (msg == kSocketMsg)
                  events.push_back({static_cast<long>(LoWord(static_cast<std::uintptr_t>(l))),
                                    static_cast<int>(HiWord(static_cast<std::uintptr_t>(l)))});
              return 0;
          }) {
        const char* port = std::getenv(portVariable);
        s = socket(WS_AF_INET, WS_SOCK_STREAM, WS_IPPROTO_TCP);
        WSAAsyncSelect(s, wnd_.Handle(), kSocketMsg, FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE);
        SOCKADDR_IN to;
        to.sin_family = WS_AF_INET;
        to.sin_port = WsHtons(static_cast<std::uint16_t>(std::atoi(port != nullptr ? port : "0")));
        to.sin_addr.S_addr = inet_addr("127.0.0.1");
        connect(s, &to, sizeof to);
    }
    ~TlsClient() { closesocket(s); }
    TlsClient(const TlsClient&) = delete;
    TlsClient& operator=(const TlsClient&) = delete;

    // Runs the loop until the event has come; its error, or -1 if it never did.
    int WaitFor(long event) {
        for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
             std::chrono::steady_clock::now() < end;) {
            ProcessMessages();
            for (; seen_ < events.size(); ++seen_) {
                if (events[seen_].event == event)
                    return events[seen_++].error;
                if (event == FD_READ && events[seen_].event == FD_CLOSE)
                    return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return -1;
    }

    SOCKET s = INVALID_SOCKET;
    std::vector<Event> events;

private:
    MessageWindow wnd_;
    std::size_t seen_ = 0;
};

class WinSockTlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        WSADATA data;
        ASSERT_EQ(WSAStartup(0x0101, &data), 0);
    }
    void TearDown() override { WSACleanup(); }
};

TEST_F(WinSockTlsTest, APageComesThroughTheSecuredSocketAndCloseNotifyIsItsClose) {
    TlsClient c("ZELVO_TLS_GOOD_PORT");
    ASSERT_EQ(c.WaitFor(FD_CONNECT), 0);
    ASSERT_EQ(StartTls(c.s, "localhost"), 0);
    char buf[512];
    // Until the handshake ends the socket is not yet usable for text.
    EXPECT_EQ(recv(c.s, buf, sizeof buf, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
    ASSERT_EQ(c.WaitFor(FD_HANDSHAKE), 0) << TlsFailure(c.s);
    EXPECT_EQ(TlsFailure(c.s), "");
    const std::string request = "GET / HTTP/1.0\r\n\r\n";
    ASSERT_EQ(send(c.s, request.data(), static_cast<int>(request.size()), 0),
              static_cast<int>(request.size()));

    std::string page;
    bool ended = false;
    for (int rounds = 0; rounds < 1000 && !ended; ++rounds) {
        if (c.WaitFor(FD_READ) != 0)
            break;
        // Small reads: what a read leaves inside the session is announced
        // again, as the socket would announce unread bytes.
        int n = recv(c.s, buf, 100, 0);
        if (n > 0)
            page.append(buf, static_cast<std::size_t>(n));
        ended = n == 0;
    }
    EXPECT_EQ(page.rfind("HTTP/1.0 200 ok\r\n", 0), 0u) << page.substr(0, 200);
    EXPECT_NE(page.find("</HTML>"), std::string::npos) << page.substr(0, 200);
    bool closed = false;
    for (const Event& e : c.events)
        closed = closed || (e.event == FD_CLOSE && e.error == 0);
    EXPECT_TRUE(closed);
    EXPECT_EQ(recv(c.s, buf, sizeof buf, 0), 0);
}

TEST_F(WinSockTlsTest, AFailedHandshakeEndsWithItsReason) {
    TlsClient c("ZELVO_TLS_SELF_SIGNED_PORT");
    ASSERT_EQ(c.WaitFor(FD_CONNECT), 0);
    ASSERT_EQ(StartTls(c.s, "localhost"), 0);
    EXPECT_EQ(c.WaitFor(FD_HANDSHAKE), WSAECONNABORTED);
    EXPECT_EQ(TlsFailure(c.s), "Certificate not trusted: self-signed certificate");
    char buf[16];
    EXPECT_EQ(recv(c.s, buf, sizeof buf, 0), SOCKET_ERROR);
    EXPECT_EQ(send(c.s, "x", 1, 0), SOCKET_ERROR);
}

}  // namespace
}  // namespace zelvo::platform
