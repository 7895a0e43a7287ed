#pragma once
// A non-blocking socket driven by window messages: every network
// notification arrives on the socket's own hidden window and becomes an event
// of the owner. Nothing here blocks except the Addr setter given a host name
// and the waits that a caller asks for (Wait, ReadLine, Flush, WaitForClose),
// which keep handling messages while they wait.
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/MessageLoop.h"
#include "platform/Types.h"
#include "platform/WinSock.h"
#include "socket/Buffer.h"

namespace zelvo::socket {

class TWaitCtrl;

class ESocketException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum TSocketState : std::uint8_t {
    wsInvalidState = 0,
    wsOpened = 1,
    wsBound = 2,
    wsConnecting = 3,
    wsConnected = 4,
    wsAccepting = 5,
    wsListening = 6,
    wsClosed = 7,
};

enum TSocketSendFlags { wsSendNormal = 0, wsSendUrgent = 1 };

struct TTimeVal {
    long tv_sec = 0;
    long tv_usec = 0;
};

// The text of a Winsock error code ("Not a WinSock error" for unknown codes).
std::string WinsockErrorText(int code);

class TCustomWSocket {
public:
    using Word = std::uint16_t;
    using TDataAvailable = std::function<void(TCustomWSocket* Sender, Word Error)>;
    using TDataSent = TDataAvailable;
    using TSessionClosed = TDataAvailable;
    using TSessionAvailable = TDataAvailable;
    using TSessionConnected = TDataAvailable;
    using TDnsLookupDone = TDataAvailable;
    using TChangeState =
        std::function<void(TCustomWSocket* Sender, TSocketState OldState, TSocketState NewState)>;
    using TNotifyEvent = std::function<void(TCustomWSocket* Sender)>;

    static constexpr platform::UINT WM_ASYNCSELECT = platform::WM_USER + 1;
    static constexpr platform::UINT WM_ASYNCGETHOSTBYNAME = platform::WM_USER + 2;

    TCustomWSocket();
    virtual ~TCustomWSocket();
    TCustomWSocket(const TCustomWSocket&) = delete;
    TCustomWSocket& operator=(const TCustomWSocket&) = delete;

    // Properties.
    const std::string& Addr() const { return addrStr_; }
    void SetAddr(const std::string& value);
    const std::string& Port() const { return portStr_; }
    void SetPort(const std::string& value);
    const std::string& Proto() const { return protoStr_; }
    void SetProto(const std::string& value);
    const std::string& DnsResult() const { return dnsResult_; }
    const std::vector<std::string>& DnsResultList() const { return dnsResultList_; }
    TSocketState State() const { return state_; }
    int ReadCount() const { return readCount_; }
    int LastError() const { return lastError_; }
    int RcvdCount();
    bool MultiThreaded() const { return multiThreaded_; }
    void SetMultiThreaded(bool value) { multiThreaded_ = value; }
    int FlushTimeout() const { return flushTimeout_; }
    void SetFlushTimeout(int seconds) { flushTimeout_ = seconds; }
    TSocketSendFlags SendFlags();
    void SetSendFlags(TSocketSendFlags value);
    int PortNumber() const { return portNumber_; }
    int ProtocolNumber() const { return protocolNumber_; }
    int SocketType() const { return socketType_; }
    bool AllSent() const { return allSent_; }
    platform::SOCKET Handle() const { return socketHandle_; }
    platform::HWND WindowHandle() const { return window_->Handle(); }
    const std::deque<TBuffer>& SendBlocks() const { return sendBlocks_; }
    platform::SOCKET AcceptedHandle() const { return acceptedHandle_; }
    TSocketState WaitTargetState() const { return waitTargetState_; }
    bool LineMode() const { return lineMode_; }
    // The wait indicator of the blocking operations; not owned, and reads as
    // none once that control is destroyed.
    TWaitCtrl* WaitCtrl() const;
    void SetWaitCtrl(TWaitCtrl* ctrl);

    // TLS. With SslEnable set before Connect, the TCP connection is secured
    // before OnSessionConnected fires: that event then reports the end of the
    // handshake (Error 0) or its failure (Error non-zero, SslFailure says
    // why, and the session closes). StartSsl secures a connection that is
    // already open (after a proxy's tunnel) and announces the end of its
    // handshake through OnSessionConnected the same way. Send, Receive and
    // RcvdCount then carry plain text; records move underneath on the same
    // notifications.
    bool SslEnable() const { return sslEnable_; }
    void SetSslEnable(bool on) { sslEnable_ = on; }
    // The name sent as SNI and the one the certificate must carry; when
    // empty, the certificate must carry the address connected to.
    const std::string& SslServerName() const { return sslServerName_; }
    void SetSslServerName(const std::string& name) { sslServerName_ = name; }
    virtual void StartSsl();
    // Why the last TLS session failed: "Certificate not trusted: <reason>",
    // "Certificate name mismatch", "TLS handshake failed: <reason>"; empty
    // when none did.
    const std::string& SslFailure() const { return sslFailure_; }

    // Events.
    TDataAvailable OnDataAvailable;
    TDataSent OnDataSent;
    TSessionClosed OnSessionClosed;
    TSessionAvailable OnSessionAvailable;
    TSessionConnected OnSessionConnected;
    TChangeState OnChangeState;
    TNotifyEvent OnLineTooLong;
    TDnsLookupDone OnDnsLookupDone;
    TNotifyEvent OnError;

    // The owner is going away: no closing or lookup events fire from now on.
    void MarkDestroying() { destroying_ = true; }
    bool Destroying() const { return destroying_; }

