#include "platform/linux/TlsSession.h"

#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/OpenSslLibrary.h"

namespace zelvo::platform {
namespace {

// The library, once a session has loaded it; the callbacks below run only
// inside its calls.
const OpenSslLibrary* lib = nullptr;

int Descriptor(BIO* bio) {
    return static_cast<int>(reinterpret_cast<intptr_t>(lib->BIO_get_data(bio)));
}

// The descriptor's bytes go through send and recv with MSG_NOSIGNAL: a peer
// that has gone must show up as an error, never as a signal that ends the
// program.
int BioWrite(BIO* bio, const char* data, int len) {
    lib->BIO_clear_flags(bio, BIO_FLAGS_RWS | BIO_FLAGS_SHOULD_RETRY);
    ssize_t n = ::send(Descriptor(bio), data, static_cast<size_t>(len), MSG_NOSIGNAL);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        lib->BIO_set_flags(bio, BIO_FLAGS_WRITE | BIO_FLAGS_SHOULD_RETRY);
    return static_cast<int>(n);
}

// The session tells a peer's plain close from a failed read by asking the
// BIO whether the stream has ended; without the answer a server that closes
// without close_notify would break the stream instead of ending it.
int BioRead(BIO* bio, char* data, int len) {
    lib->BIO_clear_flags(bio, BIO_FLAGS_RWS | BIO_FLAGS_SHOULD_RETRY);
    ssize_t n = ::recv(Descriptor(bio), data, static_cast<size_t>(len), 0);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        lib->BIO_set_flags(bio, BIO_FLAGS_READ | BIO_FLAGS_SHOULD_RETRY);
    if (n == 0 && len > 0)
        lib->BIO_set_flags(bio, BIO_FLAGS_IN_EOF);
    return static_cast<int>(n);
}

int BioPuts(BIO* bio, const char* text) {
    return BioWrite(bio, text, static_cast<int>(std::strlen(text)));
}

long BioCtrl(BIO* bio, int cmd, long, void* ptr) {
    switch (cmd) {
        case BIO_C_GET_FD:
            if (ptr != nullptr)
                *static_cast<int*>(ptr) = Descriptor(bio);
            return Descriptor(bio);
        case BIO_CTRL_EOF:
            return lib->BIO_test_flags(bio, BIO_FLAGS_IN_EOF) != 0 ? 1 : 0;
        case BIO_CTRL_FLUSH:
            return 1;
        default:
            return 0;
    }
}

BIO_METHOD* SocketMethod() {
    static BIO_METHOD* method = [] {
        BIO_METHOD* m = lib->BIO_meth_new(
            lib->BIO_get_new_index() | BIO_TYPE_SOURCE_SINK | BIO_TYPE_DESCRIPTOR, "zelvo socket");
        lib->BIO_meth_set_write(m, BioWrite);
        lib->BIO_meth_set_read(m, BioRead);
        lib->BIO_meth_set_puts(m, BioPuts);
        lib->BIO_meth_set_ctrl(m, BioCtrl);
        return m;
    }();
    return method;
}

// A context per session: the trust store is read when the session starts, so
// SSL_CERT_FILE and SSL_CERT_DIR as they are at that moment apply.
ssl_ctx_st* NewContext() {
    SSL_CTX* ctx = lib->SSL_CTX_new(lib->TLS_client_method());
    if (ctx == nullptr)
        return nullptr;
    lib->SSL_CTX_ctrl(ctx, SSL_CTRL_SET_MIN_PROTO_VERSION, TLS1_2_VERSION, nullptr);
    lib->SSL_CTX_set_default_verify_paths(ctx);
    lib->SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, nullptr);
    // Servers commonly end an HTTP/1.0 body by closing without close_notify;
    // renegotiation would let a read wait on a write, which nothing drives.
    lib->SSL_CTX_set_options(ctx, SSL_OP_IGNORE_UNEXPECTED_EOF | SSL_OP_NO_RENEGOTIATION);
    lib->SSL_CTX_ctrl(ctx, SSL_CTRL_MODE,
                      SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER, nullptr);
    return ctx;
}

std::string ErrorReason() {
    unsigned long code = lib->ERR_peek_last_error();
    const char* reason = code != 0 ? lib->ERR_reason_error_string(code) : nullptr;
    return reason != nullptr ? reason : "unknown error";
}

}  // namespace

