#include "platform/WinSock.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <memory>
#include <unordered_map>

#include "platform/MessageLoop.h"
#include "platform/linux/TlsSession.h"

namespace zelvo::platform {
namespace {

thread_local int lastError = 0;
int startupCount = 0;

int MapErrno(int e) {
    switch (e) {
        case 0:
            return 0;
        case EINTR:
            return WSAEINTR;
        case EBADF:
            return WSAEBADF;
        case EACCES:
            return WSAEACCES;
        case EPERM:
            return WSAEACCES;
        case EFAULT:
            return WSAEFAULT;
        case EINVAL:
            return WSAEINVAL;
        case EMFILE:
            return WSAEMFILE;
        case ENFILE:
            return WSAEMFILE;
        case EWOULDBLOCK:
            return WSAEWOULDBLOCK;
#if EAGAIN != EWOULDBLOCK
        case EAGAIN:
            return WSAEWOULDBLOCK;
#endif
        case EINPROGRESS:
            return WSAEWOULDBLOCK;
        case EALREADY:
            return WSAEALREADY;
        case ENOTSOCK:
            return WSAENOTSOCK;
        case EDESTADDRREQ:
            return WSAEDESTADDRREQ;
        case EMSGSIZE:
            return WSAEMSGSIZE;
        case EPROTOTYPE:
            return WSAEPROTOTYPE;
        case ENOPROTOOPT:
            return WSAENOPROTOOPT;
        case EPROTONOSUPPORT:
            return WSAEPROTONOSUPPORT;
        case ESOCKTNOSUPPORT:
            return WSAESOCKTNOSUPPORT;
        case EOPNOTSUPP:
            return WSAEOPNOTSUPP;
        case EPFNOSUPPORT:
            return WSAEPFNOSUPPORT;
        case EAFNOSUPPORT:
            return WSAEAFNOSUPPORT;
        case EADDRINUSE:
            return WSAEADDRINUSE;
        case EADDRNOTAVAIL:
            return WSAEADDRNOTAVAIL;
        case ENETDOWN:
            return WSAENETDOWN;
        case ENETUNREACH:
            return WSAENETUNREACH;
        case ENETRESET:
            return WSAENETRESET;
        case ECONNABORTED:
            return WSAECONNABORTED;
        case ECONNRESET:
            return WSAECONNRESET;
        // Writing to a connection the peer has dropped.
        case EPIPE:
            return WSAECONNRESET;
        case ENOBUFS:
            return WSAENOBUFS;
        case ENOMEM:
            return WSAENOBUFS;
        case EISCONN:
            return WSAEISCONN;
        case ENOTCONN:
            return WSAENOTCONN;
        case ESHUTDOWN:
            return WSAESHUTDOWN;
        case ETOOMANYREFS:
            return WSAETOOMANYREFS;
        case ETIMEDOUT:
            return WSAETIMEDOUT;
        case ECONNREFUSED:
            return WSAECONNREFUSED;
        case ELOOP:
            return WSAELOOP;
        case ENAMETOOLONG:
            return WSAENAMETOOLONG;
        case EHOSTDOWN:
            return WSAEHOSTDOWN;
        case EHOSTUNREACH:
            return WSAEHOSTUNREACH;
        case ENOTEMPTY:
            return WSAENOTEMPTY;
        case EUSERS:
            return WSAEUSERS;
        case EDQUOT:
            return WSAEDQUOT;
        case ESTALE:
            return WSAESTALE;
        case EREMOTE:
            return WSAEREMOTE;
        default:
            return WSAEINVAL;
    }
}

int FailWith(int wsaError) {
    lastError = wsaError;
    return SOCKET_ERROR;
}

int FailErrno() {
    return FailWith(MapErrno(errno));
}

// One open socket: its descriptor and, once selected, the notifiers that turn
// readiness into posted messages. Winsock's re-enabling rules are kept by
// switching the notifiers off after a notification until the call that
// re-enables it (recv for FD_READ, accept for FD_ACCEPT, a blocked send for
// FD_WRITE), so unread data never makes the loop spin.
//
// While FD_READ waits to be re-enabled the read notifier is off, yet the
// peer's close must still be announced: a socket whose data nobody reads
// would otherwise never learn that its connection ended. The close watch
// covers that stretch; it reports only the peer's hang-up, never data.
struct Entry {
    int fd = -1;
    bool datagram = false;
    HWND wnd = 0;
    UINT msg = 0;
    long events = 0;
    bool listening = false;
    bool connectPending = false;
    bool readArmed = true;
    bool writeWanted = false;
    bool closePosted = false;
    bool watched = false;  // registered with the close watch
    // A TLS session over the descriptor, once StartTls asked for one. While
    // it shakes hands the notifiers serve the handshake alone; afterwards
    // readiness means decrypted bytes, which may wait inside the session
    // where the descriptor no longer shows them.
    std::unique_ptr<TlsSession> tls;
    bool tlsHandshaking = false;
    bool tlsCheckQueued = false;
    std::string tlsFailure;
    std::unique_ptr<QSocketNotifier> readNotifier;
    std::unique_ptr<QSocketNotifier> writeNotifier;
};

class SocketTable {
public:
    static SocketTable& Get() {
        static SocketTable* table = new SocketTable;  // lives as long as the process
        return *table;
    }

