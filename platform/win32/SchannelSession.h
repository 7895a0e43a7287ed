#pragma once
// The client end of one TLS session over a connected, non-blocking Winsock
// stream socket, through the system's security package. Every call returns at
// once: when the records it needs have not arrived (or cannot leave yet) it
// says which readiness to wait for, and the caller repeats it once the socket
// is ready. The same contract as the Linux session, so the socket table
// drives either alike.
#include <cstdint>
#include <memory>
#include <string>

namespace zelvo::platform {

class SchannelSession {
public:
    enum class Step { Done, WantRead, WantWrite, Failed };
    // Outcome of a read or write that moved no bytes.
    enum : int { Blocked = -1, Closed = 0, Broken = -2 };

    // socket is the system's SOCKET. serverName is sent as SNI (unless it is
    // a dotted address) and is the name or address the certificate must
    // carry.
    SchannelSession(std::uintptr_t socket, const std::string& serverName);
    ~SchannelSession();
    SchannelSession(const SchannelSession&) = delete;
    SchannelSession& operator=(const SchannelSession&) = delete;

    // Moves the handshake on; Failed leaves the reason in Failure().
    Step Handshake();
    bool Established() const;
    // Which readiness the last call that blocked waits for.
    bool WantsWrite() const;
    const std::string& Failure() const;

    // Plain-text bytes moved (> 0), or Blocked, Closed (the peer's
    // close_notify or end of stream) or Broken. A Write that returned Blocked
    // holds its record: the caller repeats it with the same bytes first.
    int Read(void* buf, int len);
    int Peek(void* buf, int len);
    int Write(const void* buf, int len);
    // Decrypted bytes waiting inside the session, which the socket's own
    // readiness no longer shows.
    int Pending() const;
    // Sends close_notify once, without waiting for the peer's.
    void Shutdown();

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace zelvo::platform
