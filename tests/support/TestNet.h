#pragma once
// The few system socket calls the test servers make, the same on both
// systems. On Windows they live in TestNetWin.cpp, so that no test includes
// the system's socket headers beside the platform's own names.
#include <cstddef>
#include <cstdint>

#ifndef _WIN32
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace zelvo::testing::net {

// A socket of the system's; -1 for none.
using Fd = std::intptr_t;

#ifdef _WIN32
Fd Listen(const char* address, std::uint16_t* port);
Fd Accept(Fd listener);
int Send(Fd fd, const char* data, std::size_t size);
int Recv(Fd fd, char* data, std::size_t size);
int WaitReadable(Fd fd, int ms);
void Close(Fd fd);
std::uint16_t FreePort();
#else
// Listening on address, any port, which *port receives.
inline Fd Listen(const char* address, std::uint16_t* port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    if (::inet_pton(AF_INET, address, &addr.sin_addr) != 1 ||
        ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 16) != 0) {
        ::close(fd);
        return -1;
    }
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    *port = ntohs(addr.sin_port);
    return fd;
}
inline Fd Accept(Fd listener) {
    return ::accept4(static_cast<int>(listener), nullptr, nullptr, SOCK_CLOEXEC);
}
// Bytes moved, or <= 0 for the end or a failure.
inline int Send(Fd fd, const char* data, std::size_t size) {
    return static_cast<int>(::send(static_cast<int>(fd), data, size, MSG_NOSIGNAL));
}
inline int Recv(Fd fd, char* data, std::size_t size) {
    return static_cast<int>(::recv(static_cast<int>(fd), data, size, 0));
}
// > 0 when readable, 0 when the time ran out (or a signal came), < 0 on failure.
inline int WaitReadable(Fd fd, int ms) {
    pollfd p{static_cast<int>(fd), POLLIN, 0};
    int rc = ::poll(&p, 1, ms);
    return rc < 0 && errno == EINTR ? 0 : rc;
}
inline void Close(Fd fd) {
    ::close(static_cast<int>(fd));
}
#endif

}  // namespace zelvo::testing::net
