// Any bytes as what a server sends a client that is securing its connection.
// The session sits on one end of a local stream pair; the input arrives on
// the other end in pieces, a readiness round each, and the session is moved
// on the way the socket layer moves it: only while the descriptor shows the
// readiness it asked for (or, once secured, while it holds plain text), and
// never blocking. Whatever the session writes is read and thrown away.
//
// Input: the first byte says how the rest is taken.
//   bits 0-5  size of each piece, and of each read once secured (0: all at
//             once, and reads of a full record)
//   bit 6     trust the one certificate below; otherwise nothing is trusted
//   bit 7     check the server against an address instead of a host name,
//             which also leaves out the name the client would announce
//
// The client's randomness is a fixed stream restarted for every input, so
// its hello is the same each time: a server's reply recorded once (the seeds
// are) decrypts again on replay, and an input behaves the same on every run.
//
// With nothing trusted the handshake must never succeed. Either way the
// session must never ask again for a readiness the descriptor already shows
// or sit on plain text (the message loop would spin on it), must hand out no
// plain text before it is secured, and must come to an end once the server's
// end has closed: a failure with a reason, or, once secured, the end of the
// stream.
#define OPENSSL_SUPPRESS_DEPRECATED  // the replaceable random method
#include <openssl/rand.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

#include "platform/linux/TlsSession.h"

using zelvo::platform::TlsSession;

namespace {

// Self-signed for news.example.test and 127.0.0.1, valid from 2000 to 2199;
// its key was thrown away once the seeds were recorded.
constexpr char kTrusted[] = R"(-----BEGIN CERTIFICATE-----
MIIBfTCCASOgAwIBAgICEAAwCgYIKoZIzj0EAwIwHDEaMBgGA1UEAwwRbmV3cy5l
eGFtcGxlLnRlc3QwIBcNMDAwMTAxMDAwMDAwWhgPMjE5OTEyMzEyMzU5NTlaMBwx
GjAYBgNVBAMMEW5ld3MuZXhhbXBsZS50ZXN0MFkwEwYHKoZIzj0CAQYIKoZIzj0D
AQcDQgAEA6FpPMywGAm9yBhac2c71QyibHQoZ5/lXU8arZm9lVF3xHIQ5FX2KzpF
/HLwIEPiPaOZKTQUvpMIw1yQPGWAt6NTMFEwIgYDVR0RBBswGYIRbmV3cy5leGFt
cGxlLnRlc3SHBH8AAAEwDAYDVR0TAQH/BAIwADAdBgNVHQ4EFgQU1m5VncCY65K3
grtYl8uYLoIqhxwwCgYIKoZIzj0EAwIDSAAwRQIhAJRVzf1nGcS8COD/51hak9BS
TBzDFNCO0G4+MpclznG7AiBlIefcVqSskYznxC4NZU5cwVerytDy2ih0YOjz/6/8
lw==
-----END CERTIFICATE-----
)";

// Enough pieces for a whole input a byte at a time; beyond it the rest goes
// in one piece, so no input costs more than this many rounds.
constexpr int kMaxRounds = 4096;
// Calls in a row that move nothing while the descriptor stays ready; one
// call drains what it can, so more than a couple means it spins.
constexpr int kMaxIdleCalls = 4;
// A full record of plain text.
constexpr int kRecord = 16384;

[[noreturn]] void Fail(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "FuzzTlsRecords: %s%s%s\n", what, detail.empty() ? "" : ": ",
                 detail.c_str());
    std::abort();
}

struct FixedRandom {
    static inline std::uint64_t state = 0;

    static void Restart() { state = 0; }

    static int Bytes(unsigned char* buf, int num) {
        for (int i = 0; i < num; ++i) {
            std::uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
            z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
            z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
            buf[i] = static_cast<unsigned char>(z ^ (z >> 31));
        }
        return 1;
    }
    static int Seed(const void*, int) { return 1; }
    static int Add(const void*, int, double) { return 1; }
    static int Status() { return 1; }

    static constexpr RAND_METHOD kMethod = {Seed, Bytes, nullptr, Add, Bytes, Status};
};

// The library is not instrumented, so how far it got is told to the fuzzer as
// extra features: where in the input the client stopped, how much it wrote
// back, which reason it gave and how much plain text it handed out.
__attribute__((used, section("__libfuzzer_extra_counters"))) std::uint8_t progress[4][256];

std::size_t Slot(std::size_t n) {
    return n < 128 ? n : 128 + std::min<std::size_t>((n - 128) >> 5, 127);
}

// The trust store is read when a session starts, so each input picks its own.
std::string trustedFile;

void Trust(bool trusted) {
    ::setenv("SSL_CERT_FILE", trusted ? trustedFile.c_str() : "/dev/null", 1);
}

