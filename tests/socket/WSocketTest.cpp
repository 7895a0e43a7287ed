// The socket component against loopback peers of the tests' own.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/MessageLoop.h"
#include "platform/WinSock.h"
#include "platform/WindowTimer.h"
#include "socket/WSocket.h"
#include "support/LoopbackServer.h"
#include "support/WaitFor.h"

namespace zelvo::socket {
namespace {

using testing::LoopbackServer;

using ::zelvo::testing::WaitFor;

// Records every event as a line, so order can be asserted.
struct Recorder {
    explicit Recorder(TCustomWSocket& s) {
        s.OnChangeState = [this](TCustomWSocket*, TSocketState o, TSocketState n) {
            log.push_back("state " + std::to_string(o) + ">" + std::to_string(n));
        };
        s.OnSessionConnected = [this](TCustomWSocket*, TCustomWSocket::Word e) {
            log.push_back("connected " + std::to_string(e));
        };
        s.OnSessionClosed = [this](TCustomWSocket*, TCustomWSocket::Word e) {
            log.push_back("closed " + std::to_string(e));
        };
        s.OnDnsLookupDone = [this](TCustomWSocket*, TCustomWSocket::Word e) {
            log.push_back("lookup " + std::to_string(e));
        };
        s.OnDataSent = [this](TCustomWSocket*, TCustomWSocket::Word e) {
            log.push_back("sent " + std::to_string(e));
        };
    }
    int Count(const std::string& line) const {
        int n = 0;
        for (const auto& l : log)
            n += l == line ? 1 : 0;
        return n;
    }
    std::vector<std::string> log;
};

// Exposes the send buffer's filling for the block layout checks.
class BlockSocket : public TWSocket {
public:
    using TCustomWSocket::AppendToSendBuffer;
};

class WSocketTest : public ::testing::Test {
protected:
    void TearDown() override { platform::SetHostResolver({}); }

