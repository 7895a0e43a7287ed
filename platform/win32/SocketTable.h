#pragma once
// The open sockets of the process: our handles, never reused, over the
// system's sockets, whose handles the system may hand out again. The system
// posts each socket's notifications to one hidden window under a message
// number of that socket's own; the table passes them on to the owner's window
// with our handle. Winsock keeps its own re-enabling rules; the table adds
// only what a TLS session over the socket needs. Only this folder's socket
// sources include it.
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/MessageLoop.h"
#include "platform/WinSock.h"
#include "platform/win32/TlsChannel.h"

namespace zelvo::platform::win32 {

struct SocketEntry {
    std::uintptr_t real = 0;  // the system's SOCKET
    bool datagram = false;
    bool listening = false;
    HWND wnd = 0;
    UINT msg = 0;
    long events = 0;
    UINT internalMsg = 0;  // the number the system posts this socket's events under
    bool peerClosed = false;
    bool closePosted = false;
    // A TLS session over the socket, once StartTls asked for one. While it
    // shakes hands the notifications serve the handshake alone; afterwards
    // readiness means decrypted bytes, which may wait inside the session
    // where the socket no longer shows them.
    std::unique_ptr<TlsChannel> tls;
    bool tlsHandshaking = false;
    bool tlsCheckQueued = false;
    // False from an announced FD_READ until the read that re-enables it.
    bool readArmed = true;
    bool writeWanted = false;
    std::string tlsFailure;
    // Data the close watch read before the owner did.
    std::string stash;
};

// Whether the peer has closed, whatever data still waits: the system tells
// only once that data is read, so it is read into the entry's stash (up to a
// limit), which the socket's reads then serve first. 0 while the connection
// is open, else the error to announce with FD_CLOSE (-1 for a close without
// one).
int DrainForClose(SocketEntry& e);

class SocketTable {
public:
    static SocketTable& Get();

    SOCKET Add(std::uintptr_t real, bool datagram);
    SocketEntry* Find(SOCKET s);
    // Forgets the socket; the caller closes the system's.
    void Remove(SOCKET s);

    // Asks the system for the notifications the entry's state needs; the
    // system's error code, 0 on success.
    int Select(SocketEntry& e);

    // Watches the peer's close while an announced FD_READ waits for the read
    // that re-enables it: the system announces nothing meanwhile, yet a
    // socket whose data nobody reads must still learn that its connection
    // ended. Watches for room after a send the system took only part of.
    void UpdateWatch();

    void StepHandshake(SOCKET s, SocketEntry& e);
    // After a read: decrypted bytes left inside the session, or records that
    // arrived while the owner's FD_READ was unanswered, are not reported by
    // the socket, so the next pass of the loop looks again and announces
    // them as the socket would have.
    void QueueTlsCheck(SOCKET s, SocketEntry& e);

private:
    SocketTable();
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnEvent(SOCKET s, SocketEntry& e, long event, int error);
    void OnTlsEvent(SOCKET s, SocketEntry& e, long event, int error);
    void OnTlsReadable(SOCKET s, SocketEntry& e);
    void CheckTls(SOCKET s);
    void CheckWatched();
    static void Post(SOCKET s, const SocketEntry& e, long event, int error);
    UINT NextInternalMessage();

    std::unordered_map<SOCKET, std::unique_ptr<SocketEntry>> entries_;
    std::unordered_map<UINT, SOCKET> byMessage_;
    SOCKET next_ = 0x100;
    UINT nextMessage_ = 0;
    bool watching_ = false;
    MessageWindow window_;
};

}  // namespace zelvo::platform::win32