class Pair {
public:
    Pair() {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds_) != 0)
            Fail("socketpair", std::strerror(errno));
    }
    ~Pair() {
        CloseServer();
        ::close(fds_[0]);
    }
    Pair(const Pair&) = delete;
    Pair& operator=(const Pair&) = delete;

    int Client() const { return fds_[0]; }

    // Queues bytes from the server; returns how many the pair took.
    std::size_t Send(std::string_view bytes) {
        if (bytes.empty() || fds_[1] < 0)
            return 0;
        ssize_t n = ::send(fds_[1], bytes.data(), bytes.size(), MSG_NOSIGNAL);
        std::size_t taken = n > 0 ? static_cast<std::size_t>(n) : 0;
        sent_ += taken;
        return taken;
    }

    // Bytes the client has taken off its descriptor.
    std::size_t Consumed() const {
        int unread = 0;
        ::ioctl(fds_[0], FIONREAD, &unread);
        return sent_ - static_cast<std::size_t>(std::max(unread, 0));
    }
    std::size_t Written() const { return written_; }

    // What the client wrote, thrown away, so its sends never block.
    void Drain() {
        char buf[4096];
        for (ssize_t n; fds_[1] >= 0 && (n = ::recv(fds_[1], buf, sizeof buf, 0)) > 0;)
            written_ += static_cast<std::size_t>(n);
    }

    void CloseServer() {
        if (fds_[1] >= 0)
            ::close(fds_[1]);
        fds_[1] = -1;
    }

    // The readiness the client's descriptor shows right now.
    bool Ready(bool write) const {
        pollfd p{fds_[0], static_cast<short>(write ? POLLOUT : POLLIN), 0};
        return ::poll(&p, 1, 0) == 1 && p.revents != 0;
    }

private:
    int fds_[2] = {-1, -1};
    std::size_t sent_ = 0;
    std::size_t written_ = 0;
};

bool StartsWith(const std::string& s, std::string_view prefix) {
    return s.size() >= prefix.size() && std::string_view(s).substr(0, prefix.size()) == prefix;
}

void CheckFailure(const TlsSession& tls) {
    const std::string& why = tls.Failure();
    constexpr std::string_view kHandshake = "TLS handshake failed: ";
    constexpr std::string_view kUntrusted = "Certificate not trusted: ";
    bool reasoned = (StartsWith(why, kHandshake) && why.size() > kHandshake.size()) ||
                    (StartsWith(why, kUntrusted) && why.size() > kUntrusted.size()) ||
                    why == "Certificate name mismatch";
    if (!reasoned)
        Fail("failed without a reason", why);
    if (tls.Established())
        Fail("failed yet established");
}

// No plain text may come out of a session that is not secured.
void CheckNothingReadable(TlsSession& tls) {
    char buf[64];
    if (tls.Read(buf, sizeof buf) > 0 || tls.Peek(buf, sizeof buf) > 0 || tls.Pending() != 0)
        Fail("plain text from a session that is not secured");
}

class Driver {
public:
    Driver(Pair& pair, TlsSession& tls, bool trusted, int readSize)
        : pair_(pair), tls_(tls), trusted_(trusted), readSize_(readSize) {}

    bool Failed() const { return step_ == TlsSession::Step::Failed; }
    bool Secured() const { return step_ == TlsSession::Step::Done; }
    // Nothing more to wait for: the handshake failed or the stream ended.
    bool Over() const { return Failed() || ended_; }
    std::size_t PlainText() const { return plainText_; }

    // One readiness round: calls while the session has something to do, as a
    // level-triggered notifier and the socket layer's check for plain text
    // left inside the session would make them.
    void Round() {
        for (int idle = 0; !Over() && Wanted();) {
            if (idle == kMaxIdleCalls)
                Fail(Secured() ? "blocked with plain text or a readable descriptor"
                               : "still wants a readiness the descriptor shows");
            idle = Call() ? 0 : idle + 1;
            pair_.Drain();
        }
    }

    // One call, as a readiness notification or the start makes it; says
    // whether it moved anything.
    bool Call() { return Secured() ? ReadOnce() : HandshakeOnce(); }

    // What the session asked for and what its descriptor shows, for a report.
    std::string State() const {
        pollfd p{pair_.Client(), POLLIN | POLLOUT, 0};
        int n = ::poll(&p, 1, 0);
        return "step " + std::to_string(static_cast<int>(step_)) + ", wants write " +
               std::to_string(tls_.WantsWrite()) + ", poll " + std::to_string(n) + " events " +
               std::to_string(p.revents) + ", fd " + std::to_string(pair_.Client());
    }

    // What ended the stream, Closed or Broken, once it has.
    int End() const { return end_; }

private:
    bool Wanted() const {
        if (Secured())
            return tls_.Pending() > 0 || pair_.Ready(false);
        return pair_.Ready(tls_.WantsWrite());
    }

    bool HandshakeOnce() {
        TlsSession::Step step = tls_.Handshake();
        if (Failed() && step != TlsSession::Step::Failed)
            Fail("came back after failing");
        switch (step) {
            case TlsSession::Step::Done:
                if (!trusted_)
                    Fail("handshake succeeded with nothing to trust");
                if (!tls_.Established() || tls_.WantsWrite())
                    Fail("done yet not established");
                step_ = step;
                WriteRequest();
                return true;
            case TlsSession::Step::Failed: {
                CheckFailure(tls_);
                if (Failed() && tls_.Failure() != failure_)
                    Fail("reason changed", failure_ + " -> " + tls_.Failure());
                failure_ = tls_.Failure();
                step_ = step;
                return true;
            }
            case TlsSession::Step::WantRead:
            case TlsSession::Step::WantWrite:
                if ((step == TlsSession::Step::WantWrite) != tls_.WantsWrite())
                    Fail("step and wanted readiness disagree");
                CheckNothingReadable(tls_);
                step_ = step;
                return false;
        }
        Fail("unknown step");
    }

