// The socket calls: each works on the system's socket behind one of our
// handles. Errors are the system's own codes.
#include "platform/WinSock.h"

#include <algorithm>
#include <cstring>

#include "platform/win32/SocketTable.h"
#include "platform/win32/Win32.h"

namespace zelvo::platform {

using win32::SocketEntry;
using win32::SocketTable;
using win32::TlsChannel;

namespace {

int FailWith(int error) {
    ::WSASetLastError(error);
    return SOCKET_ERROR;
}

SocketEntry* Lookup(SOCKET s) {
    SocketEntry* e = SocketTable::Get().Find(s);
    if (e == nullptr)
        ::WSASetLastError(WSAENOTSOCK);
    return e;
}

::SOCKET Real(const SocketEntry& e) {
    return static_cast<::SOCKET>(e.real);
}

bool ToSystem(const SOCKADDR_IN* in, int len, sockaddr_in& out) {
    if (in == nullptr || len < static_cast<int>(sizeof(SOCKADDR_IN))) {
        ::WSASetLastError(WSAEFAULT);
        return false;
    }
    if (in->sin_family != WS_AF_INET) {
        ::WSASetLastError(WSAEAFNOSUPPORT);
        return false;
    }
    std::memset(&out, 0, sizeof out);
    out.sin_family = AF_INET;
    out.sin_port = in->sin_port;
    out.sin_addr.s_addr = in->sin_addr.S_addr;
    return true;
}

void FromSystem(const sockaddr_in& in, SOCKADDR_IN* out, int* len) {
    if (out == nullptr)
        return;
    *out = SOCKADDR_IN{};
    out->sin_family = WS_AF_INET;
    out->sin_port = in.sin_port;
    out->sin_addr.S_addr = in.sin_addr.s_addr;
    if (len != nullptr)
        *len = sizeof(SOCKADDR_IN);
}

bool Connected(const SocketEntry& e) {
    sockaddr_in peer{};
    int len = sizeof peer;
    return ::getpeername(Real(e), reinterpret_cast<sockaddr*>(&peer), &len) == 0;
}

// A zero-length read of a stream asks only whether it is still open, which
// the system's own zero-length read does not tell.
int ProbeOpen(SocketEntry& e) {
    if (e.peerClosed)
        return 0;
    const int state = win32::DrainForClose(e);
    if (state < 0)
        return 0;
    return FailWith(state != 0 ? state : WSAEWOULDBLOCK);
}

// A read that the close watch's stash serves. Like the system's, it announces
// FD_READ again while data waits.
int RecvStash(SOCKET s, SocketEntry& e, void* buf, int len, int flags) {
    const std::size_t n = std::min(e.stash.size(), static_cast<std::size_t>(len));
    std::memcpy(buf, e.stash.data(), n);
    if ((flags & WS_MSG_PEEK) == 0)
        e.stash.erase(0, n);
    e.readArmed = true;
    u_long waiting = 0;
    if ((e.events & FD_READ) != 0 &&
        (!e.stash.empty() || (::ioctlsocket(Real(e), FIONREAD, &waiting) == 0 && waiting > 0))) {
        e.readArmed = false;
        PostMessage(e.wnd, e.msg, s, MakeLParam(static_cast<unsigned>(FD_READ), 0));
    }
    SocketTable::Get().UpdateWatch();
    return static_cast<int>(n);
}

}  // namespace

int WSAStartup(std::uint16_t versionRequested, WSADATA* data) {
    ::WSADATA sys{};
    const int rc = ::WSAStartup(versionRequested, &sys);
    if (rc == 0 && data != nullptr) {
        data->wVersion = sys.wVersion;
        data->wHighVersion = sys.wHighVersion;
        data->szDescription = sys.szDescription;
    }
    return rc;
}

int WSACleanup() {
    return ::WSACleanup();
}

int WSAGetLastError() {
    return ::WSAGetLastError();
}

void WSASetLastError(int error) {
    ::WSASetLastError(error);
}

int WSAAsyncSelect(SOCKET s, HWND wnd, UINT msg, long events) {
    SocketEntry* e = Lookup(s);
    if (e == nullptr)
        return SOCKET_ERROR;
    e->wnd = wnd;
    e->msg = msg;
    e->events = msg == 0 ? 0 : events;
    e->readArmed = true;
    // A close announced before (perhaps ignored by a paused owner) is
    // announced again to the new selection.
    e->closePosted = false;
    if (const int error = SocketTable::Get().Select(*e); error != 0)
        return FailWith(error);
    if (e->peerClosed && !e->tls && (e->events & FD_CLOSE) != 0) {
        e->closePosted = true;
        PostMessage(wnd, msg, s, MakeLParam(static_cast<unsigned>(FD_CLOSE), 0));
    }
    return 0;
}

SOCKET socket(int af, int type, int protocol) {
    if (af != WS_AF_INET) {
        ::WSASetLastError(WSAEAFNOSUPPORT);
        return INVALID_SOCKET;
    }
    if (type != WS_SOCK_STREAM && type != WS_SOCK_DGRAM) {
        ::WSASetLastError(WSAESOCKTNOSUPPORT);
        return INVALID_SOCKET;
    }
    ::SOCKET real = ::socket(AF_INET, type, protocol);
    if (real == INVALID_SOCKET)
        return INVALID_SOCKET;
    // A viewer or browser we start must not keep our connections open.
    ::SetHandleInformation(reinterpret_cast<::HANDLE>(real), HANDLE_FLAG_INHERIT, 0);
    SOCKET s = SocketTable::Get().Add(real, type == WS_SOCK_DGRAM);
    if (s == INVALID_SOCKET) {
        ::closesocket(real);
        ::WSASetLastError(WSAEMFILE);
    }
    return s;
}

int setsockopt(SOCKET s, int level, int optname, const void* optval, int optlen) {
    SocketEntry* e = Lookup(s);
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
        ::linger sys{static_cast<u_short>(l->l_onoff != 0 ? 1 : 0), l->l_linger};
        return ::setsockopt(Real(*e), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&sys),
                            sizeof sys);
    }
    if (optname != WS_SO_REUSEADDR && optname != WS_SO_KEEPALIVE && optname != WS_SO_BROADCAST)
        return FailWith(WSAENOPROTOOPT);
    if (optlen < static_cast<int>(sizeof(int)))
        return FailWith(WSAEFAULT);
    // The system's address reuse lets a second socket take a port that is in
    // use; what the option asks for here is the other system's meaning, a
    // port whose last connection is still closing, which the system allows
    // anyway.
    if (optname == WS_SO_REUSEADDR)
        return 0;
    BOOL value = *static_cast<const int*>(optval) != 0 ? TRUE : FALSE;
    return ::setsockopt(Real(*e), SOL_SOCKET, optname, reinterpret_cast<const char*>(&value),
                        sizeof value);
}

