#include "platform/win32/SchannelSession.h"

// Before windows.h, which would bring the older socket header.
#include <winsock2.h>
// After winsock2.h.
#include <windows.h>
// After windows.h, which they need.
#define SECURITY_WIN32
// The newer credentials (SCH_CREDENTIALS) sit behind this switch.
#define SCHANNEL_USE_BLACKLISTS
#include <subauth.h>
// After subauth.h, which they need.
#include <schannel.h>
#include <security.h>
#include <sspi.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/win32/CertificateCheck.h"
#include "platform/win32/WideText.h"

namespace zelvo::platform {
namespace {

constexpr ULONG kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT |
                                ISC_REQ_CONFIDENTIALITY | ISC_REQ_EXTENDED_ERROR |
                                ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                                ISC_REQ_MANUAL_CRED_VALIDATION;

// The first byte of a record's header: its content type, and the protocol's
// major version after it.
constexpr unsigned char kChangeCipherSpecRecord = 20;
constexpr unsigned char kAlertRecord = 21;
constexpr unsigned char kHandshakeRecord = 22;
constexpr unsigned char kDataRecord = 23;
constexpr unsigned char kMajorVersion = 3;

// Whether the bytes that open what the server sent can be a TLS record. A
// plain server's answer is refused at once, as the Linux path does, instead
// of read as the length of a record that never completes.
bool LooksLikeRecord(const std::string& in) {
    if (in.empty())
        return true;
    const auto type = static_cast<unsigned char>(in[0]);
    static_assert(kAlertRecord > kChangeCipherSpecRecord && kHandshakeRecord < kDataRecord);
    if (type < kChangeCipherSpecRecord || type > kDataRecord)
        return false;
    return in.size() < 2 || static_cast<unsigned char>(in[1]) == kMajorVersion;
}

// A record's header, and the most a record may hold after it.
constexpr std::size_t kRecordHeader = 5;
constexpr std::size_t kLargestRecord = kRecordHeader + 16 * 1024 + 2048;

// What the socket did with a transfer.
enum class Io { Done, Blocked, Failed };

// The texts a reader of the Linux build knows for the same faults.
std::string SocketReason(int error) {
    switch (error) {
        case WSAECONNRESET:
            return "Connection reset by peer";
        case WSAECONNABORTED:
            return "Software caused connection abort";
        case WSAETIMEDOUT:
            return "Connection timed out";
        case WSAENOTCONN:
            return "Transport endpoint is not connected";
        case WSAESHUTDOWN:
            return "Cannot send after transport endpoint shutdown";
        default:
            return "socket error " + std::to_string(error);
    }
}

std::string StatusReason(SECURITY_STATUS status) {
    switch (status) {
        case SEC_E_INVALID_TOKEN:
            return "wrong version number";
        case SEC_E_ILLEGAL_MESSAGE:
            return "unexpected message";
        case SEC_E_ALGORITHM_MISMATCH:
            return "sslv3 alert handshake failure";
        case SEC_E_UNSUPPORTED_FUNCTION:
            return "unsupported protocol";
        case SEC_E_DECRYPT_FAILURE:
        case SEC_E_MESSAGE_ALTERED:
            return "bad record mac";
        case SEC_E_INSUFFICIENT_MEMORY:
            return "out of memory";
        case SEC_E_INTERNAL_ERROR:
            return "internal error";
        default: {
            char text[32];
            std::snprintf(text, sizeof text, "security error 0x%08lX",
                          static_cast<unsigned long>(status));
            return text;
        }
    }
}

// Buffers the package allocated, freed however the call went.
struct ContextBuffer {
    SecBuffer& buffer;
    ~ContextBuffer() {
        if (buffer.pvBuffer != nullptr)
            ::FreeContextBuffer(buffer.pvBuffer);
    }
};

}  // namespace

struct SchannelSession::State {
    SOCKET socket = INVALID_SOCKET;
    std::wstring target;  // empty for an address, which is sent as no name
    std::string serverName;
    CredHandle cred{};
    bool haveCred = false;
    CtxtHandle context{};
    bool haveContext = false;
    SecPkgContext_StreamSizes sizes{};

    std::string in;     // records received and not yet taken apart
    std::string out;    // records made and not yet sent
    std::string plain;  // decrypted and not yet read
    int heldPlain = 0;  // the caller's bytes in out, reported once it has left

