#pragma once
// The client end of a TLS session over a connected, non-blocking Winsock
// socket, as the socket table drives it. Every call returns at once: when the
// records it needs have not arrived (or cannot leave yet) it says which
// readiness to wait for, and the table repeats it on the next notification.
#include <cstdint>
#include <memory>
#include <string>

namespace zelvo::platform::win32 {

class TlsChannel {
public:
    enum class Step { Done, WantRead, WantWrite, Failed };
    // Outcome of a read or write that moved no bytes.
    enum : int { Blocked = -1, Closed = 0, Broken = -2 };

    virtual ~TlsChannel() = default;

    // Moves the handshake on; Failed leaves the reason in Failure().
    virtual Step Handshake() = 0;
    virtual bool Established() const = 0;
    virtual const std::string& Failure() const = 0;
    // Plain-text bytes moved (> 0), or Blocked, Closed (the peer's
    // close_notify or end of stream) or Broken.
    virtual int Read(void* buf, int len) = 0;
    virtual int Peek(void* buf, int len) = 0;
    virtual int Write(const void* buf, int len) = 0;
    // Decrypted bytes waiting inside the session, which the socket's own
    // notifications no longer announce.
    virtual int Pending() const = 0;
    // Sends close_notify once, without waiting for the peer's.
    virtual void Shutdown() = 0;
};

// Any session class with those calls, constructed from the system's socket
// and the server name, as a channel.
template <typename Session>
class TlsChannelOver : public TlsChannel {
public:
    TlsChannelOver(std::uintptr_t socket, const std::string& serverName)
        : session_(socket, serverName) {}
    Step Handshake() override { return static_cast<Step>(session_.Handshake()); }
    bool Established() const override { return session_.Established(); }
    const std::string& Failure() const override { return session_.Failure(); }
    int Read(void* buf, int len) override { return session_.Read(buf, len); }
    int Peek(void* buf, int len) override { return session_.Peek(buf, len); }
    int Write(const void* buf, int len) override { return session_.Write(buf, len); }
    int Pending() const override { return session_.Pending(); }
    void Shutdown() override { session_.Shutdown(); }

private:
    Session session_;
};

// A session for the system's socket; nullptr where this build has no TLS.
std::unique_ptr<TlsChannel> OpenTlsChannel(std::uintptr_t socket, const std::string& serverName);

}  // namespace zelvo::platform::win32