    static void Aim(TCustomWSocket& s, std::uint16_t port) {
        s.SetAddr("127.0.0.1");
        s.SetPort(std::to_string(port));
        s.SetProto("tcp");
    }
};

TEST(WinsockErrorTextTest, TableTexts) {
    EXPECT_EQ(WinsockErrorText(0), "No Error");
    EXPECT_EQ(WinsockErrorText(10004), "Interrupted system call");
    EXPECT_EQ(WinsockErrorText(10047), "Address family not supported by protocol family");
    EXPECT_EQ(WinsockErrorText(10061), "Connection refused");
    EXPECT_EQ(WinsockErrorText(10071), "Too many levels of remote in path");
    EXPECT_EQ(WinsockErrorText(10092), "WinSock DLL cannot support this application");
    EXPECT_EQ(WinsockErrorText(11001), "Host not found");
    EXPECT_EQ(WinsockErrorText(11004), "No Data");
    EXPECT_EQ(WinsockErrorText(10072), "Not a WinSock error");
    EXPECT_EQ(WinsockErrorText(-1), "Not a WinSock error");
}

TEST(TBufferTest, AppendPeekConsume) {
    TBuffer b(10);
    EXPECT_EQ(b.Append("abcdefgh", 8), 8);
    EXPECT_EQ(b.Append("xyz", 3), 2);  // only what fits
    EXPECT_EQ(b.Append("q", 1), 0);
    auto [p, n] = b.Peek();
    EXPECT_EQ(std::string(p, static_cast<std::size_t>(n)), "abcdefghxy");
    EXPECT_EQ(b.Consume(4), 4);
    auto [p2, n2] = b.Peek();
    EXPECT_EQ(std::string(p2, static_cast<std::size_t>(n2)), "efghxy");
    EXPECT_EQ(b.Consume(100), 6);  // never more than is unsent
    EXPECT_EQ(b.Peek().second, 0);
    EXPECT_EQ(b.WritePos(), 0);  // a drained block starts again at its beginning
    EXPECT_EQ(b.Append("z", 1), 1);
}

TEST(TBufferTest, ResizeKeepsStoredBytes) {
    TBuffer b(0);
    EXPECT_EQ(b.Size(), 1514);
    b.Append("hello", 5);
    b.Resize(64);
    EXPECT_EQ(b.Size(), 64);
    auto [p, n] = b.Peek();
    EXPECT_EQ(std::string(p, static_cast<std::size_t>(n)), "hello");
    b.Resize(3);  // smaller than what is stored: keeps what fits, no overrun
    EXPECT_EQ(b.WritePos(), 3);
    EXPECT_EQ(b.Append("x", 1), 0);
}

TEST_F(WSocketTest, ResetValuesAtConstruction) {
    TWSocket s;
    EXPECT_EQ(s.State(), wsClosed);
    EXPECT_EQ(s.Proto(), "tcp");
    EXPECT_EQ(s.ProtocolNumber(), 6);
    EXPECT_EQ(s.FlushTimeout(), 60);
    EXPECT_TRUE(s.AllSent());
    EXPECT_EQ(s.Handle(), platform::INVALID_SOCKET);
    EXPECT_EQ(s.SendFlags(), wsSendNormal);
}

TEST_F(WSocketTest, PortAndProtoConversion) {
    TWSocket s;
    s.SetPort(" 8080");
    EXPECT_EQ(s.PortNumber(), 8080);
    s.SetPort("80a");
    EXPECT_EQ(s.PortNumber(), 80);
    s.SetPort("http");
    EXPECT_EQ(s.PortNumber(), 80);
    EXPECT_EQ(s.Port(), "http");
    try {
        s.SetPort("no-such-service");
        FAIL() << "expected a conversion error";
    } catch (const ESocketException& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Error 11004 in function SetPort: Cannot convert port 'no-such-service'\r\nNo "
                  "Data");
    }
    EXPECT_EQ(s.Port(), "no-such-service");  // the text stays stored
    s.SetProto("udp");
    EXPECT_EQ(s.ProtocolNumber(), 17);
    EXPECT_EQ(s.SocketType(), platform::WS_SOCK_DGRAM);
    s.SetProto("6");
    EXPECT_EQ(s.SocketType(), platform::WS_SOCK_STREAM);
}

TEST_F(WSocketTest, AddrConversion) {
    platform::SetHostResolver([](const std::string& name, std::vector<std::uint32_t>& a) {
        if (name != "named.test")
            return platform::WSAHOST_NOT_FOUND;
        a = {platform::inet_addr("127.0.0.1")};
        return 0;
    });
    TWSocket s;
    s.SetAddr("255.255.255.255");  // the broadcast address needs no lookup
    s.SetAddr(" named.test ");
    bool errorFired = false;
    s.OnError = [&](TCustomWSocket*) { errorFired = true; };
    // Raised directly, whatever OnError says.
    EXPECT_THROW(
        {
            try {
                s.SetAddr(" nowhere.test");
            } catch (const ESocketException& e) {
                EXPECT_EQ(std::string(e.what()),
                          "SetAddr: Cannot convert host address ' nowhere.test'");
                throw;
            }
        },
        ESocketException);
    EXPECT_FALSE(errorFired);
}

TEST_F(WSocketTest, ConnectGuards) {
    TWSocket s;
    std::vector<std::string> raised;
    auto expectRaise = [&](const std::string& text) {
        try {
            s.Connect();
            ADD_FAILURE() << "no error for " << text;
        } catch (const ESocketException& e) {
            EXPECT_EQ(std::string(e.what()), text);
        }
    };
    expectRaise("Connect: No Port Specified");
    s.SetPort("80");
    expectRaise("Connect: No IP Address Specified");
    s.SetAddr("127.0.0.1");
    s.SetProto("not found");
    EXPECT_NO_THROW(s.Connect());  // "not found" is stored but not converted
    s.Abort();
}

TEST_F(WSocketTest, SendWhenNotConnectedClosesAndReports) {
    TWSocket s;
    try {
        s.Send("x", 1);
        FAIL();
    } catch (const ESocketException& e) {
        EXPECT_EQ(std::string(e.what()), "Error 10057 in function Send\r\nSocket is not connected");
    }
    int errors = 0;
    s.OnError = [&](TCustomWSocket*) { ++errors; };
    EXPECT_EQ(s.Send("x", 1), -1);
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(s.State(), wsClosed);
}

TEST_F(WSocketTest, SendBlocksOfOneFrame) {
    BlockSocket s;
    std::string data(5000, 'x');
    s.AppendToSendBuffer(data.data(), 5000);
    ASSERT_EQ(s.SendBlocks().size(), 4u);
    EXPECT_EQ(s.SendBlocks()[0].WritePos(), 1514);
    EXPECT_EQ(s.SendBlocks()[2].WritePos(), 1514);
    EXPECT_EQ(s.SendBlocks()[3].WritePos(), 458);
    s.AppendToSendBuffer(data.data(), 0);
    EXPECT_EQ(s.SendBlocks().size(), 4u);
}

TEST_F(WSocketTest, DottedLookupAnswersInsideTheCall) {
    TWSocket s;
    Recorder r(s);
    s.DnsLookup("10.1.2.3");
    ASSERT_EQ(r.log, std::vector<std::string>{"lookup 0"});
    EXPECT_EQ(s.DnsResult(), "10.1.2.3");
    EXPECT_TRUE(s.DnsResultList().empty());
}

TEST_F(WSocketTest, NamedLookupAnswersLaterWithEveryAddress) {
    platform::SetHostResolver([](const std::string& name, std::vector<std::uint32_t>& a) {
        if (name == "bad.test")
            return platform::WSAHOST_NOT_FOUND;
        a = {platform::inet_addr("127.0.0.2"), platform::inet_addr("127.0.0.1")};
        return 0;
    });
    TWSocket s;
    Recorder r(s);
    s.DnsLookup("two.test");
    EXPECT_TRUE(r.log.empty());
    ASSERT_TRUE(WaitFor([&] { return !r.log.empty(); }));
    EXPECT_EQ(r.log, std::vector<std::string>{"lookup 0"});
    EXPECT_EQ(s.DnsResult(), "127.0.0.2");
    EXPECT_EQ(s.DnsResultList(), (std::vector<std::string>{"127.0.0.2", "127.0.0.1"}));

    s.DnsLookup("bad.test");
    ASSERT_TRUE(WaitFor([&] { return r.log.size() == 2; }));
    EXPECT_EQ(r.log[1], "lookup 11001");
    EXPECT_EQ(s.DnsResult(), "");
}

TEST_F(WSocketTest, EmptyHostLookup) {
    TWSocket s;
    Recorder r(s);
    EXPECT_THROW(s.DnsLookup(""), ESocketException);
    EXPECT_TRUE(r.log.empty());
    s.OnError = [](TCustomWSocket*) {};
    s.DnsLookup("");
    EXPECT_EQ(r.log, std::vector<std::string>{"lookup 10022"});
}

TEST_F(WSocketTest, CancelledLookupAnswersOnceWithInterrupted) {
    platform::SetHostResolver([](const std::string&, std::vector<std::uint32_t>& a) {
        a = {platform::inet_addr("127.0.0.1")};
        return 0;
    });
    TWSocket s;
    Recorder r(s);
    s.DnsLookup("any.test");
    s.CancelDnsLookup();
    EXPECT_EQ(r.log, std::vector<std::string>{"lookup 10004"});
    s.CancelDnsLookup();  // nothing pending: nothing happens
    // A second, answered lookup shows the loop ran past the cancelled one.
    s.DnsLookup("again.test");
    ASSERT_TRUE(WaitFor([&] { return r.log.size() == 2; }));
    for (int i = 0; i < 10; ++i)
        platform::ProcessMessages();
    EXPECT_EQ(r.log, (std::vector<std::string>{"lookup 10004", "lookup 0"}));
}

TEST_F(WSocketTest, CancelWhileDestroyingFiresNothing) {
    platform::SetHostResolver([](const std::string&, std::vector<std::uint32_t>& a) {
        a = {platform::inet_addr("127.0.0.1")};
        return 0;
    });
    TWSocket s;
    Recorder r(s);
    s.DnsLookup("any.test");
    s.MarkDestroying();
    s.CancelDnsLookup();
    EXPECT_TRUE(r.log.empty());
}

TEST_F(WSocketTest, RefusedConnection) {
    TWSocket s;
    Recorder r(s);
    Aim(s, LoopbackServer::ClosedPort());
    s.Connect();
    EXPECT_EQ(r.log, (std::vector<std::string>{"state 7>1", "state 1>3"}));
    ASSERT_TRUE(WaitFor([&] { return r.Count("closed 0") == 1; }));
    EXPECT_EQ(r.log, (std::vector<std::string>{"state 7>1", "state 1>3", "state 3>4",
                                               "connected 10061", "state 4>7", "closed 0"}));
    EXPECT_EQ(s.State(), wsClosed);
    s.Close();  // closing a closed socket does nothing
    EXPECT_EQ(r.log.size(), 6u);
}

TEST_F(WSocketTest, ExchangeAndPeerClose) {
    LoopbackServer server([](LoopbackServer::Conn& c) {
        c.ReadRequest();
        c.Write("hello from the peer");
    });
    TWSocket s;
    Recorder r(s);
    std::string received;
    s.OnDataAvailable = [&](TCustomWSocket* sender, TCustomWSocket::Word) {
        char buf[8];
        int n = sender->Receive(buf, sizeof buf);
        if (n > 0)
            received.append(buf, static_cast<std::size_t>(n));
    };
    Aim(s, server.Port());
    s.Connect();
    ASSERT_TRUE(WaitFor([&] { return s.State() == wsConnected; }));
    std::string request = "GET / HTTP/1.0\r\n\r\n";
    ASSERT_TRUE(WaitFor([&] { return r.Count("sent 0") == 1; }));  // a new connection can send
    r.log.clear();
    EXPECT_EQ(s.SendStr(request), static_cast<int>(request.size()));
    EXPECT_EQ(r.Count("sent 0"), 0);  // never inside Send
    ASSERT_TRUE(WaitFor([&] { return r.Count("closed 0") == 1; }));
    EXPECT_EQ(received, "hello from the peer");
    EXPECT_EQ(s.ReadCount(), 0);  // the close returned it to the reset values
    EXPECT_EQ(r.Count("sent 0"), 1);
    EXPECT_EQ(r.log.back(), "state 4>7");
    EXPECT_EQ(server.Requests().at(0), request);
    for (int i = 0; i < 10; ++i)
        platform::ProcessMessages();
    EXPECT_EQ(r.Count("closed 0"), 1);
}

TEST_F(WSocketTest, LargeSendDrainsToOneEmptyBlock) {
    std::string got;
    // The server holds the connection until the blocks are looked at: its
    // close would otherwise race the look and return them to nothing.
    std::atomic<bool> looked{false};
    LoopbackServer server([&](LoopbackServer::Conn& c) {
        got = c.ReadRequest();
        while (!looked)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    struct Release {
        std::atomic<bool>& flag;
        ~Release() { flag = true; }
    } release{looked};
    TWSocket s;
    Recorder r(s);
    Aim(s, server.Port());
    s.Connect();
    ASSERT_TRUE(WaitFor([&] { return s.State() == wsConnected; }));
    std::string body(5000, 'b');
    std::string data = "POST / HTTP/1.0\r\nContent-Length: 5000\r\n\r\n" + body;
    r.log.clear();
    EXPECT_EQ(s.Send(data.data(), static_cast<int>(data.size())), static_cast<int>(data.size()));
    ASSERT_TRUE(WaitFor([&] { return s.AllSent() && r.Count("sent 0") >= 1; }));
    ASSERT_EQ(s.SendBlocks().size(), 1u);  // drained blocks freed, the last one kept
    EXPECT_EQ(s.SendBlocks()[0].Peek().second, 0);
    looked = true;
    ASSERT_TRUE(WaitFor([&] { return r.Count("closed 0") == 1; }));
    EXPECT_EQ(got, data);
}

// More than the system takes at once: the rest waits in the blocks until
// FD_WRITE says there is room, and OnDataSent comes once it has all gone.
TEST_F(WSocketTest, SendBeyondTheSystemBufferResumesOnWriteNotification) {
    std::string got;
    // The server reads nothing until the send has returned: a reader racing
    // it on the other core could otherwise make room as fast as it fills.
    std::atomic<bool> sent{false};
    LoopbackServer server([&](LoopbackServer::Conn& c) {
        while (!sent)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        got = c.ReadRequest();
    });
    // Let the server go however the test ends, before it is joined.
    struct Release {
        std::atomic<bool>& flag;
        ~Release() { flag = true; }
    } release{sent};
    TWSocket s;
    Recorder r(s);
    Aim(s, server.Port());
    s.Connect();
    ASSERT_TRUE(WaitFor([&] { return s.State() == wsConnected && r.Count("sent 0") == 1; }));
    r.log.clear();
    std::string body(16 * 1024 * 1024, '\0');
    for (std::size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<char>(i * 31 >> 4);
    std::string data =
        "POST / HTTP/1.0\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    s.Send(data.data(), static_cast<int>(data.size()));
    EXPECT_FALSE(s.AllSent());
    EXPECT_EQ(r.Count("sent 0"), 0);
    sent = true;
    ASSERT_TRUE(WaitFor([&] { return r.Count("sent 0") == 1; }, 60000));
    EXPECT_TRUE(s.AllSent());
    ASSERT_TRUE(WaitFor([&] { return r.Count("closed 0") == 1; }));
    EXPECT_TRUE(got == data);
}

TEST_F(WSocketTest, ProgramCloseFiresClosedOnceWithZero) {
    LoopbackServer server([](LoopbackServer::Conn& c) { c.WaitForPeerClose(); });
    TWSocket s;
    Recorder r(s);
    Aim(s, server.Port());
    s.Connect();
    ASSERT_TRUE(WaitFor([&] { return s.State() == wsConnected; }));
    s.Close();
    EXPECT_EQ(r.Count("closed 0"), 1);
    EXPECT_EQ(s.State(), wsClosed);
    for (int i = 0; i < 10; ++i)
        platform::ProcessMessages();
    EXPECT_EQ(r.Count("closed 0"), 1);
    // Reused for a second connection, Addr and Port must be given again.
    EXPECT_THROW(s.Connect(), ESocketException);
}

TEST_F(WSocketTest, UnreadDataStaysWithTheSystemWithoutAHandler) {
    LoopbackServer server([](LoopbackServer::Conn& c) {
        c.Write("unread");
        c.WaitForPeerClose();
    });
    TWSocket s;
    Aim(s, server.Port());
    s.Connect();
    ASSERT_TRUE(WaitFor([&] { return s.State() == wsConnected && s.RcvdCount() == 6; }));
    for (int i = 0; i < 10; ++i)
        platform::ProcessMessages();
    EXPECT_EQ(s.RcvdCount(), 6);
    EXPECT_EQ(s.ReadCount(), 0);
    s.Close();
}

TEST_F(WSocketTest, HandlerThatReadsNothingWaitsForTheNextNotification) {
    LoopbackServer server([](LoopbackServer::Conn& c) {
        c.Write("waiting");
        c.WaitForPeerClose();
    });
    TWSocket s;
    int calls = 0;
    bool read = false;
    s.OnDataAvailable = [&](TCustomWSocket* sender, TCustomWSocket::Word) {
        ++calls;
        if (read) {
            char buf[16];
            sender->Receive(buf, sizeof buf);
        }
    };
    Aim(s, server.Port());
    s.Connect();
    ASSERT_TRUE(WaitFor([&] { return calls > 0; }));
    for (int i = 0; i < 10; ++i)
        platform::ProcessMessages();
    // One call for the one notification, the data still waiting.
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(s.RcvdCount(), 7);
    // A read re-enables the notification, and the data is announced again.
    char one;
    ASSERT_EQ(s.Receive(&one, 1), 1);
    read = true;
    ASSERT_TRUE(WaitFor([&] { return s.ReadCount() == 7; }));
    EXPECT_EQ(calls, 2);
    s.Close();
}

TEST_F(WSocketTest, FailingDataHandlerIsSwallowed) {
    LoopbackServer server([](LoopbackServer::Conn& c) {
        c.Write("abc");
        c.WaitForPeerClose();
    });
    TWSocket s;
    int calls = 0;
    s.OnDataAvailable = [&](TCustomWSocket* sender, TCustomWSocket::Word) {
        ++calls;
        char buf[1];
        sender->Receive(buf, 1);
        throw std::runtime_error("handler failure");
    };
    Aim(s, server.Port());
    s.Connect();
    // Each notification's run ends at the failure; reading re-enables the
    // next one, so all three bytes come through one at a time.
    ASSERT_TRUE(WaitFor([&] { return s.ReadCount() == 3; }));
    EXPECT_EQ(calls, 3);
    s.Close();
}

TEST_F(WSocketTest, CloseWhileDestroyingFiresNothingAndDropsQueuedData) {
    LoopbackServer server([](LoopbackServer::Conn& c) { c.WaitForPeerClose(); });
    BlockSocket s;
    Recorder r(s);
    Aim(s, server.Port());
    s.Connect();
    ASSERT_TRUE(WaitFor([&] { return s.State() == wsConnected; }));
    s.AppendToSendBuffer("stale", 5);
    s.MarkDestroying();
    s.Close();
    EXPECT_EQ(r.Count("closed 0"), 0);
    EXPECT_TRUE(s.SendBlocks().empty());  // nothing left to reach the next peer
}

}  // namespace
}  // namespace zelvo::socket
