// Securing a connection: the handshake runs beneath the socket on its own
// notifications, and its end is the session's start.
#include "socket/WSocket.h"

namespace zelvo::socket {

namespace ws = platform;

// --------------------------------------------------------------------- tls

void TCustomWSocket::StartSsl() {
    if (socketHandle_ == ws::INVALID_SOCKET || state_ != wsConnected || sslHandshaking_) {
        sslFailure_ = "TLS handshake failed: " + WinsockErrorText(ws::WSAENOTCONN);
        TriggerSessionConnected(ws::WSAENOTCONN);
        return;
    }
    BeginSsl();
}

void TCustomWSocket::BeginSsl() {
    sslFailure_.clear();
    // Without a name of its own the certificate must carry the address.
    const std::string name =
        sslServerName_.empty() ? ws::inet_ntoa(sockAddr_.sin_addr) : sslServerName_;
    if (ws::StartTls(socketHandle_, name) != 0) {
        sslFailure_ = "TLS handshake failed: " + WinsockErrorText(ws::WSAGetLastError());
        EndSsl(ws::WSAECONNABORTED);
        return;
    }
    sslHandshaking_ = true;
}

void TCustomWSocket::EndSsl(Word error) {
    sslHandshaking_ = false;
    if (error != 0 && sslFailure_.empty())
        sslFailure_ = ws::TlsFailure(socketHandle_);
    if (state_ == wsConnecting)
        ChangeState(wsConnected);
    const ws::SOCKET handle = socketHandle_;
    TriggerSessionConnected(error);
    // A session that could not be secured is of no use to anyone.
    if (error != 0 && socketHandle_ == handle && state_ != wsClosed)
        Close();
}

}  // namespace zelvo::socket
