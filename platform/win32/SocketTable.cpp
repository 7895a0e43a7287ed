// The socket table: our handles, the system's notifications passed on under
// them, and the TLS sessions driven by those notifications.
#include "platform/win32/SocketTable.h"

#include <algorithm>

#include "platform/win32/Win32.h"

namespace zelvo::platform::win32 {
namespace {

// A pass of the loop that looks for decrypted bytes left in a session.
constexpr UINT kTlsCheck = WM_APP;
// The numbers the system posts socket events under, one per open socket.
constexpr UINT kFirstSocketMessage = WM_APP + 1;
constexpr UINT kSocketMessages = 0xBFFF - kFirstSocketMessage + 1;
// How often the close watch looks, in milliseconds.
constexpr UINT kWatchPeriod = 50;
// How much unread data the close watch takes in to see past it.
constexpr std::size_t kStashLimit = 256 * 1024;

// A send the system took only part of: Winsock announces FD_WRITE only after
// one that would have blocked, so the room the rest needs is looked for here.
bool WriteWatched(const SocketEntry& e) {
    return !e.tls && e.writeWanted && e.msg != 0 && (e.events & FD_WRITE) != 0;
}

bool Writable(std::uintptr_t real) {
    fd_set writable;
    FD_ZERO(&writable);
    FD_SET(static_cast<::SOCKET>(real), &writable);
    timeval now{0, 0};
    return ::select(0, nullptr, &writable, nullptr, &now) > 0;
}

bool Watched(const SocketEntry& e) {
    return !e.tls && !e.datagram && !e.listening && !e.readArmed && !e.closePosted &&
           !e.peerClosed && e.msg != 0 && (e.events & FD_CLOSE) != 0;
}

}  // namespace

int DrainForClose(SocketEntry& e) {
    char buf[4096];
    while (e.stash.size() < kStashLimit) {
        const std::size_t room = std::min(sizeof buf, kStashLimit - e.stash.size());
        const int n = ::recv(static_cast<::SOCKET>(e.real), buf, static_cast<int>(room), 0);
        if (n > 0) {
            e.stash.append(buf, static_cast<std::size_t>(n));
            continue;
        }
        if (n == 0)
            return -1;
        const int error = ::WSAGetLastError();
        return error == WSAEWOULDBLOCK ? 0 : error;
    }
    // Full: what follows the data cannot be seen until the owner reads.
    return 0;
}

SocketTable& SocketTable::Get() {
    static SocketTable* table = new SocketTable;  // lives as long as the process
    return *table;
}

SocketTable::SocketTable()
    : window_([this](UINT msg, WPARAM wParam, LPARAM lParam) {
          return OnMessage(msg, wParam, lParam);
      }) {}

UINT SocketTable::NextInternalMessage() {
    // Round the range, skipping numbers in use: a notification still queued
    // under the number of a closed socket finds no socket, or one whose
    // system handle differs, and is dropped.
    for (UINT tries = 0; tries < kSocketMessages; ++tries) {
        UINT msg = kFirstSocketMessage + nextMessage_;
        nextMessage_ = (nextMessage_ + 1) % kSocketMessages;
        if (byMessage_.count(msg) == 0)
            return msg;
    }
    return 0;
}

SOCKET SocketTable::Add(std::uintptr_t real, bool datagram) {
    UINT msg = NextInternalMessage();
    if (msg == 0)
        return INVALID_SOCKET;
    SOCKET s = next_++;
    auto e = std::make_unique<SocketEntry>();
    e->real = real;
    e->datagram = datagram;
    e->internalMsg = msg;
    entries_[s] = std::move(e);
    byMessage_[msg] = s;
    return s;
}

SocketEntry* SocketTable::Find(SOCKET s) {
    auto it = entries_.find(s);
    return it == entries_.end() ? nullptr : it->second.get();
}

void SocketTable::Remove(SOCKET s) {
    auto it = entries_.find(s);
    if (it == entries_.end())
        return;
    byMessage_.erase(it->second->internalMsg);
    entries_.erase(it);
    UpdateWatch();
}

int SocketTable::Select(SocketEntry& e) {
    long events = 0;
    if (e.msg != 0 && e.events != 0 && e.wnd != 0) {
        // The peer's close is always watched, so that a zero-length read
        // can answer for it; it reaches the owner only when selected.
        events = e.events | FD_CLOSE;
        if (e.tls)
            events |= FD_READ | FD_WRITE;
    }
    const UINT msg = events != 0 ? e.internalMsg : 0;
    if (::WSAAsyncSelect(static_cast<::SOCKET>(e.real), reinterpret_cast<::HWND>(window_.Handle()),
                         msg, events) != 0)
        return ::WSAGetLastError();
    return 0;
}

void SocketTable::Post(SOCKET s, const SocketEntry& e, long event, int error) {
    if ((e.events & event) != 0)
        PostMessage(e.wnd, e.msg, s, MakeLParam(static_cast<unsigned>(event), error));
}

LRESULT SocketTable::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kTlsCheck) {
        CheckTls(wParam);
        return 0;
    }
    if (msg == WM_TIMER) {
        CheckWatched();
        return 0;
    }
    auto found = byMessage_.find(msg);
    if (found == byMessage_.end())
        return 0;
    const SOCKET s = found->second;
    SocketEntry* e = Find(s);
    if (e == nullptr || e->real != wParam)
        return 0;
    const long event = static_cast<long>(LoWord(static_cast<std::uintptr_t>(lParam)));
    const int error = static_cast<int>(HiWord(static_cast<std::uintptr_t>(lParam)));
    if (event == FD_CLOSE)
        e->peerClosed = true;
    if (e->tls)
        OnTlsEvent(s, *e, event, error);
    else
        OnEvent(s, *e, event, error);
    return 0;
}

