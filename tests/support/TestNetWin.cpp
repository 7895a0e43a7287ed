// The test servers' socket calls on Winsock.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "support/TestNet.h"

namespace zelvo::testing::net {
namespace {

// Winsock wants starting once per process; the servers never stop it.
void Start() {
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
}

SOCKET Sys(Fd fd) {
    return static_cast<SOCKET>(fd);
}

}  // namespace

Fd Listen(const char* address, std::uint16_t* port) {
    Start();
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    if (::inet_pton(AF_INET, address, &addr.sin_addr) != 1 ||
        ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(s, 16) != 0) {
        ::closesocket(s);
        return -1;
    }
    int len = sizeof addr;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    *port = ntohs(addr.sin_port);
    return static_cast<Fd>(s);
}

Fd Accept(Fd listener) {
    SOCKET s = ::accept(Sys(listener), nullptr, nullptr);
    return s == INVALID_SOCKET ? -1 : static_cast<Fd>(s);
}

int Send(Fd fd, const char* data, std::size_t size) {
    return ::send(Sys(fd), data, static_cast<int>(size), 0);
}

int Recv(Fd fd, char* data, std::size_t size) {
    return ::recv(Sys(fd), data, static_cast<int>(size), 0);
}

int WaitReadable(Fd fd, int ms) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(Sys(fd), &readable);
    timeval wait{ms / 1000, (ms % 1000) * 1000};
    return ::select(0, &readable, nullptr, nullptr, &wait);
}

void Close(Fd fd) {
    ::closesocket(Sys(fd));
}

std::uint16_t FreePort() {
    std::uint16_t port = 0;
    Fd fd = Listen("127.0.0.1", &port);
    if (fd >= 0)
        Close(fd);
    return port;
}

}  // namespace zelvo::testing::net