    bool secured = false;  // the handshake is through, its last record may wait in out
    bool established = false;
    bool failed = false;
    bool wantWrite = false;
    bool needMore = false;  // in holds part of a record
    bool retried = false;   // the server asked for a certificate we do not have
    bool closed = false;    // the peer's close_notify or end of stream
    bool broken = false;
    bool shutDown = false;
    std::string failure;

    ~State() {
        if (haveContext)
            ::DeleteSecurityContext(&context);
        if (haveCred)
            ::FreeCredentialsHandle(&cred);
    }

    bool AcquireCredentials();
    SECURITY_STATUS Continue(bool withInput);
    Io Flush();
    int Receive(std::size_t limit = kLargestRecord);
    std::size_t RecordRest() const;
    Step Fail(const std::string& reason);
    Step Secured();
    void DecryptWaiting();
    int Fill();
};

// TLS 1.2 and newer. The newer form of the credentials knows TLS 1.3; older
// systems refuse it, and take the older form, limited to TLS 1.2.
bool SchannelSession::State::AcquireCredentials() {
    TLS_PARAMETERS tls{};
    tls.grbitDisabledProtocols = ~static_cast<DWORD>(SP_PROT_TLS1_2_CLIENT | SP_PROT_TLS1_3_CLIENT);
    SCH_CREDENTIALS modern{};
    modern.dwVersion = SCH_CREDENTIALS_VERSION;
    modern.dwFlags =
        SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS | SCH_USE_STRONG_CRYPTO;
    modern.cTlsParameters = 1;
    modern.pTlsParameters = &tls;
    TimeStamp expiry{};
    wchar_t* package = const_cast<wchar_t*>(UNISP_NAME_W);
    SECURITY_STATUS status = ::AcquireCredentialsHandleW(
        nullptr, package, SECPKG_CRED_OUTBOUND, nullptr, &modern, nullptr, nullptr, &cred, &expiry);
    if (status != SEC_E_OK) {
        SCHANNEL_CRED older{};
        older.dwVersion = SCHANNEL_CRED_VERSION;
        older.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
        older.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
        status = ::AcquireCredentialsHandleW(nullptr, package, SECPKG_CRED_OUTBOUND, nullptr,
                                             &older, nullptr, nullptr, &cred, &expiry);
    }
    if (status != SEC_E_OK) {
        failure = "TLS handshake failed: " + StatusReason(status);
        return false;
    }
    haveCred = true;
    return true;
}

// One step of the handshake with what has arrived (or, the first time,
// nothing): its records join out, what it left of in stays there.
SECURITY_STATUS SchannelSession::State::Continue(bool withInput) {
    SecBuffer input[2] = {};
    input[0].BufferType = SECBUFFER_TOKEN;
    input[0].cbBuffer = static_cast<ULONG>(in.size());
    input[0].pvBuffer = in.data();
    input[1].BufferType = SECBUFFER_EMPTY;
    SecBufferDesc inputDesc{SECBUFFER_VERSION, 2, input};
    SecBuffer output[2] = {};
    output[0].BufferType = SECBUFFER_TOKEN;
    output[1].BufferType = SECBUFFER_ALERT;
    SecBufferDesc outputDesc{SECBUFFER_VERSION, 2, output};
    ContextBuffer token{output[0]};
    ContextBuffer alert{output[1]};
    ULONG attributes = 0;
    SECURITY_STATUS status = ::InitializeSecurityContextW(
        &cred, haveContext ? &context : nullptr, target.empty() ? nullptr : target.data(),
        kContextFlags, 0, 0, withInput ? &inputDesc : nullptr, 0, &context, &outputDesc,
        &attributes, nullptr);
    if (!haveContext && (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED ||
                         status == SEC_I_INCOMPLETE_CREDENTIALS))
        haveContext = true;
    if (output[0].pvBuffer != nullptr && output[0].cbBuffer > 0)
        out.append(static_cast<const char*>(output[0].pvBuffer), output[0].cbBuffer);
    if (status == SEC_E_INCOMPLETE_MESSAGE) {
        needMore = true;
        return status;
    }
    needMore = false;
    if (withInput) {
        if (input[1].BufferType == SECBUFFER_EXTRA && input[1].cbBuffer > 0)
            in.erase(0, in.size() - std::min<std::size_t>(in.size(), input[1].cbBuffer));
        else if (status != SEC_I_INCOMPLETE_CREDENTIALS)
            in.clear();
    }
    return status;
}

Io SchannelSession::State::Flush() {
    while (!out.empty()) {
        int n = ::send(socket, out.data(),
                       static_cast<int>(std::min<std::size_t>(out.size(), INT_MAX)), 0);
        if (n == SOCKET_ERROR) {
            int error = ::WSAGetLastError();
            if (error == WSAEWOULDBLOCK)
                return Io::Blocked;
            failure = SocketReason(error);
            return Io::Failed;
        }
        out.erase(0, static_cast<std::size_t>(n));
    }
    return Io::Done;
}

// Appends what the socket holds to in, up to limit bytes: the count, 0 at
// the end of the stream, Blocked, or Broken (the reason in failure).
int SchannelSession::State::Receive(std::size_t limit) {
    char buf[kLargestRecord];
    int n = ::recv(socket, buf, static_cast<int>(std::min(limit, sizeof buf)), 0);
    if (n > 0) {
        in.append(buf, static_cast<std::size_t>(n));
        return n;
    }
    if (n == 0)
        return 0;
    int error = ::WSAGetLastError();
    if (error == WSAEWOULDBLOCK)
        return Blocked;
    failure = SocketReason(error);
    return Broken;
}

SchannelSession::Step SchannelSession::State::Fail(const std::string& reason) {
    failed = true;
    wantWrite = false;
    failure = reason;
    return Step::Failed;
}

// The handshake is through: the protocol and the certificate are judged
// before any data goes.
SchannelSession::Step SchannelSession::State::Secured() {
    // Not every implementation of the package keeps to the protocols the
    // credentials allow, so the one agreed on is checked as well.
    SecPkgContext_ConnectionInfo info{};
    if (::QueryContextAttributesW(&context, SECPKG_ATTR_CONNECTION_INFO, &info) == SEC_E_OK &&
        (info.dwProtocol & (SP_PROT_TLS1_2_CLIENT | SP_PROT_TLS1_3_CLIENT)) == 0)
        return Fail("TLS handshake failed: unsupported protocol");
    PCCERT_CONTEXT cert = nullptr;
    if (::QueryContextAttributesW(&context, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &cert) != SEC_E_OK ||
        cert == nullptr)
        return Fail("TLS handshake failed: peer did not return a certificate");
    std::string fault = win32::CheckServerCertificate(cert, serverName);
    ::CertFreeCertificateContext(cert);
    if (!fault.empty())
        return Fail(fault);
    if (::QueryContextAttributesW(&context, SECPKG_ATTR_STREAM_SIZES, &sizes) != SEC_E_OK)
        return Fail("TLS handshake failed: internal error");
    secured = true;
    return Step::Done;
}

SchannelSession::SchannelSession(std::uintptr_t socket, const std::string& serverName)
    : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.socket = static_cast<SOCKET>(socket);
    s.serverName = serverName;
    if (serverName.empty()) {
        s.Fail("TLS handshake failed: invalid server name");
        return;
    }
    if (!win32::IsDottedAddress(serverName))
        s.target = win32::Wide(serverName);
    if (!s.AcquireCredentials())
        s.failed = true;
}