int connect(SOCKET s, const SOCKADDR_IN* name, int namelen) {
    SocketEntry* e = Lookup(s);
    if (e == nullptr)
        return SOCKET_ERROR;
    sockaddr_in addr;
    if (!ToSystem(name, namelen, addr))
        return SOCKET_ERROR;
    return ::connect(Real(*e), reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
}

int bind(SOCKET s, const SOCKADDR_IN* name, int namelen) {
    SocketEntry* e = Lookup(s);
    if (e == nullptr)
        return SOCKET_ERROR;
    sockaddr_in addr;
    if (!ToSystem(name, namelen, addr))
        return SOCKET_ERROR;
    return ::bind(Real(*e), reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
}

int listen(SOCKET s, int backlog) {
    SocketEntry* e = Lookup(s);
    if (e == nullptr)
        return SOCKET_ERROR;
    if (::listen(Real(*e), backlog) != 0)
        return SOCKET_ERROR;
    e->listening = true;
    return 0;
}

SOCKET accept(SOCKET s, SOCKADDR_IN* addr, int* addrlen) {
    SocketEntry* e = Lookup(s);
    if (e == nullptr)
        return INVALID_SOCKET;
    sockaddr_in peer{};
    int len = sizeof peer;
    ::SOCKET real = ::accept(Real(*e), reinterpret_cast<sockaddr*>(&peer), &len);
    if (real == INVALID_SOCKET)
        return INVALID_SOCKET;
    ::SetHandleInformation(reinterpret_cast<::HANDLE>(real), HANDLE_FLAG_INHERIT, 0);
    FromSystem(peer, addr, addrlen);
    SOCKET accepted = SocketTable::Get().Add(real, false);
    if (accepted == INVALID_SOCKET) {
        ::closesocket(real);
        ::WSASetLastError(WSAEMFILE);
        return INVALID_SOCKET;
    }
    // The accepted socket inherits the listening socket's notifications,
    // under a number of its own.
    if (e->events != 0)
        WSAAsyncSelect(accepted, e->wnd, e->msg, e->events);
    else
        ::WSAAsyncSelect(real, nullptr, 0, 0);
    return accepted;
}

namespace {

int TlsSend(SocketEntry& e, const void* buf, int len) {
    if (!e.tls->Established() && !e.tlsHandshaking)
        return FailWith(WSAECONNABORTED);
    const int n = e.tlsHandshaking ? TlsChannel::Blocked : e.tls->Write(buf, len);
    if (n == TlsChannel::Blocked || (n > 0 && n < len))
        e.writeWanted = true;
    if (n == TlsChannel::Blocked)
        return FailWith(WSAEWOULDBLOCK);
    if (n <= 0 && len > 0)
        return FailWith(WSAECONNRESET);
    return n;
}

int TlsRecv(SOCKET s, SocketEntry& e, void* buf, int len, int flags) {
    e.readArmed = true;
    if (e.tlsHandshaking)
        return FailWith(WSAEWOULDBLOCK);
    if (!e.tls->Established())
        return FailWith(WSAECONNABORTED);
    if (len == 0)
        return ProbeOpen(e);
    const int n = (flags & WS_MSG_PEEK) != 0 ? e.tls->Peek(buf, len) : e.tls->Read(buf, len);
    if (n > 0) {
        SocketTable::Get().QueueTlsCheck(s, e);
        return n;
    }
    if (n == TlsChannel::Blocked) {
        SocketTable::Get().QueueTlsCheck(s, e);
        return FailWith(WSAEWOULDBLOCK);
    }
    if (n == TlsChannel::Closed)
        return 0;
    return FailWith(WSAECONNRESET);
}

}  // namespace

int StartTls(SOCKET s, const std::string& serverName) {
    SocketEntry* e = Lookup(s);
    if (e == nullptr)
        return SOCKET_ERROR;
    if (e->datagram || e->listening)
        return FailWith(WSAEOPNOTSUPP);
    if (e->tls)
        return FailWith(WSAEISCONN);
    if (!Connected(*e))
        return FailWith(WSAENOTCONN);
    e->tls = win32::OpenTlsChannel(e->real, serverName);
    if (!e->tls)
        return FailWith(WSAEOPNOTSUPP);
    e->tlsHandshaking = true;
    e->tlsFailure.clear();
    e->readArmed = true;
    e->closePosted = false;
    if (const int error = SocketTable::Get().Select(*e); error != 0)
        return FailWith(error);
    SocketTable::Get().StepHandshake(s, *e);
    return 0;
}

std::string TlsFailure(SOCKET s) {
    SocketEntry* e = SocketTable::Get().Find(s);
    return e != nullptr ? e->tlsFailure : std::string();
}

int send(SOCKET s, const void* buf, int len, int flags) {
    SocketEntry* e = Lookup(s);
    if (e == nullptr)
        return SOCKET_ERROR;
    if (len < 0)
        return FailWith(WSAEINVAL);
    if (e->tls)
        return TlsSend(*e, buf, len);
    const int n = ::send(Real(*e), static_cast<const char*>(buf), len, flags & WS_MSG_OOB);
    if (n >= 0 && n < len) {
        // The caller keeps the rest and, as after a send that would have
        // blocked, learns from FD_WRITE when there is room again.
        e->writeWanted = true;
        SocketTable::Get().UpdateWatch();
    }
    return n;
}

int sendto(SOCKET s, const void* buf, int len, int flags, const SOCKADDR_IN* to, int tolen) {
    SocketEntry* e = Lookup(s);
    if (e == nullptr)
        return SOCKET_ERROR;
    if (len < 0)
        return FailWith(WSAEINVAL);
    sockaddr_in addr;
    if (!ToSystem(to, tolen, addr))
        return SOCKET_ERROR;
    return ::sendto(Real(*e), static_cast<const char*>(buf), len, flags & WS_MSG_OOB,
                    reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
}

int recv(SOCKET s, void* buf, int len, int flags) {
    return recvfrom(s, buf, len, flags, nullptr, nullptr);
}

int recvfrom(SOCKET s, void* buf, int len, int flags, SOCKADDR_IN* from, int* fromlen) {
    SocketEntry* e = Lookup(s);
    if (e == nullptr)
        return SOCKET_ERROR;
    if (len < 0)
        return FailWith(WSAEINVAL);
    if (e->tls)
        return TlsRecv(s, *e, buf, len, flags);
    // A zero-length read asks without reading: the system's notifications
    // stay as they are.
    if (len == 0 && !e->datagram)
        return ProbeOpen(*e);
    if (!e->stash.empty() && len > 0 && (flags & WS_MSG_OOB) == 0)
        return RecvStash(s, *e, buf, len, flags);
    // Reading re-enables FD_READ, here as in the system.
    e->readArmed = true;
    SocketTable::Get().UpdateWatch();
    const int sysFlags = flags & (WS_MSG_OOB | WS_MSG_PEEK);
    sockaddr_in peer{};
    int plen = sizeof peer;
    const int n = ::recvfrom(Real(*e), static_cast<char*>(buf), len, sysFlags,
                             from != nullptr ? reinterpret_cast<sockaddr*>(&peer) : nullptr,
                             from != nullptr ? &plen : nullptr);
    if (n >= 0 && from != nullptr)
        FromSystem(peer, from, fromlen);
    return n;
}

int shutdown(SOCKET s, int how) {
    SocketEntry* e = Lookup(s);
    if (e == nullptr)
        return SOCKET_ERROR;
    if (how < SD_RECEIVE || how > SD_BOTH)
        return FailWith(WSAEINVAL);
    // The peer learns that the stream ended on purpose, not by a cut.
    if (e->tls && how != SD_RECEIVE)
        e->tls->Shutdown();
    return ::shutdown(Real(*e), how);
}

int closesocket(SOCKET s) {
    SocketEntry* e = Lookup(s);
    if (e == nullptr)
        return SOCKET_ERROR;
    const ::SOCKET real = Real(*e);
    SocketTable::Get().Remove(s);  // the session goes before the socket
    return ::closesocket(real);
}

int ioctlsocket(SOCKET s, long cmd, std::uint32_t* argp) {
    SocketEntry* e = Lookup(s);
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
    u_long waiting = 0;
    if (::ioctlsocket(Real(*e), FIONREAD, &waiting) != 0)
        return SOCKET_ERROR;
    *argp = static_cast<std::uint32_t>(waiting + e->stash.size());
    return 0;
}

namespace {

// getsockname and getpeername differ only in which end they ask about.
int QueryAddress(SOCKET s, SOCKADDR_IN* name, int* namelen,
                 int(WSAAPI* query)(::SOCKET, sockaddr*, int*)) {
    SocketEntry* e = Lookup(s);
    if (e == nullptr)
        return SOCKET_ERROR;
    sockaddr_in addr{};
    int len = sizeof addr;
    if (query(Real(*e), reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        return SOCKET_ERROR;
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
