// The Winsock layer against a real loopback peer: notifications, their
// re-enabling rules, error codes and the lookup service through its seam.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "platform/MessageLoop.h"
#include "platform/WinSock.h"
#include "platform/WindowTimer.h"
#include "support/LoopbackServer.h"
#include "support/WaitFor.h"

namespace zelvo::platform {
namespace {

using ::zelvo::testing::WaitFor;

struct Note {
    WPARAM wParam;
    unsigned event;
    unsigned error;
};

class WinSockTest : public ::testing::Test {
protected:
    void SetUp() override {
        WSADATA data;
        ASSERT_EQ(WSAStartup(0x0101, &data), 0);
    }
    void TearDown() override {
        SetHostResolver({});
        WSACleanup();
    }

    int Count(unsigned event) const {
        int n = 0;
        for (const Note& note : notes)
            n += note.event == event ? 1 : 0;
        return n;
    }

    static SOCKADDR_IN Loopback(std::uint16_t port) {
        SOCKADDR_IN a;
        a.sin_family = WS_AF_INET;
        a.sin_port = WsHtons(port);
        a.sin_addr.S_addr = inet_addr("127.0.0.1");
        return a;
    }

    std::vector<Note> notes;
    MessageWindow window{[this](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
        if (msg == WM_USER + 1)
            notes.push_back({w, LoWord(static_cast<std::uintptr_t>(l)),
                             HiWord(static_cast<std::uintptr_t>(l))});
        return 0;
    }};
};

TEST_F(WinSockTest, AddressTextConversions) {
    EXPECT_EQ(inet_ntoa(IN_ADDR{inet_addr("127.0.0.1")}), "127.0.0.1");
    EXPECT_EQ(inet_ntoa(IN_ADDR{inet_addr("10.1.2.3")}), "10.1.2.3");
    EXPECT_EQ(inet_ntoa(IN_ADDR{inet_addr("127.1")}), "127.0.0.1");
    EXPECT_EQ(inet_addr("255.255.255.255"), WS_INADDR_NONE);
    EXPECT_EQ(inet_addr("host.example"), WS_INADDR_NONE);
    EXPECT_EQ(inet_addr("1.2.3.4 "), WS_INADDR_NONE);
    EXPECT_EQ(inet_addr("256.1.1.1"), WS_INADDR_NONE);
    EXPECT_EQ(inet_addr(""), WS_INADDR_NONE);
    EXPECT_EQ(WsNtohs(WsHtons(8080)), 8080);
}

TEST_F(WinSockTest, UnknownHandleAndOptionsReportWinsockCodes) {
    std::uint32_t n = 0;
    EXPECT_EQ(ioctlsocket(12345, WS_FIONREAD, &n), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
    SOCKET s = socket(WS_AF_INET, WS_SOCK_STREAM, WS_IPPROTO_TCP);
    ASSERT_NE(s, INVALID_SOCKET);
    char buf[4];
    EXPECT_EQ(recv(s, buf, sizeof buf, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTCONN);
    EXPECT_EQ(send(s, buf, sizeof buf, 0), SOCKET_ERROR);
    EXPECT_TRUE(WSAGetLastError() == WSAENOTCONN || WSAGetLastError() == WSAECONNRESET);
    EXPECT_EQ(closesocket(s), 0);
    EXPECT_EQ(closesocket(s), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
}

TEST_F(WinSockTest, RefusedConnectionArrivesAsConnectNotification) {
    SOCKET s = socket(WS_AF_INET, WS_SOCK_STREAM, WS_IPPROTO_TCP);
    ASSERT_EQ(
        WSAAsyncSelect(s, window.Handle(), WM_USER + 1, FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE),
        0);
    SOCKADDR_IN to = Loopback(testing::LoopbackServer::ClosedPort());
    EXPECT_EQ(connect(s, &to, sizeof to), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
    ASSERT_TRUE(WaitFor([&] { return Count(FD_CONNECT) == 1; }));
    EXPECT_EQ(notes[0].wParam, s);
    EXPECT_EQ(notes[0].error, static_cast<unsigned>(WSAECONNREFUSED));
    EXPECT_EQ(Count(FD_WRITE), 0);
    closesocket(s);
}

// With data left unread no second FD_READ comes, however much more arrives;
// reading re-enables it, and the peer's close is announced once.
TEST_F(WinSockTest, ReadNotificationsFollowTheReEnablingRules) {
    std::promise<void> release;
    auto released = release.get_future().share();
    testing::LoopbackServer server([&](testing::LoopbackServer::Conn& c) {
        c.Write(std::string(100, 'a'));
        released.wait();
        c.Write(std::string(100, 'b'));
    });
    SOCKET s = socket(WS_AF_INET, WS_SOCK_STREAM, WS_IPPROTO_TCP);
    ASSERT_EQ(
        WSAAsyncSelect(s, window.Handle(), WM_USER + 1, FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE),
        0);
    SOCKADDR_IN to = Loopback(server.Port());
    connect(s, &to, sizeof to);
    ASSERT_TRUE(WaitFor([&] { return Count(FD_CONNECT) == 1 && Count(FD_READ) == 1; }));
    EXPECT_EQ(notes[0].event, static_cast<unsigned>(FD_CONNECT));
    EXPECT_EQ(notes[0].error, 0u);
    EXPECT_EQ(Count(FD_WRITE), 1);  // a fresh connection can send

    release.set_value();
    std::uint32_t waiting = 0;
    ASSERT_TRUE(WaitFor([&] {
        ioctlsocket(s, WS_FIONREAD, &waiting);
        return waiting == 200;
    }));
    for (int i = 0; i < 20; ++i)
        ProcessMessages();
    EXPECT_EQ(Count(FD_READ), 1);

    char buf[300];
    EXPECT_EQ(recv(s, buf, 50, 0), 50);
    ASSERT_TRUE(WaitFor([&] { return Count(FD_READ) == 2; }));
    EXPECT_EQ(recv(s, buf, sizeof buf, 0), 150);
    // The server's handler has returned and the connection is closed.
    ASSERT_TRUE(WaitFor([&] { return Count(FD_CLOSE) == 1; }));
    for (int i = 0; i < 20; ++i)
        ProcessMessages();
    EXPECT_EQ(Count(FD_CLOSE), 1);
    EXPECT_EQ(Count(FD_READ), 2);
    EXPECT_EQ(recv(s, buf, sizeof buf, 0), 0);
    closesocket(s);
}

// Nobody reads, yet the peer's close is announced; the unread data is still
// there afterwards, and a zero-length read tells the close apart from an open
// connection.
TEST_F(WinSockTest, PeerCloseIsAnnouncedWithDataUnread) {
    std::promise<void> release;
    auto released = release.get_future().share();
    testing::LoopbackServer server([&](testing::LoopbackServer::Conn& c) {
        c.Write("unread");
        released.wait();
    });
    SOCKET s = socket(WS_AF_INET, WS_SOCK_STREAM, WS_IPPROTO_TCP);
    WSAAsyncSelect(s, window.Handle(), WM_USER + 1, FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE);
    SOCKADDR_IN to = Loopback(server.Port());
    connect(s, &to, sizeof to);
    ASSERT_TRUE(WaitFor([&] { return Count(FD_READ) == 1; }));
    char none;
    EXPECT_EQ(recv(s, &none, 0, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);

    release.set_value();
    ASSERT_TRUE(WaitFor([&] { return Count(FD_CLOSE) == 1; }));
    EXPECT_EQ(recv(s, &none, 0, 0), 0);
    char buf[16];
    EXPECT_EQ(recv(s, buf, 1, WS_MSG_PEEK), 1);
    EXPECT_EQ(recv(s, buf, sizeof buf, 0), 6);
    EXPECT_EQ(std::string(buf, 6), "unread");
    for (int i = 0; i < 10; ++i)
        ProcessMessages();
    EXPECT_EQ(Count(FD_CLOSE), 1);
    closesocket(s);
}

TEST_F(WinSockTest, NoNotificationIsDeliveredForAClosedSocket) {
    testing::LoopbackServer server([](testing::LoopbackServer::Conn& c) { c.Write("data"); });
    SOCKET s = socket(WS_AF_INET, WS_SOCK_STREAM, WS_IPPROTO_TCP);
    WSAAsyncSelect(s, window.Handle(), WM_USER + 1, FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE);
    SOCKADDR_IN to = Loopback(server.Port());
    connect(s, &to, sizeof to);
    ASSERT_TRUE(WaitFor([&] { return Count(FD_CONNECT) == 1; }));
    closesocket(s);
    SOCKET next = socket(WS_AF_INET, WS_SOCK_STREAM, WS_IPPROTO_TCP);
    EXPECT_NE(next, s);  // handles are never reused
    closesocket(next);
}

TEST_F(WinSockTest, LookupAnswersInTheResolversOrder) {
    SetHostResolver([](const std::string& name, std::vector<std::uint32_t>& addrs) {
        if (name != "two.test")
            return WSAHOST_NOT_FOUND;
        addrs = {inet_addr("10.0.0.2"), inet_addr("10.0.0.1")};
        return 0;
    });
    std::vector<Note> done;
    MessageWindow lookups([&](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
        if (msg == WM_USER + 2)
            done.push_back({w, 0, HiWord(static_cast<std::uintptr_t>(l))});
        return 0;
    });
    HOSTENT found, missing;
    HANDLE a = WSAAsyncGetHostByName(lookups.Handle(), WM_USER + 2, "two.test", &found);
    HANDLE b = WSAAsyncGetHostByName(lookups.Handle(), WM_USER + 2, "none.test", &missing);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_NE(a, b);
    ASSERT_TRUE(WaitFor([&] { return done.size() == 2; }));
    for (const Note& n : done) {
        if (n.wParam == a) {
            EXPECT_EQ(n.error, 0u);
        } else {
            EXPECT_EQ(n.wParam, b);
            EXPECT_EQ(n.error, static_cast<unsigned>(WSAHOST_NOT_FOUND));
        }
    }
    ASSERT_EQ(found.h_addr_list.size(), 2u);
    EXPECT_EQ(inet_ntoa(IN_ADDR{found.h_addr_list[0]}), "10.0.0.2");
    EXPECT_EQ(inet_ntoa(IN_ADDR{found.h_addr_list[1]}), "10.0.0.1");
    EXPECT_TRUE(missing.h_addr_list.empty());
}

TEST_F(WinSockTest, CancelledLookupPostsNothing) {
    std::promise<void> go;
    std::shared_future<void> goFuture = go.get_future().share();
    std::atomic<bool> firstReturned{false};
    SetHostResolver([&, goFuture](const std::string& name, std::vector<std::uint32_t>& addrs) {
        if (name == "slow.test") {
            goFuture.wait();
            addrs = {inet_addr("10.9.9.9")};
            firstReturned = true;
            return 0;
        }
        while (!firstReturned)
            std::this_thread::yield();
        // Let the first worker hand its answer over before this one does.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        addrs = {inet_addr("10.1.1.1")};
        return 0;
    });
    std::vector<WPARAM> done;
    MessageWindow lookups([&](UINT msg, WPARAM w, LPARAM) -> LRESULT {
        if (msg == WM_USER + 2)
            done.push_back(w);
        return 0;
    });
    HOSTENT slow, quick;
    HANDLE a = WSAAsyncGetHostByName(lookups.Handle(), WM_USER + 2, "slow.test", &slow);
    EXPECT_EQ(WSACancelAsyncRequest(a), 0);
    go.set_value();
    HANDLE b = WSAAsyncGetHostByName(lookups.Handle(), WM_USER + 2, "quick.test", &quick);
    ASSERT_TRUE(WaitFor([&] { return !done.empty(); }));
    for (int i = 0; i < 10; ++i)
        ProcessMessages();
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0], b);
    EXPECT_TRUE(slow.h_addr_list.empty());
    EXPECT_EQ(WSACancelAsyncRequest(0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
}

TEST_F(WinSockTest, BlockingLookupGoesThroughTheSeam) {
    SetHostResolver([](const std::string& name, std::vector<std::uint32_t>& addrs) {
        if (name == "one.test") {
            addrs = {inet_addr("127.0.0.1")};
            return 0;
        }
        return WSANO_DATA;
    });
    const HOSTENT* e = gethostbyname("one.test");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(inet_ntoa(IN_ADDR{e->h_addr_list.at(0)}), "127.0.0.1");
    EXPECT_EQ(gethostbyname("other.test"), nullptr);
    EXPECT_EQ(WSAGetLastError(), WSANO_DATA);
}

TEST_F(WinSockTest, ServiceAndProtocolNames) {
    std::string tcp = "tcp";
    const SERVENT* http = getservbyname("http", &tcp);
    ASSERT_NE(http, nullptr);
    EXPECT_EQ(WsNtohs(http->s_port), 80);
    EXPECT_EQ(getservbyname("no-such-service", &tcp), nullptr);
    const PROTOENT* p = getprotobyname("udp");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->p_proto, 17);
}

}  // namespace
}  // namespace zelvo::platform