SchannelSession::~SchannelSession() = default;

bool SchannelSession::Established() const {
    return state_->established;
}

bool SchannelSession::WantsWrite() const {
    return state_->wantWrite;
}

const std::string& SchannelSession::Failure() const {
    return state_->failure;
}

SchannelSession::Step SchannelSession::Handshake() {
    State& s = *state_;
    if (s.established)
        return Step::Done;
    if (s.failed)
        return Step::Failed;
    for (;;) {
        switch (s.Flush()) {
            case Io::Done:
                break;
            case Io::Blocked:
                s.wantWrite = true;
                return Step::WantWrite;
            case Io::Failed:
                return s.Fail("TLS handshake failed: " + s.failure);
        }
        if (s.secured) {
            s.established = true;
            s.wantWrite = false;
            // Records that came with the handshake's last: Pending shows their
            // data, which the socket will not announce again.
            s.DecryptWaiting();
            return Step::Done;
        }
        SECURITY_STATUS status;
        if (!s.haveContext) {
            status = s.Continue(false);
        } else {
            if (s.in.empty() || s.needMore) {
                int n = s.Receive();
                if (n == Blocked) {
                    s.wantWrite = false;
                    return Step::WantRead;
                }
                if (n == 0)
                    return s.Fail("TLS handshake failed: connection closed by the server");
                if (n == Broken)
                    return s.Fail("TLS handshake failed: " + s.failure);
            }
            if (!LooksLikeRecord(s.in))
                return s.Fail("TLS handshake failed: wrong version number");
            const std::size_t offered = s.in.size();
            status = s.Continue(true);
            // A step that took nothing waits for more rather than repeating.
            if (status == SEC_I_CONTINUE_NEEDED && !s.in.empty() && s.in.size() == offered)
                s.needMore = true;
        }
        switch (status) {
            case SEC_E_OK:
                if (s.Secured() == Step::Failed)
                    return Step::Failed;
                break;
            case SEC_I_CONTINUE_NEEDED:
            case SEC_E_INCOMPLETE_MESSAGE:
                break;
            case SEC_I_INCOMPLETE_CREDENTIALS:
                // Asked for a certificate of ours: go on without one, once.
                if (s.retried)
                    return s.Fail("TLS handshake failed: " + StatusReason(status));
                s.retried = true;
                break;
            default:
                // The alert for the server, if the package made one.
                s.Flush();
                return s.Fail("TLS handshake failed: " + StatusReason(status));
        }
    }
}