    // The pair has room and the server's end is open, so a secured session
    // takes a small write whole.
    void WriteRequest() {
        static constexpr char kRequest[] = "GET / HTTP/1.0\r\n\r\n";
        int n = tls_.Write(kRequest, sizeof kRequest - 1);
        if (n != static_cast<int>(sizeof kRequest - 1))
            Fail("secured session refused a small write", std::to_string(n));
    }

    // A peek and the read after it see the same bytes.
    bool ReadOnce() {
        char peeked[kRecord];
        char buf[kRecord];
        int p = peekNext_ ? tls_.Peek(peeked, readSize_) : 0;
        peekNext_ = !peekNext_;
        int n = tls_.Read(buf, readSize_);
        if (n > readSize_ || p > readSize_)
            Fail("read more than asked");
        if (p > 0 && (n != p || std::memcmp(peeked, buf, static_cast<std::size_t>(n)) != 0))
            Fail("peek and read disagree");
        if (tls_.Pending() < 0 || tls_.Pending() > kRecord)
            Fail("implausible pending count", std::to_string(tls_.Pending()));
        if (n > 0) {
            plainText_ += static_cast<std::size_t>(n);
            return true;
        }
        if (n == TlsSession::Blocked) {
            if (tls_.Pending() > 0)
                Fail("blocked with plain text inside");
            return false;
        }
        if (n != TlsSession::Closed && n != TlsSession::Broken)
            Fail("unknown read result", std::to_string(n));
        ended_ = true;
        end_ = n;
        char more;
        if (tls_.Read(&more, 1) > 0 || tls_.Peek(&more, 1) > 0)
            Fail("plain text after the end");
        return true;
    }

    Pair& pair_;
    TlsSession& tls_;
    const bool trusted_;
    const int readSize_;
    TlsSession::Step step_ = TlsSession::Step::WantRead;
    std::string failure_;
    bool peekNext_ = false;
    bool ended_ = false;
    int end_ = TlsSession::Blocked;
    std::size_t plainText_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The trusted certificate as a file that goes with the process.
    int fd = ::memfd_create("trusted", MFD_CLOEXEC);
    if (fd < 0 || ::write(fd, kTrusted, sizeof kTrusted - 1) != sizeof kTrusted - 1)
        Fail("cannot hold the trusted certificate", std::strerror(errno));
    trustedFile = "/proc/self/fd/" + std::to_string(fd);
    ::setenv("SSL_CERT_DIR", "/dev/null", 1);
    if (RAND_set_rand_method(&FixedRandom::kMethod) != 1)
        Fail("cannot fix the randomness");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return -1;
    const std::size_t piece = data[0] & 0x3f;
    const bool trusted = (data[0] & 0x40) != 0;
    const bool byAddress = (data[0] & 0x80) != 0;
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);

    FixedRandom::Restart();
    Trust(trusted);
    Pair pair;
    TlsSession tls(pair.Client(), byAddress ? "127.0.0.1" : "news.example.test");
    Driver driver(pair, tls, trusted, piece == 0 ? kRecord : static_cast<int>(piece));
    driver.Call();  // the client speaks first
    pair.Drain();

    std::string queued;  // sent by the server but not yet taken by the pair
    for (int round = 0; round < kMaxRounds && !driver.Over() && !(rest.empty() && queued.empty());
         ++round) {
        std::size_t n =
            piece == 0 || round + 1 == kMaxRounds ? rest.size() : std::min(piece, rest.size());
        queued.append(rest.substr(0, n));
        rest.remove_prefix(n);
        queued.erase(0, pair.Send(queued));
        driver.Round();
    }
    const bool endedEarly = driver.Over();
    progress[0][Slot(pair.Consumed())] = 1;

    pair.CloseServer();
    driver.Round();
    if (!driver.Over())
        Fail("still waiting after the server closed", driver.State());
    if (driver.PlainText() > size)
        Fail("more plain text than the server sent");
    progress[1][Slot(pair.Written())] = 1;
    progress[2][std::hash<std::string>()(tls.Failure()) & 255] = 1;
    progress[3][Slot(driver.PlainText())] = 1;
    // Servers end a body by closing, often without a close_notify; when all
    // that came before was accepted, that is the end of the stream, not a
    // broken one.
    if (driver.Secured() && !endedEarly && driver.End() != TlsSession::Closed)
        Fail("the server's close broke a sound stream");
    // An ended session stays ended and quiet.
    driver.Call();
    if (driver.Failed()) {
        CheckNothingReadable(tls);
        char byte = 'x';
        if (tls.Write(&byte, 1) > 0)
            Fail("wrote after failing");
    }
    tls.Shutdown();
    tls.Shutdown();
    return 0;
}
