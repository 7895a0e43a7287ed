// Listening, accepting and the blocking operations: a listening socket and
// the sockets that connect to it, all on 127.0.0.1 in the test's own loop.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/MessageLoop.h"
#include "platform/WinSock.h"
#include "platform/WindowTimer.h"
#include "socket/WSocket.h"
#include "socket/WaitCtrl.h"
#include "support/LoopbackServer.h"
#include "support/WaitFor.h"

namespace zelvo::socket {
namespace {

using testing::LoopbackServer;

using ::zelvo::testing::WaitFor;

std::string States(std::vector<std::string>& log) {
    std::string all;
    for (const auto& l : log)
        all += l + ";";
    log.clear();
    return all;
}

std::string ErrorOf(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const ESocketException& e) {
        return e.what();
    }
    return "";
}

void Aim(TCustomWSocket& s, const std::string& port, const std::string& proto = "tcp") {
    s.SetProto(proto);
    s.SetAddr("127.0.0.1");
    s.SetPort(port);
}

// A listening socket that hands every caller to a fresh server-side socket
// (accept, then Dup), and a client connected to it.
class ServerSideTest : public ::testing::Test {
protected:
    void SetUp() override {
        listener.OnSessionAvailable = [this](TCustomWSocket* sender, TCustomWSocket::Word) {
            auto peer = std::make_unique<TWSocket>();
            peer->Dup(sender->Accept());
            peers.push_back(std::move(peer));
        };
        Aim(listener, "0");
        ASSERT_EQ(listener.Listen(), 0);
        port = listener.GetLocalPort();
    }

    // The handlers of the server-side sockets point into the finished test.
    void TearDown() override {
        for (auto& peer : peers)
            peer->OnChangeState = nullptr;
    }

    // Connects the client and waits for its server-side partner.
    TWSocket& Connect(TWSocket& client) {
        Aim(client, port);
        client.Connect();
        EXPECT_TRUE(WaitFor([&] { return client.State() == wsConnected && !peers.empty(); }));
        return *peers.back();
    }