// Takes apart every whole record in in. Data goes to plain; a post-handshake
// message (a TLS 1.3 ticket or key update) goes back through the handshake,
// which answers it without a round trip.
void SchannelSession::State::DecryptWaiting() {
    while (!in.empty() && !closed && !broken) {
        SecBuffer buffers[4] = {};
        buffers[0].BufferType = SECBUFFER_DATA;
        buffers[0].cbBuffer = static_cast<ULONG>(in.size());
        buffers[0].pvBuffer = in.data();
        for (int i = 1; i < 4; ++i)
            buffers[i].BufferType = SECBUFFER_EMPTY;
        SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
        const bool alert = static_cast<unsigned char>(in[0]) == kAlertRecord;
        SECURITY_STATUS status = ::DecryptMessage(&context, &desc, 0, nullptr);
        if (status == SEC_E_INCOMPLETE_MESSAGE)
            return;
        if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE && status != SEC_I_CONTEXT_EXPIRED) {
            broken = true;
            return;
        }
        std::size_t extra = 0;
        const std::size_t before = plain.size();
        for (const SecBuffer& b : buffers) {
            if (b.BufferType == SECBUFFER_DATA && b.cbBuffer > 0 && status == SEC_E_OK)
                plain.append(static_cast<const char*>(b.pvBuffer), b.cbBuffer);
            else if (b.BufferType == SECBUFFER_EXTRA)
                extra = std::min<std::size_t>(b.cbBuffer, in.size());
        }
        const bool nothing = plain.size() == before;
        if (extra == in.size()) {
            broken = true;  // nothing taken: it would be offered again forever
            return;
        }
        in.erase(0, in.size() - extra);
        // Some implementations of the package hand a close_notify back as
        // an empty success rather than as the context's end; a fatal alert
        // would have been an error, so an alert record that gave nothing is
        // the peer's close.
        if (status == SEC_E_OK && alert && nothing)
            status = SEC_I_CONTEXT_EXPIRED;
        if (status == SEC_I_CONTEXT_EXPIRED) {
            closed = true;
            return;
        }
        if (status == SEC_I_RENEGOTIATE) {
            // A full renegotiation would need a round trip that reads drive
            // nothing of; the Linux path refuses it as well.
            SECURITY_STATUS answer = Continue(true);
            if (answer == SEC_E_INCOMPLETE_MESSAGE) {
                needMore = false;
                continue;  // the message's rest arrives with the next records
            }
            if (answer != SEC_E_OK || Flush() == Io::Failed) {
                broken = true;
                return;
            }
        }
    }
}

// How much of the record that in begins is still to come. Once secured the
// socket is read a record at a time, as the Linux path reads it: whatever
// follows stays in the socket, whose readiness then announces it (a
// close_notify taken along with the last data would be announced by nothing).
std::size_t SchannelSession::State::RecordRest() const {
    if (in.size() < kRecordHeader)
        return kRecordHeader - in.size();
    const std::size_t length =
        static_cast<unsigned char>(in[3]) << 8 | static_cast<unsigned char>(in[4]);
    return kRecordHeader + length > in.size() ? kRecordHeader + length - in.size() : kLargestRecord;
}

