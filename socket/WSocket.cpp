#include "socket/WSocket.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "platform/Text.h"
#include "platform/WindowTimer.h"
#include "socket/WaitCtrl.h"

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

void StartWinsock() {
    if (winsockStarted)
        return;
    ws::WSADATA data;
    int rc = ws::WSAStartup(0x0101, &data);
    if (rc != 0)
        throw ESocketException("wsock32.dll: WSAStartup error #" + std::to_string(rc));
    winsockStarted = true;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The run of decimal digits at the start, with no overflow check.
std::uint32_t LeadingNumber(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    std::uint32_t n = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i)
        n = n * 10 + static_cast<std::uint32_t>(s[i] - '0');
    return n;
}

std::uint32_t ResolveHost(const std::string& text) {
    std::string host = platform::Trim(text);
    std::uint32_t addr = ws::inet_addr(host);
    if (addr == ws::WS_INADDR_NONE && host != "255.255.255.255") {
        StartWinsock();
        const ws::HOSTENT* entry = ws::gethostbyname(host);
        if (entry == nullptr || entry->h_addr_list.empty())
            throw ESocketException("SetAddr: Cannot convert host address '" + text + "'");
        addr = entry->h_addr_list.front();
    }
    return addr;
}

}  // namespace

std::string WinsockErrorText(int code) {
    switch (code) {
        case 0:
            return "No Error";
        case 10004:
            return "Interrupted system call";
        case 10009:
            return "Bad file number";
        case 10013:
            return "Permission denied";
        case 10014:
            return "Bad address";
        case 10022:
            return "Invalid argument";
        case 10024:
            return "Too many open files";
        case 10035:
            return "Operation would block";
        case 10036:
            return "Operation now in progress";
        case 10037:
            return "Operation already in progress";
        case 10038:
            return "Socket operation on non-socket";
        case 10039:
            return "Destination address required";
        case 10040:
            return "Message too long";
        case 10041:
            return "Protocol wrong type for socket";
        case 10042:
            return "Protocol not available";
        case 10043:
            return "Protocol not supported";
        case 10044:
            return "Socket type not supported";
        case 10045:
            return "Operation not supported on socket";
        case 10046:
            return "Protocol family not supported";
        case 10047:
            return "Address family not supported by protocol family";
        case 10048:
            return "Address already in use";
        case 10049:
            return "Address not available";
        case 10050:
            return "Network is down";
        case 10051:
            return "Network is unreachable";
        case 10052:
            return "Network dropped connection on reset";
        case 10053:
            return "Connection aborted";
        case 10054:
            return "Connection reset by peer";
        case 10055:
            return "No buffer space available";
        case 10056:
            return "Socket is already connected";
        case 10057:
            return "Socket is not connected";
        case 10058:
            return "Cannot send after socket shutdown";
        case 10059:
            return "Too many references: cannot splice";
        case 10060:
            return "Connection timed out";
        case 10061:
            return "Connection refused";
        case 10062:
            return "Too many levels of symbolic links";
        case 10063:
            return "File name too long";
        case 10064:
            return "Host is down";
        case 10065:
            return "No route to host";
        case 10066:
            return "Directory not empty";
        case 10067:
            return "Too many processes";
        case 10068:
            return "Too many users";
        case 10069:
            return "Disc quota exceeded";
        case 10070:
            return "Stale NFS file handle";
        case 10071:
            return "Too many levels of remote in path";
        case 10091:
            return "Network sub-system is unusable";
        case 10092:
            return "WinSock DLL cannot support this application";
        case 10093:
            return "WinSock not initialized";
        case 11001:
            return "Host not found";
        case 11002:
            return "Non-authoritative host not found";
        case 11003:
            return "Non-recoverable error";
        case 11004:
            return "No Data";
        default:
            return "Not a WinSock error";
    }
}