    TWSocket listener;
    std::string port;
    std::vector<std::unique_ptr<TWSocket>> peers;
};

TEST_F(ServerSideTest, ListenAcceptAndDupGiveAConnectedPair) {
    TWSocket fresh;
    EXPECT_EQ(fresh.GetLocalPort(), "error");
    EXPECT_EQ(fresh.GetPeerAddr(), "error");
    EXPECT_EQ(listener.State(), wsListening);
    EXPECT_NE(port, "error");
    EXPECT_NE(port, "0");

    TWSocket client;
    TWSocket& server = Connect(client);
    EXPECT_EQ(server.State(), wsConnected);
    EXPECT_EQ(server.Handle(), listener.AcceptedHandle());
    EXPECT_EQ(server.GetPeerAddr(), "127.0.0.1");
    EXPECT_EQ(server.GetLocalPort(), port);
    EXPECT_EQ(client.GetPeerAddr(), "127.0.0.1");

    std::string got;
    client.OnDataAvailable = [&](TCustomWSocket* s, TCustomWSocket::Word) {
        char buf[64];
        int n = s->Receive(buf, sizeof buf);
        if (n > 0)
            got.append(buf, static_cast<std::size_t>(n));
    };
    server.SendStr("over the adopted handle");
    ASSERT_TRUE(WaitFor([&] { return got == "over the adopted handle"; }));

    int closed = 0;
    client.OnSessionClosed = [&](TCustomWSocket*, TCustomWSocket::Word) { ++closed; };
    server.Close();
    ASSERT_TRUE(WaitFor([&] { return closed == 1; }));
    EXPECT_EQ(client.State(), wsClosed);
}

TEST_F(ServerSideTest, DupReplacesAnOpenConnection) {
    TWSocket first;
    TWSocket second;
    TWSocket& server = Connect(first);
    Aim(second, port);
    second.Connect();
    ASSERT_TRUE(WaitFor([&] { return second.State() == wsConnected && peers.size() == 2; }));

    int firstClosed = 0;
    first.OnSessionClosed = [&](TCustomWSocket*, TCustomWSocket::Word) { ++firstClosed; };
    std::vector<std::string> log;
    server.OnChangeState = [&](TCustomWSocket*, TSocketState o, TSocketState n) {
        log.push_back(std::to_string(o) + ">" + std::to_string(n));
    };
    platform::SOCKET taken = peers[1]->Handle();
    peers[1]->OnChangeState = nullptr;
    // The second server-side socket lets go of its handle without closing it.
    server.Dup(taken);
    EXPECT_EQ(States(log), "4>7;7>4;");
    ASSERT_TRUE(WaitFor([&] { return firstClosed == 1; }));  // its old connection ended

    std::string got;
    second.OnDataAvailable = [&](TCustomWSocket* s, TCustomWSocket::Word) {
        char buf[16];
        int n = s->Receive(buf, sizeof buf);
        if (n > 0)
            got.append(buf, static_cast<std::size_t>(n));
    };
    server.SendStr("now to the second");
    ASSERT_TRUE(WaitFor([&] { return got == "now to the second"; }));
    peers[1]->MarkDestroying();
    peers.pop_back();  // shares the handle; must not close it under the test
}

TEST_F(ServerSideTest, ServerSideGuardsReportWinsockErrors) {
    TWSocket s;
    EXPECT_EQ(ErrorOf([&] { s.Listen(); }),
              "Error 10022 in function listen: port not assigned\r\nInvalid argument");
    s.SetPort("0");
    EXPECT_EQ(ErrorOf([&] { s.Listen(); }),
              "Error 10022 in function listen: address not assigned\r\nInvalid argument");
    EXPECT_EQ(ErrorOf([&] { s.Accept(); }),
              "Error 10022 in function not a listening socket\r\nInvalid argument");
    EXPECT_EQ(ErrorOf([&] { s.Dup(platform::INVALID_SOCKET); }),
              "Error 10022 in function Dup\r\nInvalid argument");
    EXPECT_EQ(ErrorOf([&] { s.Dup(0); }), "Error 10022 in function Dup\r\nInvalid argument");
    int errors = 0;
    s.OnError = [&](TCustomWSocket*) { ++errors; };
    EXPECT_EQ(s.Listen(), -1);
    EXPECT_EQ(s.Accept(), platform::INVALID_SOCKET);
    EXPECT_EQ(errors, 2);
}

// A port that is taken fails at bind; the socket lets the new handle go, so it
// can listen again at once.
TEST_F(ServerSideTest, BindFailureReleasesTheHandle) {
    TWSocket s;
    Aim(s, port);
    EXPECT_EQ(ErrorOf([&] { s.Listen(); }),
              "Error 10048 in function Bind\r\nAddress already in use");
    EXPECT_EQ(s.State(), wsClosed);
    EXPECT_EQ(s.Handle(), platform::INVALID_SOCKET);
    int errors = 0;
    s.OnError = [&](TCustomWSocket*) { ++errors; };
    EXPECT_EQ(s.Listen(), -1);
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(s.Handle(), platform::INVALID_SOCKET);
    s.SetPort("0");
    EXPECT_EQ(s.Listen(), 0);
    EXPECT_EQ(s.State(), wsListening);
}

TEST_F(ServerSideTest, DatagramListenReceivesADatagram) {
    std::vector<std::string> log;
    std::string got;
    platform::SOCKADDR_IN from{};
    TWSocket s;
    s.OnChangeState = [&](TCustomWSocket*, TSocketState o, TSocketState n) {
        log.push_back(std::to_string(o) + ">" + std::to_string(n));
    };
    s.OnSessionConnected = [&](TCustomWSocket*, TCustomWSocket::Word e) {
        log.push_back("connected " + std::to_string(e));
    };
    s.OnDataAvailable = [&](TCustomWSocket* sender, TCustomWSocket::Word) {
        char buf[64];
        int len = sizeof from;
        int n = sender->ReceiveFrom(buf, sizeof buf, &from, &len);
        if (n > 0)
            got.assign(buf, static_cast<std::size_t>(n));
    };
    Aim(s, "0", "udp");
    ASSERT_EQ(s.Listen(), 0);
    EXPECT_EQ(States(log), "7>2;2>6;6>4;connected 0;");
    EXPECT_EQ(s.State(), wsConnected);
    std::string local = s.GetLocalPort();
    ASSERT_NE(local, "error");

    int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in self{};
    self.sin_family = AF_INET;
    self.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&self), sizeof self), 0);
    sockaddr_in to = self;
    to.sin_port = htons(static_cast<std::uint16_t>(std::stoi(local)));
    ASSERT_EQ(::sendto(fd, "datagram", 8, 0, reinterpret_cast<sockaddr*>(&to), sizeof to), 8);
    ::close(fd);

    ASSERT_TRUE(WaitFor([&] { return got == "datagram"; }));
    EXPECT_EQ(platform::inet_ntoa(from.sin_addr), "127.0.0.1");
    EXPECT_EQ(s.ReadCount(), 8);
}

