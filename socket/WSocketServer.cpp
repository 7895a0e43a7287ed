// The side of the socket that the program never calls: pausing
// notifications, listening, accepting and adopting a handle.
#include "socket/WSocket.h"

namespace zelvo::socket {

namespace ws = platform;

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

}  // namespace zelvo::socket
