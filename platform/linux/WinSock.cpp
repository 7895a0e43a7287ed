// The socket calls: each works on the descriptor behind a handle and tells
// the socket table what it did, so that the notifications follow Winsock's
// rules.
#include "platform/WinSock.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "platform/linux/SocketTable.h"

namespace zelvo::platform {

using namespace detail;

namespace {

thread_local int lastError = 0;
int startupCount = 0;

Entry* Lookup(SOCKET s) {
    Entry* e = SocketTable::Get().Find(s);
    if (e == nullptr)
        lastError = WSAENOTSOCK;
    return e;
}

// A zero-length read of a stream asks only whether it is still open.
int ProbeOpen(const Entry& e) {
    pollfd p{e.fd, static_cast<short>(POLLIN | POLLRDHUP), 0};
    if (::poll(&p, 1, 0) < 0)
        return FailErrno();
    if ((p.revents & POLLERR) != 0) {
        int err = 0;
        socklen_t len = sizeof err;
        ::getsockopt(e.fd, SOL_SOCKET, SO_ERROR, &err, &len);
        return FailWith(err != 0 ? MapErrno(err) : WSAECONNRESET);
    }
    if ((p.revents & (POLLRDHUP | POLLHUP)) != 0)
        return 0;
    return FailWith(WSAEWOULDBLOCK);
}

}  // namespace

int WSAStartup(std::uint16_t versionRequested, WSADATA* data) {
    if ((versionRequested & 0xFF) < 1)
        return WSAVERNOTSUPPORTED;
    ++startupCount;
    if (data != nullptr) {
        data->wVersion = 0x0101;
        data->wHighVersion = 0x0101;
        data->szDescription = "POSIX sockets";
    }
    return 0;
}

int WSACleanup() {
    if (startupCount == 0)
        return FailWith(WSANOTINITIALISED);
    --startupCount;
    return 0;
}

int WSAGetLastError() {
    return lastError;
}
void WSASetLastError(int error) {
    lastError = error;
}

int WSAAsyncSelect(SOCKET s, HWND wnd, UINT msg, long events) {
    Entry* e = Lookup(s);
    if (e == nullptr)
        return SOCKET_ERROR;
    int flags = ::fcntl(e->fd, F_GETFL);
    if (flags < 0 || ::fcntl(e->fd, F_SETFL, flags | O_NONBLOCK) < 0)
        return FailErrno();
    e->wnd = wnd;
    e->msg = msg;
    e->events = msg == 0 ? 0 : events;
    e->readArmed = true;
    // A close announced before (perhaps ignored by a paused owner) is
    // announced again to the new selection.
    e->closePosted = false;
    // Selecting a connected socket announces that it can send.
    sockaddr_in peer{};
    socklen_t len = sizeof peer;
    e->writeWanted = !e->connectPending && !e->listening &&
                     ::getpeername(e->fd, reinterpret_cast<sockaddr*>(&peer), &len) == 0;
    SocketTable::Get().Select(s, *e);
    return 0;
}

SOCKET socket(int af, int type, int protocol) {
    if (startupCount == 0) {
        lastError = WSANOTINITIALISED;
        return INVALID_SOCKET;
    }
    if (af != WS_AF_INET) {
        lastError = WSAEAFNOSUPPORT;
        return INVALID_SOCKET;
    }
    int sysType;
    if (type == WS_SOCK_STREAM)
        sysType = SOCK_STREAM;
    else if (type == WS_SOCK_DGRAM)
        sysType = SOCK_DGRAM;
    else {
        lastError = WSAESOCKTNOSUPPORT;
        return INVALID_SOCKET;
    }
    int fd = ::socket(AF_INET, sysType | SOCK_CLOEXEC, protocol);
    if (fd < 0) {
        FailErrno();
        return INVALID_SOCKET;
    }
    return SocketTable::Get().Add(fd, type == WS_SOCK_DGRAM);
}

int setsockopt(SOCKET s, int level, int optname, const void* optval, int optlen) {
    Entry* e = Lookup(s);
    if (e == nullptr)
        return SOCKET_ERROR;
    if (level != WS_SOL_SOCKET)
        return FailWith(WSAENOPROTOOPT);
    if (optval == nullptr)
        return FailWith(WSAEFAULT);
    if (optname == WS_SO_LINGER) {
        if (optlen < static_cast<int>(sizeof(LINGER)))
            return FailWith(WSAEFAULT);
        const auto* l = static_cast<const LINGER*>(optval);
        struct linger sys {
            l->l_onoff != 0 ? 1 : 0, l->l_linger
        };
        return ::setsockopt(e->fd, SOL_SOCKET, SO_LINGER, &sys, sizeof sys) == 0 ? 0 : FailErrno();
    }
    int sysName;
    switch (optname) {
        case WS_SO_REUSEADDR:
            sysName = SO_REUSEADDR;
            break;
        case WS_SO_KEEPALIVE:
            sysName = SO_KEEPALIVE;
            break;
        case WS_SO_BROADCAST:
            sysName = SO_BROADCAST;
            break;
        default:
            return FailWith(WSAENOPROTOOPT);
    }
    if (optlen < static_cast<int>(sizeof(int)))
        return FailWith(WSAEFAULT);
    int value = *static_cast<const int*>(optval) != 0 ? 1 : 0;
    return ::setsockopt(e->fd, SOL_SOCKET, sysName, &value, sizeof value) == 0 ? 0 : FailErrno();
}

int connect(SOCKET s, const SOCKADDR_IN* name, int namelen) {
    Entry* e = Lookup(s);
    if (e == nullptr)
        return SOCKET_ERROR;
    sockaddr_in addr;
    if (!ToSystem(name, namelen, addr))
        return SOCKET_ERROR;
    int rc = ::connect(e->fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    int err = rc == 0 ? 0 : errno;
    bool async = e->events != 0 && !e->datagram;
    if (!async)
        return rc == 0 ? 0 : FailWith(MapErrno(err));
    if (err == EINPROGRESS || err == EINTR) {
        e->connectPending = true;
        SocketTable::Get().Update(*e);
        return FailWith(WSAEWOULDBLOCK);
    }
    // The outcome of a connection attempt always arrives as FD_CONNECT, even
    // when the system knew it at once; only a misuse fails the call itself.
    if (err == 0 || err == ECONNREFUSED || err == ETIMEDOUT || err == ENETUNREACH ||
        err == EHOSTUNREACH || err == ECONNRESET) {
        SocketTable::Post(s, *e, FD_CONNECT, MapErrno(err));
        if (err == 0) {
            e->writeWanted = false;
            SocketTable::Post(s, *e, FD_WRITE, 0);
        }
        return FailWith(WSAEWOULDBLOCK);
    }
    return FailWith(MapErrno(err));
}

int bind(SOCKET s, const SOCKADDR_IN* name, int namelen) {
    Entry* e = Lookup(s);
    if (e == nullptr)
        return SOCKET_ERROR;
    sockaddr_in addr;
    if (!ToSystem(name, namelen, addr))
        return SOCKET_ERROR;
    return ::bind(e->fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0 ? 0
                                                                                     : FailErrno();
}

int listen(SOCKET s, int backlog) {
    Entry* e = Lookup(s);
    if (e == nullptr)
        return SOCKET_ERROR;
    if (::listen(e->fd, backlog) != 0)
        return FailErrno();
    e->listening = true;
    e->writeWanted = false;
    SocketTable::Get().Update(*e);
    return 0;
}

SOCKET accept(SOCKET s, SOCKADDR_IN* addr, int* addrlen) {
    Entry* e = Lookup(s);
    if (e == nullptr)
        return INVALID_SOCKET;
    e->readArmed = true;
    SocketTable::Get().Update(*e);
    sockaddr_in peer{};
    socklen_t len = sizeof peer;
    int fd = ::accept4(e->fd, reinterpret_cast<sockaddr*>(&peer), &len, SOCK_CLOEXEC);
    if (fd < 0) {
        FailErrno();
        return INVALID_SOCKET;
    }
    FromSystem(peer, addr, addrlen);
    SOCKET accepted = SocketTable::Get().Add(fd, false);
    // The accepted socket inherits the listening socket's notifications.
    if (e->events != 0)
        WSAAsyncSelect(accepted, e->wnd, e->msg, e->events);
    return accepted;
}

namespace {

int TlsSend(Entry& e, const void* buf, int len) {
    if (!e.tls->Established() && !e.tlsHandshaking)
        return FailWith(WSAECONNABORTED);
    int n = e.tlsHandshaking ? TlsSession::Blocked : e.tls->Write(buf, len);
    if (n == TlsSession::Blocked || (n > 0 && n < len)) {
        e.writeWanted = true;
        SocketTable::Get().Update(e);
    }
    if (n == TlsSession::Blocked)
        return FailWith(WSAEWOULDBLOCK);
    if (n <= 0 && len > 0)
        return FailWith(WSAECONNRESET);
    return n;
}

int TlsRecv(SOCKET s, Entry& e, void* buf, int len, int flags) {
    e.readArmed = true;
    SocketTable::Get().Update(e);
    if (e.tlsHandshaking)
        return FailWith(WSAEWOULDBLOCK);
    if (!e.tls->Established())
        return FailWith(WSAECONNABORTED);
    if (len == 0)
        return ProbeOpen(e);
    int n = (flags & WS_MSG_PEEK) != 0 ? e.tls->Peek(buf, len) : e.tls->Read(buf, len);
    if (n > 0) {
        SocketTable::Get().QueueTlsCheck(s, e);
        return n;
    }
    if (n == TlsSession::Blocked)
        return FailWith(WSAEWOULDBLOCK);
    if (n == TlsSession::Closed)
        return 0;
    return FailWith(WSAECONNRESET);
}

}  // namespace

int StartTls(SOCKET s, const std::string& serverName) {
    Entry* e = Lookup(s);
    if (e == nullptr)
        return SOCKET_ERROR;
    if (e->datagram || e->listening)
        return FailWith(WSAEOPNOTSUPP);
    if (e->tls)
        return FailWith(WSAEISCONN);
    if (e->connectPending)
        return FailWith(WSAENOTCONN);
    sockaddr_in peer{};
    socklen_t len = sizeof peer;
    if (::getpeername(e->fd, reinterpret_cast<sockaddr*>(&peer), &len) != 0)
        return FailErrno();
    e->tls = std::make_unique<TlsSession>(e->fd, serverName);
    e->tlsHandshaking = true;
    e->tlsFailure.clear();
    SocketTable::Get().StepHandshake(s, *e);
    return 0;
}

std::string TlsFailure(SOCKET s) {
    Entry* e = SocketTable::Get().Find(s);
    return e != nullptr ? e->tlsFailure : std::string();
}

int send(SOCKET s, const void* buf, int len, int flags) {
    Entry* e = Lookup(s);
    if (e == nullptr)
        return SOCKET_ERROR;
    if (len < 0)
        return FailWith(WSAEINVAL);
    if (e->tls)
        return TlsSend(*e, buf, len);
    int sysFlags = MSG_NOSIGNAL | ((flags & WS_MSG_OOB) != 0 ? MSG_OOB : 0);
    ssize_t n = ::send(e->fd, buf, static_cast<size_t>(len), sysFlags);
    if (n < 0) {
        int err = errno;
        if (err == EAGAIN || err == EWOULDBLOCK) {
            e->writeWanted = true;
            SocketTable::Get().Update(*e);
        }
        return FailWith(MapErrno(err));
    }
    if (n < len) {
        // The system took only part: the caller keeps the rest and, as after
        // a send that would have blocked, learns from FD_WRITE when there is
        // room again.
        e->writeWanted = true;
        SocketTable::Get().Update(*e);
    }
    return static_cast<int>(n);
}

int sendto(SOCKET s, const void* buf, int len, int flags, const SOCKADDR_IN* to, int tolen) {
    Entry* e = Lookup(s);
    if (e == nullptr)
        return SOCKET_ERROR;
    if (len < 0)
        return FailWith(WSAEINVAL);
    sockaddr_in addr;
    if (!ToSystem(to, tolen, addr))
        return SOCKET_ERROR;
    int sysFlags = MSG_NOSIGNAL | ((flags & WS_MSG_OOB) != 0 ? MSG_OOB : 0);
    ssize_t n = ::sendto(e->fd, buf, static_cast<size_t>(len), sysFlags,
                         reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    if (n < 0) {
        int err = errno;
        if (err == EAGAIN || err == EWOULDBLOCK) {
            e->writeWanted = true;
            SocketTable::Get().Update(*e);
        }
        return FailWith(MapErrno(err));
    }
    return static_cast<int>(n);
}

int recv(SOCKET s, void* buf, int len, int flags) {
    return recvfrom(s, buf, len, flags, nullptr, nullptr);
}

int recvfrom(SOCKET s, void* buf, int len, int flags, SOCKADDR_IN* from, int* fromlen) {
    Entry* e = Lookup(s);
    if (e == nullptr)
        return SOCKET_ERROR;
    if (e->tls) {
        if (len < 0)
            return FailWith(WSAEINVAL);
        return TlsRecv(s, *e, buf, len, flags);
    }
    // Reading re-enables FD_READ: the next notification comes when data is
    // still waiting or more arrives.
    e->readArmed = true;
    SocketTable::Get().Update(*e);
    if (len < 0)
        return FailWith(WSAEINVAL);
    if (len == 0 && !e->datagram)
        return ProbeOpen(*e);
    int sysFlags =
        ((flags & WS_MSG_OOB) != 0 ? MSG_OOB : 0) | ((flags & WS_MSG_PEEK) != 0 ? MSG_PEEK : 0);
    sockaddr_in peer{};
    socklen_t plen = sizeof peer;
    ssize_t n = ::recvfrom(e->fd, buf, static_cast<size_t>(len), sysFlags,
                           from != nullptr ? reinterpret_cast<sockaddr*>(&peer) : nullptr,
                           from != nullptr ? &plen : nullptr);
    if (n < 0)
        return FailErrno();
    if (from != nullptr)
        FromSystem(peer, from, fromlen);
    return static_cast<int>(n);
}

int shutdown(SOCKET s, int how) {
    Entry* e = Lookup(s);
    if (e == nullptr)
        return SOCKET_ERROR;
    int sysHow = how == SD_RECEIVE ? SHUT_RD : how == SD_SEND ? SHUT_WR : SHUT_RDWR;
    if (how < SD_RECEIVE || how > SD_BOTH)
        return FailWith(WSAEINVAL);
    // The peer learns that the stream ended on purpose, not by a cut.
    if (e->tls && how != SD_RECEIVE)
        e->tls->Shutdown();
    return ::shutdown(e->fd, sysHow) == 0 ? 0 : FailErrno();
}

int closesocket(SOCKET s) {
    Entry* e = Lookup(s);
    if (e == nullptr)
        return SOCKET_ERROR;
    int fd = e->fd;
    SocketTable::Get().Remove(s);  // the notifiers go before the descriptor
    return ::close(fd) == 0 ? 0 : FailErrno();
}

int ioctlsocket(SOCKET s, long cmd, std::uint32_t* argp) {
    Entry* e = Lookup(s);
    if (e == nullptr)
        return SOCKET_ERROR;
    if (cmd != WS_FIONREAD)
        return FailWith(WSAEINVAL);
    if (argp == nullptr)
        return FailWith(WSAEFAULT);
    if (e->tls) {
        *argp = 0;
        if (!e->tls->Established())
            return 0;
        // Records that have arrived are opened, so that what waits is counted
        // in plain-text bytes.
        char probe;
        if (e->tls->Pending() == 0)
            e->tls->Peek(&probe, 1);
        *argp = static_cast<std::uint32_t>(e->tls->Pending());
        return 0;
    }
    int waiting = 0;
    if (::ioctl(e->fd, FIONREAD, &waiting) != 0)
        return FailErrno();
    *argp = static_cast<std::uint32_t>(waiting);
    return 0;
}

namespace {

// getsockname and getpeername differ only in which end they ask about.
int QueryAddress(SOCKET s, SOCKADDR_IN* name, int* namelen,
                 int (*query)(int, sockaddr*, socklen_t*)) {
    Entry* e = Lookup(s);
    if (e == nullptr)
        return SOCKET_ERROR;
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    if (query(e->fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return FailErrno();
    FromSystem(addr, name, namelen);
    return 0;
}

}  // namespace

int getsockname(SOCKET s, SOCKADDR_IN* name, int* namelen) {
    return QueryAddress(s, name, namelen, ::getsockname);
}

int getpeername(SOCKET s, SOCKADDR_IN* name, int* namelen) {
    return QueryAddress(s, name, namelen, ::getpeername);
}

}  // namespace zelvo::platform