TEST_F(ServerSideTest, PauseHoldsDataBackUntilResume) {
    TWSocket client;
    TWSocket& server = Connect(client);
    std::string got;
    server.OnDataAvailable = [&](TCustomWSocket* s, TCustomWSocket::Word) {
        char buf[16];
        int n = s->Receive(buf, sizeof buf);
        if (n > 0)
            got.append(buf, static_cast<std::size_t>(n));
    };
    server.Pause();
    client.SendStr("held");
    ASSERT_TRUE(WaitFor([&] { return server.RcvdCount() == 4; }));
    for (int i = 0; i < 10; ++i)
        platform::ProcessMessages();
    EXPECT_EQ(got, "");
    server.Resume();
    ASSERT_TRUE(WaitFor([&] { return got == "held"; }));
}

// A close that arrives while paused is not lost: it is announced again once
// the socket resumes.
TEST_F(ServerSideTest, PeerCloseWhilePausedArrivesAfterResume) {
    TWSocket client;
    TWSocket& server = Connect(client);
    int closed = 0;
    server.OnSessionClosed = [&](TCustomWSocket*, TCustomWSocket::Word) { ++closed; };
    server.Pause();
    client.Close();
    for (int i = 0; i < 10; ++i)
        platform::ProcessMessages();
    EXPECT_EQ(closed, 0);
    server.Resume();
    ASSERT_TRUE(WaitFor([&] { return closed == 1; }));
    EXPECT_EQ(server.State(), wsClosed);
}

TEST_F(ServerSideTest, ResumedListenerStillAccepts) {
    listener.Pause();
    listener.Resume();
    TWSocket client;
    Connect(client);
    EXPECT_EQ(peers.size(), 1u);
}

// ------------------------------------------------------------------ ReadLine

TEST_F(ServerSideTest, EchoThroughReadLine) {
    TWSocket client;
    TWSocket& server = Connect(client);
    client.SetMultiThreaded(true);
    server.SetMultiThreaded(true);
    client.SendStr("first\r\nsecond\n");
    std::vector<std::string> echoed;
    for (int i = 0; i < 2; ++i) {
        std::string line;
        server.ReadLine(10, line);
        server.SendStr("echo " + line + "\r\n");
        std::string back;
        client.ReadLine(10, back);
        echoed.push_back(back);
    }
    EXPECT_EQ(echoed, (std::vector<std::string>{"echo first", "echo second"}));
    EXPECT_FALSE(server.LineMode());
    EXPECT_EQ(server.ReadCount(), 14);
}

TEST_F(ServerSideTest, LinesUpTo254CharactersAndLonger) {
    TWSocket client;
    TWSocket& server = Connect(client);
    server.SetMultiThreaded(true);
    int tooLong = 0;
    server.OnLineTooLong = [&](TCustomWSocket*) { ++tooLong; };
    const std::string fits(254, 'a');
    const std::string longer = std::string(254, 'b') + "cdef";
    client.SendStr(fits + "\r\n" + longer + "\r\n" + "\r\nlast\n");

    std::string line;
    server.ReadLine(10, line);
    EXPECT_EQ(line, fits);
    EXPECT_EQ(tooLong, 0);
    server.ReadLine(10, line);
    EXPECT_EQ(line, std::string(254, 'b'));
    EXPECT_EQ(tooLong, 1);
    server.ReadLine(10, line);  // the rest of the long line comes next
    EXPECT_EQ(line, "cdef");
    server.ReadLine(10, line);
    EXPECT_EQ(line, "");
    server.ReadLine(10, line);
    EXPECT_EQ(line, "last");
    EXPECT_EQ(tooLong, 1);
}

TEST_F(ServerSideTest, ReadLineEndsWhenThePeerCloses) {
    TWSocket client;
    TWSocket& server = Connect(client);
    server.SetMultiThreaded(true);
    client.SendStr("no line end");
    client.OnDataSent = [&](TCustomWSocket* s, TCustomWSocket::Word) { s->Close(); };
    std::string line;
    server.ReadLine(10, line);
    EXPECT_EQ(line, "no line end");
    EXPECT_EQ(server.State(), wsClosed);
}

TEST_F(ServerSideTest, ReadLineTimesOutAndLeavesLineMode) {
    TWSocket client;
    TWSocket& server = Connect(client);
    server.SetMultiThreaded(true);
    client.SendStr("partial");
    std::string line = "unchanged";
    server.ReadLine(1, line);
    EXPECT_EQ(line, "partial");
    EXPECT_FALSE(server.LineMode());
    EXPECT_EQ(server.State(), wsConnected);
}

