// The blocking operations: loops that keep handling messages until a state
// is reached, a line has been read or the send buffer has drained.
#include <algorithm>
#include <climits>

#include "platform/WindowTimer.h"
#include "socket/WSocket.h"
#include "socket/WaitCtrl.h"

namespace zelvo::socket {

namespace ws = platform;

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
