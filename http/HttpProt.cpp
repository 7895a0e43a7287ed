#include "http/HttpProt.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "http/CredentialMask.h"
#include "http/ResponseLines.h"
#include "http/TextRules.h"

namespace zelvo::http {

// ------------------------------------------------------------------ client

THttpCli::THttpCli()
    : socket_(std::make_unique<socket::TWSocket>()),
      window_(std::make_unique<platform::MessageWindow>(
          [this](platform::UINT msg, platform::WPARAM w, platform::LPARAM l) {
              return WndProc(msg, w, l);
          })),
      bodyBuffer_(std::make_unique<char[]>(kBodyBufferSize)),
      timers_([this](const std::string& reason) { EndRequest(reason, 0); }) {
    using Sock = socket::TCustomWSocket;
    BindSocketClosed();
    socket_->OnDataAvailable = [this](Sock*, Sock::Word e) { SocketDataAvailable(e); };
    socket_->OnSessionConnected = [this](Sock*, Sock::Word e) { SocketConnected(e); };
    socket_->OnDataSent = [this](Sock*, Sock::Word e) { SocketDataSent(e); };
    socket_->OnDnsLookupDone = [this](Sock*, Sock::Word e) { SocketLookupDone(e); };
}

THttpCli::~THttpCli() {
    // The socket goes with its owner: it must not call back into a client
    // that is half gone.
    socket_->MarkDestroying();
    window_.reset();
    socket_.reset();
}

void THttpCli::BindSocketClosed() {
    using Sock = socket::TCustomWSocket;
    socket_->OnSessionClosed = [this](Sock*, Sock::Word e) { SocketClosed(e); };
}

void THttpCli::SetMultiThreaded(bool v) {
    multiThreaded_ = v;
    socket_->SetMultiThreaded(v);
}

platform::LRESULT THttpCli::WndProc(platform::UINT msg, platform::WPARAM, platform::LPARAM) {
    switch (msg) {
        case WM_HTTP_REQUEST_DONE:
            Record("RequestDone Error = " + std::to_string(requestDoneError_ & 0xFFFF));
            fetch_.Done = true;
            if (OnRequestDone)
                OnRequestDone(this, requestType_, static_cast<Word>(requestDoneError_ & 0xFFFF));
            break;
        case WM_HTTP_SET_READY:
            SetHttpState(hsReady);
            break;
        case WM_HTTP_LOGIN:
            // An Abort between the relocation's close and this message has
            // already ended the request.
            if (httpState_ != hsAborting && httpState_ != hsReady)
                StartLookup();
            break;
        default:
            break;
    }
    return 0;
}

void THttpCli::SetHttpState(THttpState state) {
    if (state == httpState_)
        return;
    httpState_ = state;
    if (state == hsReady)
        timers_.Stop();
    if (OnStateChange)
        OnStateChange(this);
    if (state == hsReady)
        platform::PostMessage(window_->Handle(), WM_HTTP_REQUEST_DONE, 0, 0);
}

void THttpCli::PostReady() {
    platform::PostMessage(window_->Handle(), WM_HTTP_SET_READY, 0, 0);
}

// ---------------------------------------------------------------- triggers

void THttpCli::TriggerHeaderBegin() {
    if (OnHeaderBegin)
        OnHeaderBegin(this);
}
void THttpCli::TriggerHeaderEnd() {
    if (OnHeaderEnd)
        OnHeaderEnd(this);
}
void THttpCli::TriggerDocBegin() {
    if (OnDocBegin)
        OnDocBegin(this);
}
void THttpCli::TriggerDocData(const char* buffer, int len) {
    if (OnDocData)
        OnDocData(this, buffer, len);
}
void THttpCli::TriggerDocEnd() {
    if (OnDocEnd)
        OnDocEnd(this);
}
void THttpCli::TriggerSendBegin() {
    if (OnSendBegin)
        OnSendBegin(this);
}
void THttpCli::TriggerSendData(const char* buffer, int len) {
    if (OnSendData)
        OnSendData(this, buffer, len);
}
void THttpCli::TriggerSendEnd() {
    if (OnSendEnd)
        OnSendEnd(this);
}

// ------------------------------------------------------------------ requests

void THttpCli::Get() {
    ExecuteRequest(hrGet);
}
void THttpCli::Head() {
    ExecuteRequest(hrHead);
}
void THttpCli::Post() {
    ExecuteRequest(hrPost);
}

void THttpCli::ExecuteRequest(THttpRequest requestType) {
    StartRequest(requestType);
    WaitUntilReady();
    if (statusCode_ >= 400)
        throw EHttpException(reasonPhrase_, statusCode_);
}

void THttpCli::WaitUntilReady() {
    // Keep the loop turning until the request has ended; between passes,
    // sleep until the next event instead of polling.
    while (httpState_ != hsReady) {
        if (multiThreaded_)
            platform::PumpPostedMessages();
        else
            platform::ProcessMessages();
        if (httpState_ != hsReady)
            platform::WaitMessage();
    }
}

void THttpCli::StartRequest(THttpRequest requestType) {
    if (httpState_ != hsReady)
        throw EHttpException("HTTP component is busy", 1);
    if (requestType == hrPost && sendStream_ == nullptr)
        throw EHttpException("HTTP component has nothing to post", 2);

    requestType_ = requestType;
    requestDoneError_ = 0;
    BindSocketClosed();
    SetHttpState(hsConnecting);
    if (httpState_ != hsConnecting)
        return;  // a state-change handler aborted the request
    timers_.RequestStarted();

    docName_.clear();
    statusCode_ = 0;
    bodyRcvdCount_ = 0;
    sentCount_ = 0;
    headerLineCount_ = 0;
    bodyChunkCount_ = 0;
    sendingPost_ = false;
    // Whatever an earlier connection left behind is not part of this one.
    rcvCount_ = 0;
    relocationPending_ = false;
    relocations_ = 0;

    target_ = TargetFromURL(url_, proxy_, proxyPort_);
    if (!target_.User.empty())
        username_ = target_.User;
    if (!target_.Password.empty())
        password_ = target_.Password;
    docName_ = DocNameFromPath(target_.DocName);
    credentialOrigin_ = DocumentOrigin(target_, !proxy_.empty());
    documentOrigin_ = credentialOrigin_;
    if (!target_.User.empty() || !target_.Password.empty())
        urlCredentialsFor_ = credentialOrigin_;
    sendCredentials_ = !urlCredentialsFor_ || *urlCredentialsFor_ == credentialOrigin_;
    StartLookup();
}

void THttpCli::StartLookup() {
    if (httpState_ == hsAborting || httpState_ == hsReady)
        return;
    SetHttpState(hsDnsLookup);
    if (httpState_ != hsDnsLookup)
        return;  // a state-change handler aborted the request
    timers_.Connecting();
    closeReported_ = false;
    if (target_.HostName.empty()) {
        // No host to look up ends the request like a failed lookup rather
        // than leaving the client stuck in the lookup state.
        SocketLookupDone(platform::WSAEINVAL);
        return;
    }
    try {
        socket_->DnsLookup(target_.HostName);
    } catch (const socket::ESocketException&) {
        SocketLookupDone(platform::WSANO_RECOVERY);
    }
}

void THttpCli::CloseConnection() {
    socket_->Close();
}

void THttpCli::Abort() {
    EndRequest("Connection aborted on request", 3);
}

void THttpCli::EndRequest(const std::string& reason, int requestDoneError) {
    // With no request running there is nothing to end; the client stays
    // ready for the next one.
    if (httpState_ == hsReady || httpState_ == hsAborting)
        return;
    THttpState old = httpState_;
    timers_.Stop();
    SetHttpState(hsAborting);
    if (old == hsDnsLookup)
        socket_->CancelDnsLookup();
    statusCode_ = 404;
    reasonPhrase_ = reason;
    requestDoneError_ = requestDoneError;
    rcvCount_ = 0;
    BindSocketClosed();
    // A socket already closed (between a relocation's close and its new
    // lookup) reports no close of its own.
    if (old == hsDnsLookup || socket_->State() == socket::wsClosed)
        SocketClosed(0);
    else
        socket_->Close();
}

// ------------------------------------------------------------ socket events

void THttpCli::SocketLookupDone(socket::TCustomWSocket::Word error) {
    if (error != 0) {
        if (httpState_ != hsAborting) {
            statusCode_ = 404;
            reasonPhrase_ = "cannot resolve hostname to IP address";
            SocketClosed(0);
        }
        return;
    }
    // An answer that comes after the request was aborted is not acted on.
    if (httpState_ != hsDnsLookup)
        return;
    SetHttpState(hsConnecting);
    if (httpState_ != hsConnecting)
        return;
    try {
        ConnectSocket();
    } catch (...) {
        int lastError = socket_->LastError();
        requestDoneError_ = lastError;
        statusCode_ = 404;
        reasonPhrase_ = "cannot connect: " + socket::WinsockErrorText(lastError) + " (Error #" +
                        std::to_string(lastError) + ")";
        bool open = socket_->State() != socket::wsClosed;
        try {
            socket_->Close();
        } catch (...) {
        }
        // An open socket reports its own close; a closed one does not.
        if (!open)
            SocketClosed(0);
    }
}

void THttpCli::ConnectSocket() {
    closeReported_ = false;
    // The transport follows the document: TLS on the connection itself
    // directly, inside a tunnel through a proxy.
    const bool direct = proxy_.empty();
    tunnel_ = direct ? TTunnel{} : TunnelFor(target_.Path);
    tunnelPhase_ = TTunnelPhase::None;
    socket_->SetSslEnable(direct && target_.Secure);
    socket_->SetSslServerName(direct ? target_.TargetHost : tunnel_.Host);
    socket_->SetAddr(socket_->DnsResult());
    socket_->SetPort(target_.ConnectPort);
    socket_->SetProto("tcp");
    socket_->Connect();
}

void THttpCli::SocketConnected(socket::TCustomWSocket::Word error) {
    if (httpState_ == hsAborting || httpState_ == hsReady)
        return;
    if (error != 0) {
        const bool tls = socket_->SslEnable() || tunnelPhase_ == TTunnelPhase::Handshake;
        statusCode_ = 404;
        if (tls && !socket_->SslFailure().empty())
            reasonPhrase_ = socket_->SslFailure();
        else
            reasonPhrase_ =
                socket::WinsockErrorText(error) + " (Error #" + std::to_string(error) + ")";
        if (socket_->State() != socket::wsClosed)
            socket_->Close();
        SocketClosed(0);
        return;
    }
    if (tunnel_.Needed && tunnelPhase_ == TTunnelPhase::None) {
        SendTunnelRequest();
        return;
    }
    if (tunnelPhase_ == TTunnelPhase::Handshake)
        tunnelPhase_ = TTunnelPhase::Open;
    SendRequest();
}

void THttpCli::SendRequest() {
    rcvCount_ = 0;
    contentLengthSeen_ = false;
    responseContentType_.clear();
    headerBytes_ = 0;
    rcvdHeader_.BeginResponse();
    SetHttpState(hsWaitingHeader);
    timers_.Connected();
    try {
        switch (requestType_) {
            case hrGet:
                SendRequestHeader("GET", "1.0");
                break;
            case hrHead:
                SendRequestHeader("HEAD", "1.0");
                break;
            case hrPost:
                SendRequestHeader("POST", "1.0");
                TriggerSendBegin();
                sendingPost_ = true;
                SocketDataSent(0);
                break;
            default:
                break;
        }
    } catch (...) {
        CloseConnection();
    }
}

void THttpCli::SendTunnelRequest() {
    tunnelPhase_ = TTunnelPhase::AwaitingReply;
    tunnelAccepted_ = false;
    tunnelStatus_.clear();
    rcvCount_ = 0;
    headerBytes_ = 0;
    timers_.Connected();
    const std::string line = "CONNECT " + tunnel_.Authority + " HTTP/1.0";
    ReportCommand(line);
    if (httpState_ != hsConnecting)
        return;  // the handler ended the request
    const std::string text = line + "\r\nHost: " + tunnel_.Authority + "\r\n\r\n";
    socket_->Send(text.data(), static_cast<int>(text.size()));
}

void THttpCli::ProcessTunnelLine(const std::string& line) {
    if (!line.empty()) {
        if (tunnelStatus_.empty()) {
            tunnelStatus_ = line;
            TStatusLine status;
            tunnelAccepted_ = ParseStatusLine(line, status) == TStatusParse::Ok &&
                              status.StatusCode >= 200 && status.StatusCode < 300;
            if (!tunnelAccepted_)
                EndRequest("Proxy refused the tunnel: " + line, 0);
        }
        return;
    }
    if (tunnelStatus_.empty())
        return;  // blank lines before the status line
    tunnelStatus_.clear();
    // The server speaks only after the handshake has begun: anything else
    // the proxy sent is not part of the document.
    rcvCount_ = 0;
    tunnelPhase_ = TTunnelPhase::Handshake;
    timers_.Connecting();
    socket_->StartSsl();
}

void THttpCli::ReportCommand(const std::string& s) {
    if (!s.empty())
        Record("cmd> " + MaskCredentials(s));
    if (OnCommand)
        OnCommand(this, s);
}

void THttpCli::SendCommand(const std::string& s) {
    ReportCommand(s);
    requestText_ += s;
    requestText_ += "\r\n";
}

void THttpCli::SendRequestHeader(const std::string& method, const std::string& version) {
    requestText_.clear();
    TriggerHeaderBegin();
    // Inside a tunnel the server itself is addressed: the path alone.
    const std::string& path = tunnelPhase_ == TTunnelPhase::Open ? tunnel_.Path : target_.Path;
    SendCommand(method + " " + path + " HTTP/" + version);
    if (!sender_.empty())
        SendCommand("From: " + sender_);
    if (!reference_.empty())
        SendCommand("Referer: " + reference_);
    if (method == "POST" && !contentTypePost_.empty())
        SendCommand("Content-Type: " + contentTypePost_);
    if (!agent_.empty())
        SendCommand("User-Agent: " + agent_);
    SendCommand("Host: " + target_.TargetHost);
    if (noCache_)
        SendCommand("Pragma: no-cache");
    if (method == "POST")
        SendCommand("Content-Length: " +
                    std::to_string(sendStream_ != nullptr ? sendStream_->Size() : 0));
    if (modifiedSince_ != 0)
        SendCommand("If-Modified-Since: " + HttpDateText(modifiedSince_) + " GMT");
    if (!username_.empty() && sendCredentials_ &&
        DocumentOrigin(target_, !proxy_.empty()) == credentialOrigin_)
        SendCommand("Authorization: Basic " + EncodeBase64(username_ + ":" + password_));
    if (!cookie_.empty())
        SendCommand("Cookie: " + cookie_);
    TriggerHeaderEnd();
    SendCommand("");
    socket_->Send(requestText_.data(), static_cast<int>(requestText_.size()));
    requestText_.clear();
}

void THttpCli::SocketDataSent(socket::TCustomWSocket::Word) {
    if (!sendingPost_)
        return;
    int n = sendStream_ != nullptr ? sendStream_->Read(sendBuffer_, kBufferSize) : 0;
    if (n <= 0) {
        sendingPost_ = false;
        TriggerSendEnd();
        return;
    }
    sentCount_ += n;
    TriggerSendData(sendBuffer_, n);
    socket_->Send(sendBuffer_, n);
}

}  // namespace zelvo::http