    SOCKET Add(int fd, bool datagram) {
        SOCKET s = next_++;
        auto e = std::make_unique<Entry>();
        e->fd = fd;
        e->datagram = datagram;
        entries_[s] = std::move(e);
        return s;
    }

    Entry* Find(SOCKET s) {
        auto it = entries_.find(s);
        return it == entries_.end() ? nullptr : it->second.get();
    }

    void Remove(SOCKET s) {
        auto it = entries_.find(s);
        if (it == entries_.end())
            return;
        Unwatch(*it->second);
        entries_.erase(it);
    }

    void Select(SOCKET s, Entry& e) {
        if (!e.readNotifier) {
            e.readNotifier = std::make_unique<QSocketNotifier>(e.fd, QSocketNotifier::Read);
            e.writeNotifier = std::make_unique<QSocketNotifier>(e.fd, QSocketNotifier::Write);
            QObject::connect(e.readNotifier.get(), &QSocketNotifier::activated,
                             [this, s] { OnReadable(s); });
            QObject::connect(e.writeNotifier.get(), &QSocketNotifier::activated,
                             [this, s] { OnWritable(s); });
        }
        Update(e);
    }

    void Update(Entry& e) {
        if (!e.readNotifier)
            return;
        bool selected = e.events != 0 && e.wnd != 0;
        if (e.tlsHandshaking) {
            e.readNotifier->setEnabled(selected && !e.tls->WantsWrite());
            e.writeNotifier->setEnabled(selected && e.tls->WantsWrite());
            Unwatch(e);
            return;
        }
        bool wantRead = selected && !e.connectPending && e.readArmed &&
                        (e.events & (FD_READ | FD_CLOSE | FD_ACCEPT)) != 0;
        bool wantWrite =
            selected && (e.connectPending || (e.writeWanted && (e.events & FD_WRITE) != 0));
        bool wantWatch = selected && !e.connectPending && !e.readArmed && !e.closePosted &&
                         !e.listening && !e.datagram && (e.events & FD_CLOSE) != 0;
        e.readNotifier->setEnabled(wantRead);
        e.writeNotifier->setEnabled(wantWrite);
        if (wantWatch)
            Watch(e);
        else
            Unwatch(e);
    }

    static void Post(SOCKET s, const Entry& e, long event, int error) {
        if ((e.events & event) != 0)
            PostMessage(e.wnd, e.msg, s, MakeLParam(static_cast<unsigned>(event), error));
    }