    virtual void Connect();
    virtual void Close();
    virtual void Abort();
    virtual int Receive(void* buffer, int bufferSize);
    virtual int ReceiveFrom(void* buffer, int bufferSize, platform::SOCKADDR_IN* from,
                            int* fromLen);
    virtual int Send(const void* data, int len);
    virtual int SendStr(const std::string& s);
    virtual void DnsLookup(const std::string& hostName);
    virtual void CancelDnsLookup();
    virtual std::string GetPeerAddr();
    virtual int GetPeerName(platform::SOCKADDR_IN* name, int* nameLen);
    virtual std::string GetLocalPort();
    virtual int GetSockName(platform::SOCKADDR_IN* name, int* nameLen);
    virtual void Shutdown(int how);
    virtual void Pause();
    virtual void Resume();

    // Server side: 0 once listening (a datagram socket is then connected),
    // -1 after a reported failure.
    virtual int Listen();
    virtual platform::SOCKET Accept();
    // Adopts a connected handle, such as one that Accept returned.
    virtual void Dup(platform::SOCKET handle);

    // The blocking operations. They handle messages while they wait, so
    // events keep firing; they need MultiThreaded or a WaitCtrl.
    virtual void Flush();
    virtual void WaitForClose();
    virtual bool Wait(int timeoutSeconds, TSocketState desiredState);
    // One line without its CR LF, at most 254 characters; a longer one is
    // cut there (OnLineTooLong) and the rest starts the next line.
    virtual void ReadLine(int timeoutSeconds, std::string& line);

    virtual bool TimeValIsSet(const TTimeVal& tv) const {
        return tv.tv_sec != 0 || tv.tv_usec != 0;
    }
    virtual void TimeValClear(TTimeVal& tv) const { tv = TTimeVal{}; }
    virtual bool TimeValCompare(const TTimeVal& tv, const TTimeVal& uv, bool equal) const {
        bool same = tv.tv_sec == uv.tv_sec && tv.tv_usec == uv.tv_usec;
        return equal ? same : !same;
    }

protected:
    virtual void BindSocket();
    virtual void RaiseSocketError(const std::string& msg);
    virtual bool TriggerDataAvailable(Word error);
    virtual void TriggerSessionAvailable(Word error);
    virtual void TriggerSessionConnected(Word error);
    virtual void TriggerSessionClosed(Word error);
    virtual void TriggerDataSent(Word error);
    virtual void TriggerChangeState(TSocketState oldState, TSocketState newState);
    virtual void TriggerDnsLookupDone(Word error);
    virtual void TriggerError();
    virtual void TriggerLineTooLong();

    void ReportWinsockError(const std::string& functionName);
    void ChangeState(TSocketState newState);
    void AppendToSendBuffer(const void* data, int len);
    void TryToSend();
    void PumpMessages();
    // One step of line mode: reads what is waiting, a byte at a time, until
    // the line ends or nothing more is there.
    void ReadLineStep();

    static constexpr int MaxLineLength = 254;

private:
    platform::LRESULT WndProc(platform::UINT msg, platform::WPARAM wParam, platform::LPARAM lParam);
    void HandleSocketEvent(platform::WPARAM wParam, platform::LPARAM lParam);
    void HandleLookupDone(platform::WPARAM wParam, platform::LPARAM lParam);
    void ReadLoop(Word error);
    void BeginSsl();
    void EndSsl(Word error);
    void DoClose(bool graceful);
    void ResetToDefaults();
    void ProcessMessagesWhileClosing();
    void EndLineMode();
    void StopWaitCtrl();
    bool HasQueuedData() const;
    bool WaitUntil(int timeoutSeconds, const std::function<bool()>& done);

    platform::SOCKET socketHandle_ = platform::INVALID_SOCKET;
    bool portAssigned_ = false;
    bool addrAssigned_ = false;
    bool protoAssigned_ = false;
    std::string protoStr_;
    std::string addrStr_;
    std::string portStr_;
    int portNumber_ = 0;
    int localPortNumber_ = 0;
    int protocolNumber_ = 0;
    int socketType_ = 0;
    std::string dnsResult_;
    std::vector<std::string> dnsResultList_;
    int addressFamily_ = 0;
    TSocketState state_ = wsClosed;
    int flushTimeout_ = 60;
    std::deque<TBuffer> sendBlocks_;
    int blockSize_ = TBuffer::DefaultSize;
    int sendFlagsValue_ = 0;
    bool multiThreaded_ = false;
    int lastError_ = 0;
    bool paused_ = false;
    bool allSent_ = true;
    int readCount_ = 0;
    bool closeEventFired_ = false;
    platform::HOSTENT lookupBuffer_;
    platform::HANDLE lookupHandle_ = 0;
    platform::SOCKADDR_IN sockAddr_;
    bool destroying_ = false;
    platform::SOCKET acceptedHandle_ = platform::INVALID_SOCKET;
    TSocketState waitTargetState_ = wsInvalidState;
    std::weak_ptr<TWaitCtrl*> waitCtrl_;
    std::string lineBuffer_;
    bool lineMode_ = false;
    bool sslEnable_ = false;
    std::string sslServerName_;
    std::string sslFailure_;
    bool sslHandshaking_ = false;
    std::unique_ptr<platform::MessageWindow> window_;
};

// The component as the program places it; it adds nothing.
class TWSocket : public TCustomWSocket {
public:
    using TCustomWSocket::TCustomWSocket;
};

}  // namespace zelvo::socket
