#pragma once
// The open sockets of the process and the notifications they post. Winsock's
// re-enabling rules are kept here; the socket calls in WinSock.cpp tell the
// table what they did. Only WinSock.cpp includes it.
#include <QObject>
#include <QSocketNotifier>

#include <memory>
#include <string>
#include <unordered_map>

#include "platform/MessageLoop.h"
#include "platform/linux/TlsSession.h"
#include "platform/linux/WinSockInternal.h"

namespace zelvo::platform::detail {

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
    static SocketTable& Get();

    SOCKET Add(int fd, bool datagram);
    Entry* Find(SOCKET s);
    void Remove(SOCKET s);

    // Creates the notifiers on the first selection, then sets them.
    void Select(SOCKET s, Entry& e);
    // Switches the notifiers and the close watch to what the entry's state
    // asks for.
    void Update(Entry& e);

    static void Post(SOCKET s, const Entry& e, long event, int error);

    // Moves a handshake on from a readiness notification or from StartTls.
    void StepHandshake(SOCKET s, Entry& e);

    // Decrypted bytes left inside the session after a read: the descriptor
    // will not report them, so the next pass of the loop looks again and
    // announces them as the descriptor would have.
    void QueueTlsCheck(SOCKET s, Entry& e);

private:
    // The close watch: one epoll set, readable when a watched connection
    // hangs up, whatever data it still holds.
    bool EnsureWatch();
    void Watch(Entry& e);
    void Unwatch(Entry& e);
    void OnHangUp();

    static void PostHandshake(SOCKET s, const Entry& e, int error);

    // Readiness of a secured connection: records arrived, which may hold
    // data, nothing yet (part of a record, a ticket) or the end.
    void OnTlsReadable(SOCKET s, Entry& e);
    void OnReadable(SOCKET s);
    void OnWritable(SOCKET s);

    std::unordered_map<SOCKET, std::unique_ptr<Entry>> entries_;
    SOCKET next_ = 0x100;
    int watchFd_ = -1;
    std::unique_ptr<QSocketNotifier> watchNotifier_;
    QObject context_;  // for the checks queued on the loop
};

}  // namespace zelvo::platform::detail
