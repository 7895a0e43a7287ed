// The socket table: the notifiers behind each socket and the close watch.
#include "platform/linux/SocketTable.h"

#include <sys/epoll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <QTimer>

#include <cerrno>

namespace zelvo::platform::detail {

SocketTable& SocketTable::Get() {
    static SocketTable* table = new SocketTable;  // lives as long as the process
    return *table;
}

SOCKET SocketTable::Add(int fd, bool datagram) {
    SOCKET s = next_++;
    auto e = std::make_unique<Entry>();
    e->fd = fd;
    e->datagram = datagram;
    entries_[s] = std::move(e);
    return s;
}

Entry* SocketTable::Find(SOCKET s) {
    auto it = entries_.find(s);
    return it == entries_.end() ? nullptr : it->second.get();
}

void SocketTable::Remove(SOCKET s) {
    auto it = entries_.find(s);
    if (it == entries_.end())
        return;
    Unwatch(*it->second);
    entries_.erase(it);
}

void SocketTable::Select(SOCKET s, Entry& e) {
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

void SocketTable::Update(Entry& e) {
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

void SocketTable::Post(SOCKET s, const Entry& e, long event, int error) {
    if ((e.events & event) != 0)
        PostMessage(e.wnd, e.msg, s, MakeLParam(static_cast<unsigned>(event), error));
}

void SocketTable::StepHandshake(SOCKET s, Entry& e) {
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

void SocketTable::QueueTlsCheck(SOCKET s, Entry& e) {
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

bool SocketTable::EnsureWatch() {
    if (watchFd_ >= 0)
        return true;
    watchFd_ = ::epoll_create1(EPOLL_CLOEXEC);
    if (watchFd_ < 0)
        return false;
    watchNotifier_ = std::make_unique<QSocketNotifier>(watchFd_, QSocketNotifier::Read);
    QObject::connect(watchNotifier_.get(), &QSocketNotifier::activated, [this] { OnHangUp(); });
    return true;
}

void SocketTable::Watch(Entry& e) {
    if (e.watched || !EnsureWatch())
        return;
    epoll_event ev{};
    ev.events = EPOLLRDHUP;  // hang-up and errors are always reported
    ev.data.fd = e.fd;
    if (::epoll_ctl(watchFd_, EPOLL_CTL_ADD, e.fd, &ev) == 0)
        e.watched = true;
}

void SocketTable::Unwatch(Entry& e) {
    if (!e.watched)
        return;
    ::epoll_ctl(watchFd_, EPOLL_CTL_DEL, e.fd, nullptr);
    e.watched = false;
}

void SocketTable::OnHangUp() {
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

void SocketTable::PostHandshake(SOCKET s, const Entry& e, int error) {
    if (e.msg != 0)
        PostMessage(e.wnd, e.msg, s, MakeLParam(static_cast<unsigned>(FD_HANDSHAKE), error));
}

void SocketTable::OnTlsReadable(SOCKET s, Entry& e) {
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

void SocketTable::OnReadable(SOCKET s) {
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

void SocketTable::OnWritable(SOCKET s) {
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

}  // namespace zelvo::platform::detail
