#pragma once
// The client end of one TLS session over a connected, non-blocking stream
// descriptor. Every call returns at once: when the records it needs have not
// arrived (or cannot leave yet) it says which readiness to wait for, and the
// caller repeats it once the descriptor is ready.
#include <memory>
#include <string>

struct ssl_st;
struct ssl_ctx_st;

namespace zelvo::platform {

class TlsSession {
public:
    enum class Step { Done, WantRead, WantWrite, Failed };
    // Outcome of a read or write that moved no bytes.
    enum : int { Blocked = -1, Closed = 0, Broken = -2 };

    // serverName is sent as SNI (unless it is an address) and is the name or
    // address the certificate must carry.
    TlsSession(int fd, const std::string& serverName);
    ~TlsSession();
    TlsSession(const TlsSession&) = delete;
    TlsSession& operator=(const TlsSession&) = delete;

    // Moves the handshake on; Failed leaves the reason in Failure().
    Step Handshake();
    bool Established() const { return established_; }
    // Which readiness the last call that blocked waits for.
    bool WantsWrite() const { return wantWrite_; }
    const std::string& Failure() const { return failure_; }

    // Plain-text bytes moved (> 0), or Blocked, Closed (the peer's
    // close_notify or end of stream) or Broken.
    int Read(void* buf, int len);
    int Peek(void* buf, int len);
    int Write(const void* buf, int len);
    // Decrypted bytes waiting inside the session, which the descriptor's own
    // readiness no longer shows.
    int Pending() const;
    // Sends close_notify once, without waiting for the peer's.
    void Shutdown();

private:
    int Finish(int rc);

    std::unique_ptr<ssl_ctx_st, void (*)(ssl_ctx_st*)> ctx_;
    std::unique_ptr<ssl_st, void (*)(ssl_st*)> ssl_;
    bool established_ = false;
    bool wantWrite_ = false;
    bool shutDown_ = false;
    std::string failure_;
};

}  // namespace zelvo::platform