    // Moves a handshake on from a readiness notification or from StartTls.
    void StepHandshake(SOCKET s, Entry& e) {
        switch (e.tls->Handshake()) {
            case TlsSession::Step::WantRead:
            case TlsSession::Step::WantWrite:
                break;
            case TlsSession::Step::Done:
                e.tlsHandshaking = false;
                PostHandshake(s, e, 0);
                QueueTlsCheck(s, e);
                break;
            case TlsSession::Step::Failed:
                e.tlsHandshaking = false;
                e.tlsFailure = e.tls->Failure();
                e.readArmed = false;
                e.writeWanted = false;
                PostHandshake(s, e, WSAECONNABORTED);
                break;
        }
        Update(e);
    }

    // Decrypted bytes left inside the session after a read: the descriptor
    // will not report them, so the next pass of the loop looks again and
    // announces them as the descriptor would have.
    void QueueTlsCheck(SOCKET s, Entry& e) {
        if (e.tlsCheckQueued || !e.tls || !e.tls->Established() || e.tls->Pending() == 0)
            return;
        e.tlsCheckQueued = true;
        QTimer::singleShot(0, &context_, [this, s] {
            Entry* found = Find(s);
            if (found == nullptr)
                return;
            found->tlsCheckQueued = false;
            if (!found->readArmed || found->tls->Pending() == 0 || found->events == 0)
                return;
            found->readArmed = false;
            Post(s, *found, FD_READ, 0);
            Update(*found);
        });
    }

private:
    // The close watch: one epoll set, readable when a watched connection
    // hangs up, whatever data it still holds.
    bool EnsureWatch() {
        if (watchFd_ >= 0)
            return true;
        watchFd_ = ::epoll_create1(EPOLL_CLOEXEC);
        if (watchFd_ < 0)
            return false;
        watchNotifier_ = std::make_unique<QSocketNotifier>(watchFd_, QSocketNotifier::Read);
        QObject::connect(watchNotifier_.get(), &QSocketNotifier::activated, [this] { OnHangUp(); });
        return true;
    }

    void Watch(Entry& e) {
        if (e.watched || !EnsureWatch())
            return;
        epoll_event ev{};
        ev.events = EPOLLRDHUP;  // hang-up and errors are always reported
        ev.data.fd = e.fd;
        if (::epoll_ctl(watchFd_, EPOLL_CTL_ADD, e.fd, &ev) == 0)
            e.watched = true;
    }

    void Unwatch(Entry& e) {
        if (!e.watched)
            return;
        ::epoll_ctl(watchFd_, EPOLL_CTL_DEL, e.fd, nullptr);
        e.watched = false;
    }