TlsSession::TlsSession(int fd, const std::string& serverName)
    : ctx_(nullptr, nullptr), ssl_(nullptr, nullptr) {
    std::string why;
    lib = LoadOpenSsl(&why);
    if (lib == nullptr) {
        failure_ = "TLS handshake failed: " + why;
        return;
    }
    ctx_ = {NewContext(), lib->SSL_CTX_free};
    if (!ctx_) {
        failure_ = "TLS handshake failed: " + ErrorReason();
        return;
    }
    ssl_ = {lib->SSL_new(ctx_.get()), lib->SSL_free};
    BIO* bio = ssl_ ? lib->BIO_new(SocketMethod()) : nullptr;
    if (bio == nullptr) {
        failure_ = "TLS handshake failed: " + ErrorReason();
        ssl_.reset();
        return;
    }
    lib->BIO_set_data(bio, reinterpret_cast<void*>(static_cast<intptr_t>(fd)));
    lib->BIO_set_init(bio, 1);
    lib->SSL_set_bio(ssl_.get(), bio, bio);
    lib->SSL_set_connect_state(ssl_.get());
    // An address is checked against the certificate's addresses and is never
    // sent as SNI, which carries host names only.
    X509_VERIFY_PARAM* param = lib->SSL_get0_param(ssl_.get());
    if (lib->X509_VERIFY_PARAM_set1_ip_asc(param, serverName.c_str()) != 1) {
        lib->SSL_set_hostflags(ssl_.get(), X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        if (serverName.empty() || lib->SSL_set1_host(ssl_.get(), serverName.c_str()) != 1 ||
            lib->SSL_ctrl(ssl_.get(), SSL_CTRL_SET_TLSEXT_HOSTNAME, TLSEXT_NAMETYPE_host_name,
                          const_cast<char*>(serverName.c_str())) != 1) {
            failure_ = "TLS handshake failed: invalid server name";
            ssl_.reset();
        }
    }
    lib->ERR_clear_error();
}

TlsSession::~TlsSession() = default;

TlsSession::Step TlsSession::Handshake() {
    if (established_)
        return Step::Done;
    if (!ssl_)
        return Step::Failed;
    lib->ERR_clear_error();
    errno = 0;
    int rc = lib->SSL_do_handshake(ssl_.get());
    if (rc == 1) {
        established_ = true;
        wantWrite_ = false;
        return Step::Done;
    }
    int error = lib->SSL_get_error(ssl_.get(), rc);
    if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) {
        wantWrite_ = error == SSL_ERROR_WANT_WRITE;
        return wantWrite_ ? Step::WantWrite : Step::WantRead;
    }
    long verify = lib->SSL_get_verify_result(ssl_.get());
    if (verify == X509_V_ERR_HOSTNAME_MISMATCH || verify == X509_V_ERR_IP_ADDRESS_MISMATCH)
        failure_ = "Certificate name mismatch";
    else if (verify != X509_V_OK)
        failure_ =
            std::string("Certificate not trusted: ") + lib->X509_verify_cert_error_string(verify);
    else if (error == SSL_ERROR_SSL)
        failure_ = "TLS handshake failed: " + ErrorReason();
    else if (error == SSL_ERROR_SYSCALL && errno != 0)
        failure_ = std::string("TLS handshake failed: ") + std::strerror(errno);
    else
        failure_ = "TLS handshake failed: connection closed by the server";
    lib->ERR_clear_error();
    ssl_.reset();
    return Step::Failed;
}

int TlsSession::Finish(int rc) {
    int error = lib->SSL_get_error(ssl_.get(), rc);
    lib->ERR_clear_error();
    switch (error) {
        case SSL_ERROR_WANT_READ:
            wantWrite_ = false;
            return Blocked;
        case SSL_ERROR_WANT_WRITE:
            wantWrite_ = true;
            return Blocked;
        case SSL_ERROR_ZERO_RETURN:
            return Closed;
        default:
            return Broken;
    }
}

int TlsSession::Read(void* buf, int len) {
    if (!established_ || !ssl_)
        return established_ ? Broken : Blocked;
    lib->ERR_clear_error();
    int n = lib->SSL_read(ssl_.get(), buf, len);
    return n > 0 ? n : Finish(n);
}

int TlsSession::Peek(void* buf, int len) {
    if (!established_ || !ssl_)
        return established_ ? Broken : Blocked;
    lib->ERR_clear_error();
    int n = lib->SSL_peek(ssl_.get(), buf, len);
    return n > 0 ? n : Finish(n);
}

int TlsSession::Write(const void* buf, int len) {
    if (!established_ || !ssl_)
        return established_ ? Broken : Blocked;
    if (len <= 0)
        return 0;
    lib->ERR_clear_error();
    int n = lib->SSL_write(ssl_.get(), buf, len);
    return n > 0 ? n : Finish(n);
}

int TlsSession::Pending() const {
    return established_ && ssl_ ? lib->SSL_pending(ssl_.get()) : 0;
}

void TlsSession::Shutdown() {
    if (!established_ || !ssl_ || shutDown_)
        return;
    shutDown_ = true;
    lib->ERR_clear_error();
    lib->SSL_shutdown(ssl_.get());
    lib->ERR_clear_error();
}

}  // namespace zelvo::platform