TCustomWSocket::TCustomWSocket()
    : window_(std::make_unique<platform::MessageWindow>(
          [this](platform::UINT msg, platform::WPARAM w, platform::LPARAM l) {
              return WndProc(msg, w, l);
          })) {
    ResetToDefaults();
    ++socketInstances;
    StartWinsock();
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

// ---------------------------------------------------------------- properties

void TCustomWSocket::SetAddr(const std::string& value) {
    if (addrAssigned_ && value == addrStr_)
        return;
    addrStr_ = value;
    if (state_ != wsClosed) {
        RaiseSocketError("Cannot change Addr if not closed");
        return;
    }
    addrAssigned_ = false;
    sockAddr_.sin_addr.S_addr = ResolveHost(value);
    addrAssigned_ = true;
}

void TCustomWSocket::SetPort(const std::string& value) {
    if (portAssigned_ && value == portStr_)
        return;
    portStr_ = value;
    if (state_ != wsClosed) {
        RaiseSocketError("Cannot change Port if not closed");
        return;
    }
    portAssigned_ = true;
    std::string text = platform::Trim(value);
    if (!text.empty() && IsDigit(text[0])) {
        auto port = static_cast<std::uint16_t>(LeadingNumber(text));
        sockAddr_.sin_port = ws::WsHtons(port);
        portNumber_ = port;
        return;
    }
    StartWinsock();
    const ws::SERVENT* serv = ws::getservbyname(text, protoStr_.empty() ? nullptr : &protoStr_);
    if (serv == nullptr) {
        portAssigned_ = false;
        ReportWinsockError("SetPort: Cannot convert port '" + value + "'");
        return;
    }
    sockAddr_.sin_port = serv->s_port;
    portNumber_ = ws::WsNtohs(serv->s_port);
}

void TCustomWSocket::SetProto(const std::string& value) {
    if (protoAssigned_ && value == protoStr_)
        return;
    protoStr_ = value;
    if (state_ != wsClosed) {
        RaiseSocketError("Cannot change Proto if not closed");
        return;
    }
    std::string text = platform::Trim(value);
    if (text == "not found")
        return;
    protoAssigned_ = true;
    if (!text.empty() && IsDigit(text[0])) {
        protocolNumber_ = static_cast<int>(LeadingNumber(text));
    } else {
        StartWinsock();
        const ws::PROTOENT* proto = ws::getprotobyname(text);
        if (proto == nullptr) {
            protoAssigned_ = false;
            ReportWinsockError("SetProto: Cannot convert protocol '" + value + "'");
            return;
        }
        protocolNumber_ = proto->p_proto;
    }
    socketType_ = protocolNumber_ == ws::WS_IPPROTO_UDP ? ws::WS_SOCK_DGRAM : ws::WS_SOCK_STREAM;
}

int TCustomWSocket::RcvdCount() {
    std::uint32_t waiting = 0;
    if (ws::ioctlsocket(socketHandle_, ws::WS_FIONREAD, &waiting) == ws::SOCKET_ERROR) {
        ReportWinsockError("ioctlSocket");
        return -1;
    }
    return static_cast<int>(waiting);
}

TSocketSendFlags TCustomWSocket::SendFlags() {
    if (sendFlagsValue_ == 0)
        return wsSendNormal;
    if (sendFlagsValue_ == ws::WS_MSG_OOB)
        return wsSendUrgent;
    RaiseSocketError("Invalid internal SendFlags");
    return wsSendNormal;
}

void TCustomWSocket::SetSendFlags(TSocketSendFlags value) {
    switch (value) {
        case wsSendNormal:
            sendFlagsValue_ = 0;
            break;
        case wsSendUrgent:
            sendFlagsValue_ = ws::WS_MSG_OOB;
            break;
        default:
            RaiseSocketError("Invalid SendFlags");
    }
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

// ------------------------------------------------------------------ lookup

void TCustomWSocket::DnsLookup(const std::string& hostName) {
    if (hostName.empty()) {
        RaiseSocketError("DNS lookup: invalid host name.");
        TriggerDnsLookupDone(ws::WSAEINVAL);
        return;
    }
    if (lookupHandle_ != 0) {
        ws::WSACancelAsyncRequest(lookupHandle_);
        lookupHandle_ = 0;
    }
    dnsResult_.clear();
    dnsResultList_.clear();

    std::uint32_t addr = ws::inet_addr(hostName);
    if (addr != ws::WS_INADDR_NONE) {
        dnsResult_ = ws::inet_ntoa(ws::IN_ADDR{addr});
        TriggerDnsLookupDone(0);
        return;
    }
    lookupHandle_ = ws::WSAAsyncGetHostByName(window_->Handle(), WM_ASYNCGETHOSTBYNAME, hostName,
                                              &lookupBuffer_);
    if (lookupHandle_ == 0)
        RaiseSocketError(hostName + ": can't start DNS lookup, error #" +
                         std::to_string(ws::WSAGetLastError()));
}

void TCustomWSocket::HandleLookupDone(platform::WPARAM wParam, platform::LPARAM lParam) {
    if (lookupHandle_ == 0 || wParam != lookupHandle_)
        return;
    lookupHandle_ = 0;
    auto error = static_cast<Word>(platform::HiWord(static_cast<std::uintptr_t>(lParam)));
    if (error == 0) {
        for (std::uint32_t a : lookupBuffer_.h_addr_list)
            dnsResultList_.push_back(ws::inet_ntoa(ws::IN_ADDR{a}));
        if (!dnsResultList_.empty())
            dnsResult_ = dnsResultList_.front();
    }
    TriggerDnsLookupDone(error);
}

void TCustomWSocket::CancelDnsLookup() {
    if (lookupHandle_ == 0)
        return;
    if (ws::WSACancelAsyncRequest(lookupHandle_) != 0) {
        ReportWinsockError("WSACancelAsyncRequest");
        return;
    }
    lookupHandle_ = 0;
    if (!destroying_)
        TriggerDnsLookupDone(ws::WSAEINTR);
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

void TCustomWSocket::Pause() {
    paused_ = true;
    ws::WSAAsyncSelect(socketHandle_, window_->Handle(), 0, 0);
}

void TCustomWSocket::Resume() {
    paused_ = false;
    long events = ws::FD_READ | ws::FD_WRITE | ws::FD_CONNECT | ws::FD_CLOSE;
    // A listening socket lives on FD_ACCEPT; resuming without it would never
    // announce another caller.
    if (state_ == wsListening)
        events |= ws::FD_ACCEPT;
    ws::WSAAsyncSelect(socketHandle_, window_->Handle(), WM_ASYNCSELECT, events);
}

// ------------------------------------------------------------- server side

int TCustomWSocket::Listen() {
    if (!portAssigned_) {
        ws::WSASetLastError(ws::WSAEINVAL);
        ReportWinsockError("listen: port not assigned");
        return -1;
    }
    if (!protoAssigned_) {
        ws::WSASetLastError(ws::WSAEINVAL);
        ReportWinsockError("listen: protocol not assigned");
        return -1;
    }
    if (!addrAssigned_) {
        ws::WSASetLastError(ws::WSAEINVAL);
        ReportWinsockError("listen: address not assigned");
        return -1;
    }
    socketHandle_ = ws::socket(addressFamily_, socketType_, protocolNumber_);
    if (socketHandle_ == ws::INVALID_SOCKET) {
        ReportWinsockError("socket");
        return -1;
    }
    if (ws::bind(socketHandle_, &sockAddr_, sizeof sockAddr_) != 0) {
        // The state is still closed, so a Close would leave this handle
        // open for good: release it here.
        int error = ws::WSAGetLastError();
        ws::closesocket(socketHandle_);
        socketHandle_ = ws::INVALID_SOCKET;
        ws::WSASetLastError(error);
        ReportWinsockError("Bind");
        return -1;
    }
    const ws::SOCKET handle = socketHandle_;
    ChangeState(wsBound);
    if (socketType_ == ws::WS_SOCK_DGRAM) {
        ChangeState(wsListening);
        ChangeState(wsConnected);
        TriggerSessionConnected(0);
    } else {
        if (ws::listen(socketHandle_, 5) != 0) {
            ReportWinsockError("Listen");
            return -1;
        }
        ChangeState(wsListening);
    }
    if (socketHandle_ != handle)
        return -1;  // a handler closed it
    if (ws::WSAAsyncSelect(socketHandle_, window_->Handle(), WM_ASYNCSELECT,
                           ws::FD_READ | ws::FD_WRITE | ws::FD_ACCEPT | ws::FD_CLOSE) != 0) {
        ReportWinsockError("WSAASyncSelect");
        return -1;
    }
    return 0;
}

platform::SOCKET TCustomWSocket::Accept() {
    if (state_ != wsListening) {
        ws::WSASetLastError(ws::WSAEINVAL);
        ReportWinsockError("not a listening socket");
        return ws::INVALID_SOCKET;
    }
    int len = sizeof sockAddr_;
    acceptedHandle_ = ws::accept(socketHandle_, &sockAddr_, &len);
    if (acceptedHandle_ == ws::INVALID_SOCKET) {
        ReportWinsockError("Accept");
        return ws::INVALID_SOCKET;
    }
    return acceptedHandle_;
}

void TCustomWSocket::Dup(platform::SOCKET handle) {
    if (handle == 0 || handle == ws::INVALID_SOCKET) {
        ws::WSASetLastError(ws::WSAEINVAL);
        ReportWinsockError("Dup");
        return;
    }
    if (socketHandle_ != ws::INVALID_SOCKET) {
        if (ws::closesocket(socketHandle_) != 0) {
            ReportWinsockError("Dup (closesocket)");
            return;
        }
        socketHandle_ = ws::INVALID_SOCKET;
        if (lineMode_)
            EndLineMode();
        // What was queued for the old peer must not reach the new one.
        sendBlocks_.clear();
        allSent_ = true;
        if (state_ != wsClosed)
            ChangeState(wsClosed);
    }
    socketHandle_ = handle;
    paused_ = false;
    closeEventFired_ = false;
    if (ws::WSAAsyncSelect(socketHandle_, window_->Handle(), WM_ASYNCSELECT,
                           ws::FD_READ | ws::FD_WRITE | ws::FD_CONNECT | ws::FD_CLOSE) != 0) {
        ReportWinsockError("WSAAsyncSelect");
        return;
    }
    ChangeState(wsConnected);
}

// ------------------------------------------------------------------- waits

TWaitCtrl* TCustomWSocket::WaitCtrl() const {
    auto token = waitCtrl_.lock();
    return token ? *token : nullptr;
}

void TCustomWSocket::SetWaitCtrl(TWaitCtrl* ctrl) {
    if (ctrl != nullptr)
        waitCtrl_ = ctrl->Token();
    else
        waitCtrl_.reset();
}

void TCustomWSocket::StopWaitCtrl() {
    if (multiThreaded_)
        return;
    if (TWaitCtrl* ctrl = WaitCtrl())
        ctrl->Stop();
}

void TCustomWSocket::EndLineMode() {
    lineMode_ = false;
    StopWaitCtrl();
}

bool TCustomWSocket::HasQueuedData() const {
    for (const TBuffer& block : sendBlocks_)
        if (block.Peek().second > 0)
            return true;
    return false;
}

// Handles messages until done() holds or the seconds have passed, sleeping
// in between; a timer wakes the wait at its end.
bool TCustomWSocket::WaitUntil(int timeoutSeconds, const std::function<bool()>& done) {
    if (done())
        return true;
    const long long limitMs =
        std::clamp<long long>(static_cast<long long>(timeoutSeconds) * 1000, 0, INT_MAX);
    if (limitMs == 0) {
        platform::ProcessMessages();
        return done();
    }
    const platform::DWORD start = platform::GetTickCount();
    platform::WindowTimer wake(static_cast<unsigned>(limitMs), [] {});
    wake.SetEnabled(true);
    while (!done()) {
        const long long elapsed = platform::GetTickCount() - start;
        if (elapsed >= limitMs)
            return false;
        wake.SetInterval(static_cast<unsigned>(limitMs - elapsed));
        platform::WaitMessage();
    }
    return true;
}

bool TCustomWSocket::Wait(int timeoutSeconds, TSocketState desiredState) {
    if (state_ == desiredState)
        return true;
    waitTargetState_ = desiredState;
    if (multiThreaded_) {
        WaitUntil(timeoutSeconds, [&] {
            return state_ == desiredState || (desiredState == wsConnected && state_ == wsClosed);
        });
    } else if (TWaitCtrl* ctrl = WaitCtrl()) {
        ctrl->SetCaption(std::to_string(timeoutSeconds));
        ctrl->Show();
        ctrl->Run();
        if (TWaitCtrl* still = WaitCtrl())
            still->Hide();
    } else {
        waitTargetState_ = wsInvalidState;
        ws::WSASetLastError(ws::WSANO_DATA);
        ReportWinsockError("TWSocket.Wait");
        return false;
    }
    waitTargetState_ = wsInvalidState;
    return state_ == desiredState;
}

void TCustomWSocket::ReadLineStep() {
    while (lineMode_) {
        if (socketHandle_ == ws::INVALID_SOCKET) {
            EndLineMode();
            return;
        }
        std::uint32_t waiting = 0;
        if (ws::ioctlsocket(socketHandle_, ws::WS_FIONREAD, &waiting) == ws::SOCKET_ERROR) {
            lastError_ = ws::WSAGetLastError();
            ReportWinsockError("ioctlSocket");
            return;
        }
        if (waiting == 0)
            return;
        char c = 0;
        if (static_cast<int>(lineBuffer_.size()) >= MaxLineLength) {
            // Full: only the line's own end may still come in. Anything else
            // is left waiting, to begin the next line.
            if (ws::recv(socketHandle_, &c, 1, ws::WS_MSG_PEEK) == 1 && c != '\r' && c != '\n') {
                EndLineMode();
                TriggerLineTooLong();
                return;
            }
        }
        int n = Receive(&c, 1);
        if (n == 0) {
            EndLineMode();
            Close();
            return;
        }
        if (n < 0) {
            int error = lastError_;
            if (error == ws::WSAEWOULDBLOCK) {
                lastError_ = 0;
                continue;
            }
            if (error == ws::WSAECONNRESET) {
                EndLineMode();
                Close();
                return;
            }
            ws::WSASetLastError(error);
            ReportWinsockError("ReadLine");
            return;
        }
        if (c == '\n') {
            EndLineMode();
            return;
        }
        if (c != '\r')
            lineBuffer_ += c;
    }
}

void TCustomWSocket::ReadLine(int timeoutSeconds, std::string& line) {
    if (!multiThreaded_ && WaitCtrl() == nullptr) {
        RaiseSocketError("No wait object assigned");
        return;
    }
    lineBuffer_.clear();
    lineMode_ = true;
    // Whatever way this ends (a line, a close, the time running out or a
    // failure), the socket leaves line mode: bytes arriving later belong to
    // OnDataAvailable again.
    struct LineModeEnd {
        bool& mode;
        ~LineModeEnd() { mode = false; }
    } end{lineMode_};
    ReadLineStep();
    if (lineMode_) {
        if (multiThreaded_) {
            WaitUntil(timeoutSeconds,
                      [&] { return !lineMode_ || socketHandle_ == ws::INVALID_SOCKET; });
        } else if (TWaitCtrl* ctrl = WaitCtrl()) {
            ctrl->SetCaption(std::to_string(timeoutSeconds));
            ctrl->Show();
            ctrl->Run();
            if (TWaitCtrl* still = WaitCtrl())
                still->Hide();
        }
    }
    line = lineBuffer_;
}

void TCustomWSocket::Flush() {
    auto pending = [&] { return socketHandle_ != ws::INVALID_SOCKET && HasQueuedData(); };
    if (multiThreaded_) {
        // Bounded by FlushTimeout as well: a peer that stops reading must
        // not hold the caller for ever.
        WaitUntil(flushTimeout_, [&] {
            if (pending())
                TryToSend();
            return !pending();
        });
        return;
    }
    TWaitCtrl* ctrl = WaitCtrl();
    if (ctrl == nullptr) {
        RaiseSocketError("No wait object assigned");
        return;
    }
    ctrl->SetCaption(std::to_string(flushTimeout_));
    ctrl->Show();
    ctrl->Start();
    while (pending()) {
        TryToSend();
        ctrl = WaitCtrl();
        if (ctrl == nullptr || !ctrl->Running() || !pending())
            break;
        platform::WaitMessage();
    }
    if (TWaitCtrl* still = WaitCtrl()) {
        still->Stop();
        still->Hide();
    }
}

void TCustomWSocket::WaitForClose() {
    while (socketHandle_ != ws::INVALID_SOCKET && state_ != wsClosed) {
        ProcessMessagesWhileClosing();
        if (socketHandle_ == ws::INVALID_SOCKET || state_ == wsClosed)
            return;
        std::uint32_t waiting = 0;
        if (ws::ioctlsocket(socketHandle_, ws::WS_FIONREAD, &waiting) == 0 && waiting > 0) {
            if (lineMode_)
                ReadLineStep();
            else
                TriggerDataAvailable(0);
            if (socketHandle_ == ws::INVALID_SOCKET || state_ == wsClosed)
                return;
        }
        char none = 0;
        if (ws::recv(socketHandle_, &none, 0, 0) == 0)
            return;  // the peer has closed
        if (ws::WSAGetLastError() != ws::WSAEWOULDBLOCK)
            return;
        platform::WaitMessage();
    }
}

}  // namespace zelvo::socket