TEST_F(ServerSideTest, BlockingOperationsNeedAWaitObject) {
    TWSocket client;
    TWSocket& server = Connect(client);
    std::string line;
    EXPECT_EQ(ErrorOf([&] { server.ReadLine(1, line); }), "No wait object assigned");
    EXPECT_EQ(ErrorOf([&] { server.Flush(); }), "No wait object assigned");
    EXPECT_EQ(ErrorOf([&] { server.Wait(1, wsClosed); }),
              "Error 11004 in function TWSocket.Wait\r\nNo Data");
    EXPECT_EQ(server.WaitTargetState(), wsInvalidState);
    EXPECT_EQ(server.State(), wsConnected);
    EXPECT_TRUE(server.Wait(1, wsConnected));  // already there: no wait object needed
}

TEST_F(ServerSideTest, ReadLineWithAWaitControl) {
    TWSocket client;
    TWSocket& server = Connect(client);
    TWaitCtrl ctrl;
    server.SetWaitCtrl(&ctrl);
    platform::WindowTimer later(50, [&] {
        later.SetEnabled(false);
        client.SendStr("through the control\r\n");
    });
    later.SetEnabled(true);
    std::string line;
    server.ReadLine(30, line);
    EXPECT_EQ(line, "through the control");
    EXPECT_FALSE(ctrl.Running());
    EXPECT_FALSE(ctrl.Visible());
}

// ---------------------------------------------------------------------- Wait

TEST_F(ServerSideTest, WaitForAState) {
    TWSocket client;
    client.SetMultiThreaded(true);
    Aim(client, port);
    client.Connect();
    EXPECT_EQ(client.State(), wsConnecting);
    EXPECT_TRUE(client.Wait(10, wsConnected));
    EXPECT_EQ(client.WaitTargetState(), wsInvalidState);

    platform::DWORD start = platform::GetTickCount();
    EXPECT_FALSE(client.Wait(1, wsListening));
    EXPECT_GE(platform::GetTickCount() - start, 900u);  // it did wait
    EXPECT_EQ(client.State(), wsConnected);
}

TEST_F(ServerSideTest, WaitForAConnectionThatIsRefusedEndsAtTheClose) {
    for (bool multiThreaded : {true, false}) {
        TWSocket client;
        TWaitCtrl ctrl;
        client.SetMultiThreaded(multiThreaded);
        client.SetWaitCtrl(&ctrl);
        Aim(client, std::to_string(LoopbackServer::ClosedPort()));
        client.Connect();
        EXPECT_FALSE(client.Wait(30, wsConnected)) << multiThreaded;
        EXPECT_EQ(client.State(), wsClosed);
        EXPECT_FALSE(ctrl.Running());
    }
}

TEST_F(ServerSideTest, WaitWithAWaitControlStopsAtTheState) {
    TWSocket client;
    TWaitCtrl ctrl;
    client.SetWaitCtrl(&ctrl);
    Aim(client, port);
    client.Connect();
    std::vector<bool> shown;
    client.OnChangeState = [&](TCustomWSocket*, TSocketState, TSocketState) {
        shown.push_back(ctrl.Visible());
    };
    EXPECT_TRUE(client.Wait(30, wsConnected));
    EXPECT_EQ(shown, std::vector<bool>{true});
    EXPECT_FALSE(ctrl.Visible());
    EXPECT_FALSE(ctrl.Running());
    EXPECT_EQ(ctrl.Caption(), "30");  // stopped before a second went by
    client.OnChangeState = nullptr;
}

// --------------------------------------------------------------------- Flush

TEST_F(ServerSideTest, FlushDrainsAMegabyte) {
    TWSocket client;
    TWSocket& server = Connect(client);
    std::size_t received = 0;
    server.OnDataAvailable = [&](TCustomWSocket* s, TCustomWSocket::Word) {
        char buf[8192];
        int n = s->Receive(buf, sizeof buf);
        if (n > 0)
            received += static_cast<std::size_t>(n);
    };
    client.SetMultiThreaded(true);
    // Megabytes until the system's buffers are full and some stay queued.
    const std::string data(1024 * 1024, 'f');
    std::size_t sent = 0;
    while (client.AllSent() && sent < 256 * data.size()) {
        client.SendStr(data);
        sent += data.size();
    }
    ASSERT_FALSE(client.AllSent());
    EXPECT_GT(client.SendBlocks().size(), 1u);
    client.Flush();
    ASSERT_EQ(client.SendBlocks().size(), 1u);
    EXPECT_EQ(client.SendBlocks()[0].Peek().second, 0);
    ASSERT_TRUE(WaitFor([&] { return received == sent; }));
}