void SocketTable::OnEvent(SOCKET s, SocketEntry& e, long event, int error) {
    if (event == FD_CLOSE) {
        // Announced once per selection.
        if (e.closePosted)
            return;
        e.closePosted = true;
    }
    if (event == FD_WRITE)
        e.writeWanted = false;
    if (event == FD_READ) {
        // The close watch's own reads re-enable the system's notification;
        // the owner's is still waiting for its read.
        if (!e.readArmed)
            return;
        if ((e.events & FD_READ) != 0)
            e.readArmed = false;
    }
    Post(s, e, event, error);
    UpdateWatch();
}

void SocketTable::UpdateWatch() {
    bool any = false;
    for (const auto& [s, e] : entries_)
        any = any || Watched(*e) || WriteWatched(*e);
    if (any == watching_)
        return;
    watching_ = any;
    const auto wnd = reinterpret_cast<::HWND>(window_.Handle());
    if (any)
        ::SetTimer(wnd, 1, kWatchPeriod, nullptr);
    else
        ::KillTimer(wnd, 1);
}

void SocketTable::CheckWatched() {
    for (auto& [s, e] : entries_) {
        if (WriteWatched(*e) && Writable(e->real)) {
            e->writeWanted = false;
            Post(s, *e, FD_WRITE, 0);
        }
        if (!Watched(*e))
            continue;
        const int state = DrainForClose(*e);
        if (state == 0)
            continue;
        e->peerClosed = true;
        e->closePosted = true;
        Post(s, *e, FD_CLOSE, state < 0 ? 0 : state);
    }
    UpdateWatch();
}

void SocketTable::StepHandshake(SOCKET s, SocketEntry& e) {
    int error = 0;
    switch (e.tls->Handshake()) {
        case TlsChannel::Step::WantRead:
        case TlsChannel::Step::WantWrite:
            return;  // the system announces the readiness the session waits for
        case TlsChannel::Step::Done:
            e.tlsHandshaking = false;
            break;
        case TlsChannel::Step::Failed:
            e.tlsHandshaking = false;
            e.tlsFailure = e.tls->Failure();
            e.readArmed = false;
            e.writeWanted = false;
            error = WSAECONNABORTED;
            break;
    }
    if (e.msg != 0)
        PostMessage(e.wnd, e.msg, s, MakeLParam(static_cast<unsigned>(FD_HANDSHAKE), error));
    if (error == 0)
        QueueTlsCheck(s, e);
}

void SocketTable::OnTlsEvent(SOCKET s, SocketEntry& e, long event, int error) {
    if (e.tlsHandshaking) {
        if (event == FD_CLOSE && error != 0) {
            e.tlsHandshaking = false;
            e.tlsFailure = "TLS handshake failed: connection reset";
            if (e.msg != 0)
                PostMessage(e.wnd, e.msg, s,
                            MakeLParam(static_cast<unsigned>(FD_HANDSHAKE), WSAECONNABORTED));
            return;
        }
        StepHandshake(s, e);
        return;
    }
    if (!e.tls->Established())
        return;
    switch (event) {
        case FD_READ:
        case FD_CLOSE:
            OnTlsReadable(s, e);
            break;
        case FD_WRITE:
            if (e.writeWanted) {
                e.writeWanted = false;
                Post(s, e, FD_WRITE, 0);
            }
            break;
        default:
            break;
    }
}

void SocketTable::OnTlsReadable(SOCKET s, SocketEntry& e) {
    if (!e.readArmed || e.closePosted)
        return;
    char probe;
    const int n = e.tls->Peek(&probe, 1);
    if (n == TlsChannel::Blocked)
        return;  // what arrived was not data; the system reports more
    e.readArmed = false;
    if (n > 0) {
        Post(s, e, FD_READ, 0);
        return;
    }
    e.closePosted = true;
    Post(s, e, FD_CLOSE, n == TlsChannel::Closed ? 0 : WSAECONNRESET);
}

void SocketTable::QueueTlsCheck(SOCKET s, SocketEntry& e) {
    if (e.tlsCheckQueued || !e.tls || !e.tls->Established())
        return;
    // Even with nothing decrypted left: the system's FD_READ that came while
    // the owner's was still unanswered went unused, and the system sends no
    // other until the session reads the socket again, which the check does.
    e.tlsCheckQueued = true;
    PostMessage(window_.Handle(), kTlsCheck, s, 0);
}

void SocketTable::CheckTls(SOCKET s) {
    SocketEntry* e = Find(s);
    if (e == nullptr || !e->tls)
        return;
    e->tlsCheckQueued = false;
    if (e->events == 0)
        return;
    OnTlsReadable(s, *e);
}

}  // namespace zelvo::platform::win32