    void OnHangUp() {
        epoll_event events[16];
        int n = ::epoll_wait(watchFd_, events, 16, 0);
        for (int i = 0; i < n; ++i) {
            for (auto& [s, e] : entries_) {
                if (!e->watched || e->fd != events[i].data.fd)
                    continue;
                int err = 0;
                if ((events[i].events & EPOLLERR) != 0) {
                    socklen_t len = sizeof err;
                    if (::getsockopt(e->fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0)
                        err = errno;
                }
                e->closePosted = true;
                Post(s, *e, FD_CLOSE, MapErrno(err));
                Update(*e);
                break;
            }
        }
    }

    static void PostHandshake(SOCKET s, const Entry& e, int error) {
        if (e.msg != 0)
            PostMessage(e.wnd, e.msg, s, MakeLParam(static_cast<unsigned>(FD_HANDSHAKE), error));
    }

    // Readiness of a secured connection: records arrived, which may hold
    // data, nothing yet (part of a record, a ticket) or the end.
    void OnTlsReadable(SOCKET s, Entry& e) {
        char probe;
        int n = e.tls->Peek(&probe, 1);
        if (n == TlsSession::Blocked)
            return;  // what arrived was not data; the notifier reports more
        if (n > 0) {
            e.readArmed = false;
            Post(s, e, FD_READ, 0);
        } else {
            if (!e.closePosted)
                Post(s, e, FD_CLOSE, n == TlsSession::Closed ? 0 : WSAECONNRESET);
            e.closePosted = true;
            e.readArmed = false;
        }
        Update(e);
    }

    void OnReadable(SOCKET s) {
        Entry* e = Find(s);
        if (e == nullptr)
            return;
        if (e->tlsHandshaking) {
            StepHandshake(s, *e);
            return;
        }
        if (e->tls) {
            if (e->tls->Established())
                OnTlsReadable(s, *e);
            return;
        }
        if (e->listening) {
            e->readArmed = false;
            Post(s, *e, FD_ACCEPT, 0);
            Update(*e);
            return;
        }
        int waiting = 0;
        if (::ioctl(e->fd, FIONREAD, &waiting) == 0 && (waiting > 0 || e->datagram)) {
            e->readArmed = false;
            Post(s, *e, FD_READ, 0);
            Update(*e);
            return;
        }
        char probe;
        ssize_t n = ::recv(e->fd, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            return;  // nothing after all; the notifier reports the next change
        if (n > 0) {
            e->readArmed = false;
            Post(s, *e, FD_READ, 0);
        } else {
            // Announced once; the end of the stream stays readable, so the
            // notifier rests until the next read.
            if (!e->closePosted)
                Post(s, *e, FD_CLOSE, n == 0 ? 0 : MapErrno(errno));
            e->closePosted = true;
            e->readArmed = false;
        }
        Update(*e);
    }

    void OnWritable(SOCKET s) {
        Entry* e = Find(s);
        if (e == nullptr)
            return;
        if (e->tlsHandshaking) {
            StepHandshake(s, *e);
            return;
        }
        if (e->connectPending) {
            e->connectPending = false;
            int err = 0;
            socklen_t len = sizeof err;
            if (::getsockopt(e->fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0)
                err = errno;
            Post(s, *e, FD_CONNECT, MapErrno(err));
            if (err == 0)
                Post(s, *e, FD_WRITE, 0);
        } else if (e->writeWanted) {
            e->writeWanted = false;
            Post(s, *e, FD_WRITE, 0);
        }
        Update(*e);
    }

    std::unordered_map<SOCKET, std::unique_ptr<Entry>> entries_;
    SOCKET next_ = 0x100;
    int watchFd_ = -1;
    std::unique_ptr<QSocketNotifier> watchNotifier_;
    QObject context_;  // for the checks queued on the loop
};

Entry* Lookup(SOCKET s) {
    Entry* e = SocketTable::Get().Find(s);
    if (e == nullptr)
        lastError = WSAENOTSOCK;
    return e;
}

bool ToSystem(const SOCKADDR_IN* in, int len, sockaddr_in& out) {
    if (in == nullptr || len < static_cast<int>(sizeof(SOCKADDR_IN))) {
        lastError = WSAEFAULT;
        return false;
    }
    if (in->sin_family != WS_AF_INET) {
        lastError = WSAEAFNOSUPPORT;
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

const SERVENT* getservbyname(const std::string& name, const std::string* proto) {
    thread_local SERVENT result;
    servent entry{};
    servent* found = nullptr;
    char buf[1024];
    if (::getservbyname_r(name.c_str(), proto != nullptr ? proto->c_str() : nullptr, &entry, buf,
                          sizeof buf, &found) != 0 ||
        found == nullptr) {
        lastError = WSANO_DATA;
        return nullptr;
    }
    result.s_name = found->s_name;
    result.s_port = static_cast<std::uint16_t>(found->s_port);
    result.s_proto = found->s_proto != nullptr ? found->s_proto : "";
    return &result;
}

const PROTOENT* getprotobyname(const std::string& name) {
    thread_local PROTOENT result;
    protoent entry{};
    protoent* found = nullptr;
    char buf[1024];
    if (::getprotobyname_r(name.c_str(), &entry, buf, sizeof buf, &found) != 0 ||
        found == nullptr) {
        lastError = WSANO_DATA;
        return nullptr;
    }
    result.p_name = found->p_name;
    result.p_proto = static_cast<std::int16_t>(found->p_proto);
    return &result;
}

std::uint32_t inet_addr(const std::string& text) {
    // Up to four parts, each decimal, octal (leading 0) or hexadecimal (0x);
    // the last part fills the remaining bytes.
    std::uint32_t parts[4];
    int count = 0;
    std::size_t i = 0;
    const std::size_t n = text.size();
    if (n == 0)
        return WS_INADDR_NONE;
    while (true) {
        if (count == 4 || i >= n)
            return WS_INADDR_NONE;
        unsigned base = 10;
        if (text[i] == '0') {
            base = 8;
            if (i + 1 < n && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
                base = 16;
                i += 2;
            }
        }
        std::uint64_t value = 0;
        std::size_t digits = 0;
        while (i < n) {
            char c = text[i];
            unsigned d;
            if (c >= '0' && c <= '9')
                d = static_cast<unsigned>(c - '0');
            else if (base == 16 && c >= 'a' && c <= 'f')
                d = static_cast<unsigned>(c - 'a' + 10);
            else if (base == 16 && c >= 'A' && c <= 'F')
                d = static_cast<unsigned>(c - 'A' + 10);
            else
                break;
            if (d >= base)
                return WS_INADDR_NONE;
            value = value * base + d;
            if (value > 0xFFFFFFFFu)
                return WS_INADDR_NONE;
            ++digits;
            ++i;
        }
        if (digits == 0 && base != 8)
            return WS_INADDR_NONE;
        parts[count++] = static_cast<std::uint32_t>(value);
        if (i == n)
            break;
        if (text[i] != '.')
            return WS_INADDR_NONE;
        ++i;
    }
    std::uint32_t host;
    switch (count) {
        case 1:
            host = parts[0];
            break;
        case 2:
            if (parts[0] > 0xFF || parts[1] > 0xFFFFFF)
                return WS_INADDR_NONE;
            host = (parts[0] << 24) | parts[1];
            break;
        case 3:
            if (parts[0] > 0xFF || parts[1] > 0xFF || parts[2] > 0xFFFF)
                return WS_INADDR_NONE;
            host = (parts[0] << 24) | (parts[1] << 16) | parts[2];
            break;
        default:
            for (int k = 0; k < 4; ++k)
                if (parts[k] > 0xFF)
                    return WS_INADDR_NONE;
            host = (parts[0] << 24) | (parts[1] << 16) | (parts[2] << 8) | parts[3];
            break;
    }
    return htonl(host);
}

std::string inet_ntoa(IN_ADDR in) {
    std::uint32_t host = ntohl(in.S_addr);
    return std::to_string(host >> 24) + "." + std::to_string((host >> 16) & 0xFF) + "." +
           std::to_string((host >> 8) & 0xFF) + "." + std::to_string(host & 0xFF);
}

int SystemResolve(const std::string& name, std::vector<std::uint32_t>& addrs) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    int rc = ::getaddrinfo(name.c_str(), nullptr, &hints, &list);
    if (rc != 0) {
        switch (rc) {
            case EAI_NONAME:
                return WSAHOST_NOT_FOUND;
            case EAI_AGAIN:
                return WSATRY_AGAIN;
#ifdef EAI_NODATA
            case EAI_NODATA:
                return WSANO_DATA;
#endif
#ifdef EAI_ADDRFAMILY
            case EAI_ADDRFAMILY:
                return WSANO_DATA;
#endif
            default:
                return WSANO_RECOVERY;
        }
    }
    for (addrinfo* p = list; p != nullptr; p = p->ai_next) {
        if (p->ai_family != AF_INET || p->ai_addr == nullptr)
            continue;
        std::uint32_t a = reinterpret_cast<const sockaddr_in*>(p->ai_addr)->sin_addr.s_addr;
        bool seen = false;
        for (std::uint32_t b : addrs)
            seen = seen || a == b;
        if (!seen)
            addrs.push_back(a);
    }
    ::freeaddrinfo(list);
    return addrs.empty() ? WSANO_DATA : 0;
}

}  // namespace zelvo::platform
