#include "socket/WSocket.h"

#include <utility>

#include "socket/WSocketDetail.h"

namespace zelvo::socket {

namespace ws = platform;

namespace {

// Runs an event's handler, if one is assigned, through a copy: the handler
// may rebind the event while it runs.
template <typename Handler, typename... Args>
void Fire(const Handler& handler, Args... args) {
    if (handler) {
        Handler copy = handler;
        copy(args...);
    }
}

// Winsock is started once for all sockets of the process and stopped with
// the last of them. All sockets live on the main thread.
bool winsockStarted = false;
int socketInstances = 0;

}  // namespace

void detail::StartWinsock() {
    if (winsockStarted)
        return;
    ws::WSADATA data;
    int rc = ws::WSAStartup(0x0101, &data);
    if (rc != 0)
        throw ESocketException("wsock32.dll: WSAStartup error #" + std::to_string(rc));
    winsockStarted = true;
}

TCustomWSocket::TCustomWSocket()
    : window_(std::make_unique<platform::MessageWindow>(
          [this](platform::UINT msg, platform::WPARAM w, platform::LPARAM l) {
              return WndProc(msg, w, l);
          })) {
    ResetToDefaults();
    ++socketInstances;
    detail::StartWinsock();
}

TCustomWSocket::~TCustomWSocket() {
    destroying_ = true;
    try {
        CancelDnsLookup();
        if (socketHandle_ != ws::INVALID_SOCKET)
            DoClose(false);
    } catch (...) {
        // A failure to release while going away has nobody left to tell.
    }
    window_.reset();
    if (--socketInstances <= 0) {
        socketInstances = 0;
        if (winsockStarted) {
            ws::WSACleanup();
            winsockStarted = false;
        }
    }
}

void TCustomWSocket::ResetToDefaults() {
    sockAddr_ = ws::SOCKADDR_IN{};
    sockAddr_.sin_family = ws::WS_AF_INET;
    addressFamily_ = ws::WS_AF_INET;
    portAssigned_ = false;
    addrAssigned_ = false;
    protoAssigned_ = true;
    protocolNumber_ = ws::WS_IPPROTO_TCP;
    protoStr_ = "tcp";
    socketType_ = ws::WS_SOCK_STREAM;
    socketHandle_ = ws::INVALID_SOCKET;
    state_ = wsClosed;
    allSent_ = true;
    paused_ = false;
    readCount_ = 0;
    closeEventFired_ = false;
    flushTimeout_ = 60;
    waitTargetState_ = wsInvalidState;
    sslHandshaking_ = false;
    // The characters of an unfinished line stay for the ReadLine that is
    // waiting on them; the next ReadLine starts afresh.
    if (lineMode_)
        EndLineMode();
    // Bytes still queued belong to the connection that ended; sent on the
    // next one they would reach the wrong peer.
    sendBlocks_.clear();
}

platform::LRESULT TCustomWSocket::WndProc(platform::UINT msg, platform::WPARAM wParam,
                                          platform::LPARAM lParam) {
    if (msg == WM_ASYNCSELECT)
        HandleSocketEvent(wParam, lParam);
    else if (msg == WM_ASYNCGETHOSTBYNAME)
        HandleLookupDone(wParam, lParam);
    return 0;
}

// -------------------------------------------------------------------- events

bool TCustomWSocket::TriggerDataAvailable(Word error) {
    if (!OnDataAvailable)
        return false;
    Fire(OnDataAvailable, this, error);
    return true;
}

void TCustomWSocket::TriggerSessionAvailable(Word error) {
    Fire(OnSessionAvailable, this, error);
}

void TCustomWSocket::TriggerSessionConnected(Word error) {
    Fire(OnSessionConnected, this, error);
}

void TCustomWSocket::TriggerSessionClosed(Word error) {
    Fire(OnSessionClosed, this, error);
}

void TCustomWSocket::TriggerDataSent(Word error) {
    Fire(OnDataSent, this, error);
}

void TCustomWSocket::TriggerChangeState(TSocketState oldState, TSocketState newState) {
    if (OnChangeState)
        OnChangeState(this, oldState, newState);
}

void TCustomWSocket::TriggerDnsLookupDone(Word error) {
    Fire(OnDnsLookupDone, this, error);
}

void TCustomWSocket::TriggerError() {
    if (OnError)
        OnError(this);
}

void TCustomWSocket::TriggerLineTooLong() {
    Fire(OnLineTooLong, this);
}

void TCustomWSocket::ChangeState(TSocketState newState) {
    TSocketState old = state_;
    state_ = newState;
    TriggerChangeState(old, newState);
    if (multiThreaded_ || waitTargetState_ == wsInvalidState)
        return;
    // A connection awaited in vain ends the wait as well.
    if (newState == waitTargetState_ || (waitTargetState_ == wsConnected && newState == wsClosed))
        StopWaitCtrl();
}

// ------------------------------------------------------------------- errors

void TCustomWSocket::RaiseSocketError(const std::string& msg) {
    if (OnError)
        TriggerError();
    else
        throw ESocketException(msg);
}

void TCustomWSocket::ReportWinsockError(const std::string& functionName) {
    int code = ws::WSAGetLastError();
    std::string text = "Error " + std::to_string(code) + " in function " + functionName + "\r\n" +
                       WinsockErrorText(code);
    if (code == ws::WSAECONNRESET || code == ws::WSAENOTCONN) {
        if (socketHandle_ != ws::INVALID_SOCKET)
            ws::closesocket(socketHandle_);
        socketHandle_ = ws::INVALID_SOCKET;
        if (state_ != wsClosed)
            ChangeState(wsClosed);
    }
    RaiseSocketError(text);
}

// ------------------------------------------------------------------ connect

void TCustomWSocket::BindSocket() {
    ws::SOCKADDR_IN local{};
    local.sin_family = static_cast<std::int16_t>(addressFamily_);
    local.sin_addr.S_addr = ws::WS_INADDR_ANY;
    local.sin_port = 0;
    if (ws::bind(socketHandle_, &local, sizeof local) != 0) {
        RaiseSocketError("winsock.bind failed, error #" + std::to_string(ws::WSAGetLastError()));
        return;
    }
    int len = sizeof local;
    if (ws::getsockname(socketHandle_, &local, &len) != 0) {
        RaiseSocketError("winsock.getsockname failed, error #" +
                         std::to_string(ws::WSAGetLastError()));
        return;
    }
    localPortNumber_ = ws::WsNtohs(local.sin_port);
}

void TCustomWSocket::Connect() {
    if (socketHandle_ != ws::INVALID_SOCKET && state_ != wsClosed) {
        RaiseSocketError("Connect: Socket already in use");
        return;
    }
    if (!portAssigned_) {
        RaiseSocketError("Connect: No Port Specified");
        return;
    }
    if (!addrAssigned_) {
        RaiseSocketError("Connect: No IP Address Specified");
        return;
    }
    if (!protoAssigned_) {
        RaiseSocketError("Connect: No Protocol Specified");
        return;
    }

    sslFailure_.clear();
    socketHandle_ = ws::socket(addressFamily_, socketType_, protocolNumber_);
    if (socketHandle_ == ws::INVALID_SOCKET) {
        ReportWinsockError("Connect (socket)");
        return;
    }
    ChangeState(wsOpened);

    const bool datagram = socketType_ == ws::WS_SOCK_DGRAM;
    if (datagram) {
        BindSocket();
        if (sockAddr_.sin_addr.S_addr == ws::WS_INADDR_NONE) {
            int on = 1;
            if (ws::setsockopt(socketHandle_, ws::WS_SOL_SOCKET, ws::WS_SO_BROADCAST, &on,
                               sizeof on) != 0) {
                ReportWinsockError("setsockopt(SO_BROADCAST)");
                return;
            }
        }
    } else {
        // Closing never waits and drops whatever is unsent.
        ws::LINGER linger{1, 0};
        if (ws::setsockopt(socketHandle_, ws::WS_SOL_SOCKET, ws::WS_SO_LINGER, &linger,
                           sizeof linger) != 0) {
            ReportWinsockError("setsockopt(SO_LINGER)");
            return;
        }
        int on = 1;
        if (ws::setsockopt(socketHandle_, ws::WS_SOL_SOCKET, ws::WS_SO_KEEPALIVE, &on, sizeof on) !=
            0) {
            ReportWinsockError("setsockopt(SO_KEEPALIVE)");
            return;
        }
        if (ws::setsockopt(socketHandle_, ws::WS_SOL_SOCKET, ws::WS_SO_REUSEADDR, &on, sizeof on) !=
            0) {
            ReportWinsockError("setsockopt(SO_REUSEADDR)");
            return;
        }
    }

    if (ws::WSAAsyncSelect(
            socketHandle_, window_->Handle(), WM_ASYNCSELECT,
            ws::FD_READ | ws::FD_WRITE | ws::FD_ACCEPT | ws::FD_CONNECT | ws::FD_CLOSE) != 0) {
        ReportWinsockError("WSAAsyncSelect");
        return;
    }

    if (datagram) {
        ChangeState(wsConnected);
        TriggerSessionConnected(0);
        return;
    }

    if (ws::connect(socketHandle_, &sockAddr_, sizeof sockAddr_) != 0) {
        int error = ws::WSAGetLastError();
        if (error != ws::WSAEWOULDBLOCK) {
            lastError_ = error;
            ReportWinsockError("Connect");
            return;
        }
    }
    ChangeState(wsConnecting);
}

// ---------------------------------------------------------- notifications

void TCustomWSocket::HandleSocketEvent(platform::WPARAM wParam, platform::LPARAM lParam) {
    if (wParam != socketHandle_ || paused_)
        return;
    const auto bits = platform::LoWord(static_cast<std::uintptr_t>(lParam));
    const auto error = static_cast<Word>(platform::HiWord(static_cast<std::uintptr_t>(lParam)));
    const ws::SOCKET handle = socketHandle_;
    // A handler that closed the socket ends the notification: what follows
    // belonged to the connection that is gone.
    auto gone = [&] { return socketHandle_ != handle; };

    if ((bits & ws::FD_CONNECT) != 0) {
        if (error == 0 && sslEnable_ && socketType_ == ws::WS_SOCK_STREAM) {
            // Connected, but the session begins only once it is secured.
            BeginSsl();
        } else {
            ChangeState(wsConnected);
            TriggerSessionConnected(error);
            if (error != 0 && state_ != wsClosed)
                Close();
        }
        if (gone())
            return;
    }
    if ((bits & ws::FD_HANDSHAKE) != 0 && sslHandshaking_) {
        EndSsl(error);
        if (gone())
            return;
    }
    if ((bits & ws::FD_READ) != 0) {
        ReadLoop(error);
        if (gone())
            return;
    }
    if ((bits & ws::FD_WRITE) != 0) {
        TryToSend();
        // Before the session is secured nothing of the owner's has gone out.
        if (allSent_ && OnDataSent && !sslHandshaking_)
            TriggerDataSent(error);
        if (gone())
            return;
    }
    if ((bits & ws::FD_ACCEPT) != 0) {
        TriggerSessionAvailable(error);
        if (gone())
            return;
    }
    if ((bits & ws::FD_CLOSE) != 0 && state_ != wsConnecting) {
        ReadLoop(error);
        if (gone())
            return;
        if (lineMode_)
            EndLineMode();
        if (OnSessionClosed && !closeEventFired_) {
            closeEventFired_ = true;
            TriggerSessionClosed(error);
        }
        if (state_ != wsClosed && !gone())
            Close();
    }
}

void TCustomWSocket::ReadLoop(Word error) {
    try {
        while (true) {
            lastError_ = 0;
            const int before = readCount_;
            if (lineMode_)
                ReadLineStep();
            else if (!TriggerDataAvailable(error))
                return;  // nobody reads: the data stays with the system
            if (lastError_ != 0)
                return;
            // A pass that read nothing would read nothing again: the data
            // waits for the next notification, which a read re-enables.
            if (readCount_ == before)
                return;
            std::uint32_t waiting = 0;
            if (ws::ioctlsocket(socketHandle_, ws::WS_FIONREAD, &waiting) == ws::SOCKET_ERROR) {
                lastError_ = ws::WSAGetLastError();
                return;
            }
            if (waiting == 0)
                return;
        }
    } catch (...) {
        // A failing data handler ends this run; the next notification
        // starts a new one.
    }
}

// -------------------------------------------------------------------- send

void TCustomWSocket::AppendToSendBuffer(const void* data, int len) {
    if (len <= 0)
        return;
    if (sendBlocks_.empty())
        sendBlocks_.emplace_back(blockSize_);
    const char* p = static_cast<const char*>(data);
    int stored = sendBlocks_.back().Append(p, len);
    while (stored < len) {
        sendBlocks_.emplace_back(blockSize_);
        stored += sendBlocks_.back().Append(p + stored, len - stored);
    }
}

void TCustomWSocket::TryToSend() {
    if (socketHandle_ == ws::INVALID_SOCKET || sendBlocks_.empty())
        return;
    while (true) {
        auto [data, len] = sendBlocks_.front().Peek();
        if (len > 0) {
            int sent = socketType_ == ws::WS_SOCK_DGRAM
                           ? ws::sendto(socketHandle_, data, len, sendFlagsValue_, &sockAddr_,
                                        sizeof sockAddr_)
                           : ws::send(socketHandle_, data, len, sendFlagsValue_);
            if (sent == 0)
                return;
            if (sent == ws::SOCKET_ERROR) {
                int error = ws::WSAGetLastError();
                if (error == ws::WSAEWOULDBLOCK)
                    return;  // FD_WRITE follows when there is room again
                if (error == ws::WSAEINVAL || error == ws::WSAENOTSOCK ||
                    error == ws::WSAECONNRESET || error == ws::WSAENOTCONN) {
                    Close();
                    return;
                }
                ReportWinsockError("TryToSend failed");
                return;
            }
            sendBlocks_.front().Consume(sent);
            if (sent < len)
                return;
        } else if (sendBlocks_.size() > 1) {
            sendBlocks_.pop_front();
        } else {
            allSent_ = true;  // the last block stays, to be reused
            return;
        }
    }
}

int TCustomWSocket::Send(const void* data, int len) {
    if (state_ != wsConnected) {
        ws::WSASetLastError(ws::WSAENOTCONN);
        ReportWinsockError("Send");
        return -1;
    }
    if (len <= 0)
        return 0;  // nothing queued, so nothing to announce
    allSent_ = false;
    AppendToSendBuffer(data, len);
    TryToSend();
    if (allSent_ && socketHandle_ != ws::INVALID_SOCKET)
        platform::PostMessage(window_->Handle(), WM_ASYNCSELECT, socketHandle_,
                              platform::MakeLParam(ws::FD_WRITE, 0));
    return len;
}

int TCustomWSocket::SendStr(const std::string& s) {
    return Send(s.data(), static_cast<int>(s.size()));
}

// ----------------------------------------------------------------- receive

int TCustomWSocket::Receive(void* buffer, int bufferSize) {
    int n = ws::recv(socketHandle_, buffer, bufferSize, 0);
    if (n < 0)
        lastError_ = ws::WSAGetLastError();
    else
        readCount_ += n;
    return n;
}

int TCustomWSocket::ReceiveFrom(void* buffer, int bufferSize, platform::SOCKADDR_IN* from,
                                int* fromLen) {
    int n = ws::recvfrom(socketHandle_, buffer, bufferSize, 0, from, fromLen);
    if (n < 0)
        lastError_ = ws::WSAGetLastError();
    else
        readCount_ += n;
    return n;
}

// ------------------------------------------------------------------- close

void TCustomWSocket::Close() {
    DoClose(true);
}

void TCustomWSocket::Abort() {
    DoClose(false);
}

void TCustomWSocket::PumpMessages() {
    platform::PumpPostedMessages();
}

void TCustomWSocket::ProcessMessagesWhileClosing() {
    if (multiThreaded_)
        PumpMessages();
    else
        platform::ProcessMessages();
}

void TCustomWSocket::DoClose(bool graceful) {
    if (socketHandle_ == ws::INVALID_SOCKET) {
        if (state_ != wsClosed) {
            ChangeState(wsClosed);
            ResetToDefaults();
        }
        return;
    }
    if (state_ == wsClosed)
        return;
    if (graceful)
        ws::shutdown(socketHandle_, ws::SD_BOTH);
    while (ws::closesocket(socketHandle_) != 0) {
        lastError_ = ws::WSAGetLastError();
        if (lastError_ != ws::WSAEWOULDBLOCK) {
            ReportWinsockError("Disconnect (closesocket)");
            return;
        }
        ProcessMessagesWhileClosing();
    }
    socketHandle_ = ws::INVALID_SOCKET;
    ChangeState(wsClosed);
    if (!destroying_ && !closeEventFired_ && OnSessionClosed) {
        closeEventFired_ = true;
        TriggerSessionClosed(0);
    }
    ResetToDefaults();
}

void TCustomWSocket::Shutdown(int how) {
    if (socketHandle_ != ws::INVALID_SOCKET)
        ws::shutdown(socketHandle_, how);
}

// ------------------------------------------------------------------- peers

int TCustomWSocket::GetPeerName(platform::SOCKADDR_IN* name, int* nameLen) {
    if (state_ != wsConnected)
        return -1;
    return ws::getpeername(socketHandle_, name, nameLen);
}

std::string TCustomWSocket::GetPeerAddr() {
    if (state_ != wsConnected)
        return "error";
    ws::SOCKADDR_IN peer{};
    int len = sizeof peer;
    if (ws::getpeername(socketHandle_, &peer, &len) != 0) {
        ReportWinsockError("GetPeerName");
        return "error";
    }
    return ws::inet_ntoa(peer.sin_addr);
}

int TCustomWSocket::GetSockName(platform::SOCKADDR_IN* name, int* nameLen) {
    return ws::getsockname(socketHandle_, name, nameLen);
}

std::string TCustomWSocket::GetLocalPort() {
    if (state_ != wsBound && state_ != wsConnected && state_ != wsListening)
        return "error";
    ws::SOCKADDR_IN local{};
    int len = sizeof local;
    if (ws::getsockname(socketHandle_, &local, &len) != 0)
        return "error";
    return std::to_string(ws::WsNtohs(local.sin_port));
}

}  // namespace zelvo::socket