TEST_F(ServerSideTest, FlushWithAWaitControl) {
    TWSocket client;
    TWSocket& server = Connect(client);
    std::size_t received = 0;
    server.OnDataAvailable = [&](TCustomWSocket* s, TCustomWSocket::Word) {
        char buf[8192];
        int n = s->Receive(buf, sizeof buf);
        if (n > 0)
            received += static_cast<std::size_t>(n);
    };
    TWaitCtrl ctrl;
    client.SetWaitCtrl(&ctrl);
    const std::string data(1024 * 1024, 'w');
    std::size_t sent = 0;
    while (client.AllSent() && sent < 256 * data.size()) {
        client.SendStr(data);
        sent += data.size();
    }
    ASSERT_FALSE(client.AllSent());
    client.Flush();
    EXPECT_EQ(client.SendBlocks()[0].Peek().second, 0);
    EXPECT_FALSE(ctrl.Running());
    EXPECT_FALSE(ctrl.Visible());
    ASSERT_TRUE(WaitFor([&] { return received == sent; }));
}

// A peer that stops reading holds a flush with the private pump only until
// FlushTimeout, as the wait control's countdown does.
TEST_F(ServerSideTest, FlushGivesUpAfterFlushTimeout) {
    TWSocket client;
    TWSocket& server = Connect(client);
    server.Pause();
    client.SetMultiThreaded(true);
    client.SetFlushTimeout(1);
    const std::string data(64 * 1024 * 1024, 'x');
    client.SendStr(data);
    ASSERT_FALSE(client.AllSent());
    client.Flush();
    EXPECT_FALSE(client.AllSent());
    client.Abort();
}

// -------------------------------------------------------------- WaitForClose

TEST(WaitForCloseTest, ReturnsWhenThePeerClosesWithDataUnread) {
    LoopbackServer server([](LoopbackServer::Conn& c) { c.Write("never read"); });
    TWSocket client;
    int closed = 0;
    client.OnSessionClosed = [&](TCustomWSocket*, TCustomWSocket::Word) { ++closed; };
    Aim(client, std::to_string(server.Port()));
    client.Connect();
    ASSERT_TRUE(WaitFor([&] { return client.State() == wsConnected; }));
    client.WaitForClose();
    ASSERT_TRUE(WaitFor([&] { return closed == 1; }));
    EXPECT_EQ(client.State(), wsClosed);
}

TEST(WaitForCloseTest, FeedsTheDataHandlerUntilTheClose) {
    LoopbackServer server([](LoopbackServer::Conn& c) {
        c.Write("part one, ");
        c.Write("part two");
    });
    TWSocket client;
    std::string got;
    client.OnDataAvailable = [&](TCustomWSocket* s, TCustomWSocket::Word) {
        char buf[4];
        int n = s->Receive(buf, sizeof buf);
        if (n > 0)
            got.append(buf, static_cast<std::size_t>(n));
    };
    Aim(client, std::to_string(server.Port()));
    client.Connect();
    ASSERT_TRUE(WaitFor([&] { return client.State() == wsConnected; }));
    client.WaitForClose();
    ASSERT_TRUE(WaitFor([&] { return client.State() == wsClosed; }));
    EXPECT_EQ(got, "part one, part two");
}

// -------------------------------------------------------------- wait control

TEST(WaitCtrlTest, CountsDownAndStopsAtZero) {
    TWaitCtrl ctrl;
    ctrl.SetCaption("1");
    ctrl.Run();
    EXPECT_FALSE(ctrl.Running());
    EXPECT_EQ(ctrl.Caption(), "0");
    ctrl.SetCaption("0");
    ctrl.Start();
    EXPECT_FALSE(ctrl.Running());
}

TEST(WaitCtrlTest, RunReturnsWhenStoppedOrDestroyed) {
    TWaitCtrl ctrl;
    ctrl.SetCaption("waiting");
    platform::WindowTimer stop(20, [&] { ctrl.Stop(); });
    stop.SetEnabled(true);
    ctrl.Run();
    EXPECT_FALSE(ctrl.Running());
    EXPECT_EQ(ctrl.Caption(), "waiting");
    stop.SetEnabled(false);

    auto owned = std::make_unique<TWaitCtrl>();
    TWSocket s;
    s.SetWaitCtrl(owned.get());
    EXPECT_EQ(s.WaitCtrl(), owned.get());
    platform::WindowTimer destroy(20, [&] { owned.reset(); });
    destroy.SetEnabled(true);
    TWaitCtrl* raw = owned.get();
    raw->Run();
    EXPECT_EQ(s.WaitCtrl(), nullptr);
}

}  // namespace
}  // namespace zelvo::socket
