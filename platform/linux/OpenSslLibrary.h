#pragma once
// The TLS library, loaded at the first TLS session instead of at start. Most
// runs of the programs never make one (a page read from a file, a plain
// http site), and loading it costs more than the rest of their start-up: its
// relocations outnumber those of every other library they use together.
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <string>

namespace zelvo::platform {

// Every call the TLS session makes into the library, by its own name.
// clang-format off
#define ZELVO_OPENSSL_CALLS(X) \
    X(TLS_client_method) \
    X(SSL_CTX_new) \
    X(SSL_CTX_free) \
    X(SSL_CTX_ctrl) \
    X(SSL_CTX_set_options) \
    X(SSL_CTX_set_default_verify_paths) \
    X(SSL_CTX_set_verify) \
    X(SSL_new) \
    X(SSL_free) \
    X(SSL_ctrl) \
    X(SSL_set_bio) \
    X(SSL_set_connect_state) \
    X(SSL_get0_param) \
    X(SSL_set_hostflags) \
    X(SSL_set1_host) \
    X(SSL_do_handshake) \
    X(SSL_get_error) \
    X(SSL_get_verify_result) \
    X(SSL_read) \
    X(SSL_peek) \
    X(SSL_write) \
    X(SSL_pending) \
    X(SSL_shutdown) \
    X(X509_VERIFY_PARAM_set1_ip_asc) \
    X(X509_verify_cert_error_string) \
    X(ERR_peek_last_error) \
    X(ERR_reason_error_string) \
    X(ERR_clear_error) \
    X(BIO_new) \
    X(BIO_meth_new) \
    X(BIO_get_new_index) \
    X(BIO_meth_set_write) \
    X(BIO_meth_set_read) \
    X(BIO_meth_set_puts) \
    X(BIO_meth_set_ctrl) \
    X(BIO_set_data) \
    X(BIO_get_data) \
    X(BIO_set_init) \
    X(BIO_set_flags) \
    X(BIO_test_flags) \
    X(BIO_clear_flags)
// clang-format on

struct OpenSslLibrary {
#define ZELVO_OPENSSL_MEMBER(name) decltype(&::name) name = nullptr;
    ZELVO_OPENSSL_CALLS(ZELVO_OPENSSL_MEMBER)
#undef ZELVO_OPENSSL_MEMBER
};

// The library, loaded on the first call and kept for the life of the
// process; nullptr when it cannot be loaded, with the reason in *why.
const OpenSslLibrary* LoadOpenSsl(std::string* why);

}  // namespace zelvo::platform