// Makes plain hold something, or says why it cannot.
int SchannelSession::State::Fill() {
    for (;;) {
        if (!plain.empty())
            return static_cast<int>(plain.size());
        DecryptWaiting();
        if (!plain.empty())
            continue;
        if (closed)
            return Closed;
        if (broken)
            return Broken;
        int n = Receive(RecordRest());
        if (n == 0) {
            // A server that ends its body by closing, without close_notify,
            // has ended the stream, as on the Linux path.
            closed = true;
        } else if (n == Blocked) {
            wantWrite = false;
            return Blocked;
        } else if (n == Broken) {
            broken = true;
        }
    }
}

int SchannelSession::Read(void* buf, int len) {
    State& s = *state_;
    if (!s.established)
        return s.failed ? Broken : Blocked;
    if (len <= 0)
        return 0;
    int n = s.Fill();
    if (n <= 0)
        return n;
    n = std::min(n, len);
    std::memcpy(buf, s.plain.data(), static_cast<std::size_t>(n));
    s.plain.erase(0, static_cast<std::size_t>(n));
    // Records already received may hold more: decrypted now, Pending shows
    // them where the socket's readiness will not.
    if (s.plain.empty())
        s.DecryptWaiting();
    return n;
}

int SchannelSession::Peek(void* buf, int len) {
    State& s = *state_;
    if (!s.established)
        return s.failed ? Broken : Blocked;
    if (len <= 0)
        return 0;
    int n = s.Fill();
    if (n <= 0)
        return n;
    n = std::min(n, len);
    std::memcpy(buf, s.plain.data(), static_cast<std::size_t>(n));
    return n;
}

int SchannelSession::Write(const void* buf, int len) {
    State& s = *state_;
    if (!s.established)
        return s.failed ? Broken : Blocked;
    if (s.broken || s.shutDown)
        return Broken;
    if (len <= 0)
        return 0;
    if (s.heldPlain == 0) {
        // One record at a time: a record that cannot leave whole is held,
        // and the caller's repeat of the same bytes sends its rest.
        const ULONG n = std::min<ULONG>(static_cast<ULONG>(len), s.sizes.cbMaximumMessage);
        std::string record(s.sizes.cbHeader + n + s.sizes.cbTrailer, '\0');
        std::memcpy(record.data() + s.sizes.cbHeader, buf, n);
        SecBuffer buffers[4] = {};
        buffers[0] = {s.sizes.cbHeader, SECBUFFER_STREAM_HEADER, record.data()};
        buffers[1] = {n, SECBUFFER_DATA, record.data() + s.sizes.cbHeader};
        buffers[2] = {s.sizes.cbTrailer, SECBUFFER_STREAM_TRAILER,
                      record.data() + s.sizes.cbHeader + n};
        buffers[3].BufferType = SECBUFFER_EMPTY;
        SecBufferDesc desc{SECBUFFER_VERSION, 4, buffers};
        if (::EncryptMessage(&s.context, 0, &desc, 0) != SEC_E_OK) {
            s.broken = true;
            return Broken;
        }
        s.out.append(record.data(),
                     buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer);
        s.heldPlain = static_cast<int>(n);
    }
    switch (s.Flush()) {
        case Io::Done:
            break;
        case Io::Blocked:
            s.wantWrite = true;
            return Blocked;
        case Io::Failed:
            s.broken = true;
            return Broken;
    }
    int sent = s.heldPlain;
    s.heldPlain = 0;
    return sent;
}

int SchannelSession::Pending() const {
    return state_->established ? static_cast<int>(state_->plain.size()) : 0;
}

void SchannelSession::Shutdown() {
    State& s = *state_;
    if (!s.established || s.shutDown)
        return;
    s.shutDown = true;
    DWORD type = SCHANNEL_SHUTDOWN;
    SecBuffer token{sizeof type, SECBUFFER_TOKEN, &type};
    SecBufferDesc desc{SECBUFFER_VERSION, 1, &token};
    if (::ApplyControlToken(&s.context, &desc) != SEC_E_OK)
        return;
    s.Continue(false);
    s.Flush();
}

}  // namespace zelvo::platform
