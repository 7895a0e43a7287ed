#include "http/HttpProt.h"

#include <cstring>
#include <utility>

#include "http/ResponseLines.h"
#include "http/TextRules.h"

namespace zelvo::http {

// ------------------------------------------------------------------ client

THttpCli::THttpCli()
    : socket_(std::make_unique<socket::TWSocket>()),
      window_(std::make_unique<platform::MessageWindow>(
          [this](platform::UINT msg, platform::WPARAM w, platform::LPARAM l) {
              return WndProc(msg, w, l);
          })) {
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
    if (statusCode_ >= 400)
        throw EHttpException(reasonPhrase_, statusCode_);
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

    target_ = TargetFromURL(url_, proxy_, proxyPort_);
    if (!target_.User.empty())
        username_ = target_.User;
    if (!target_.Password.empty())
        password_ = target_.Password;
    docName_ = DocNameFromPath(target_.DocName);
    StartLookup();
}

void THttpCli::StartLookup() {
    if (httpState_ == hsAborting || httpState_ == hsReady)
        return;
    SetHttpState(hsDnsLookup);
    if (httpState_ != hsDnsLookup)
        return;  // a state-change handler aborted the request
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
    // With no request running there is nothing to end; the client stays
    // ready for the next one.
    if (httpState_ == hsReady || httpState_ == hsAborting)
        return;
    THttpState old = httpState_;
    SetHttpState(hsAborting);
    if (old == hsDnsLookup)
        socket_->CancelDnsLookup();
    statusCode_ = 404;
    reasonPhrase_ = "Connection aborted on request";
    requestDoneError_ = 3;
    // A socket already closed (between a relocation's close and its new
    // lookup) reports no close of its own.
    if (old == hsDnsLookup || socket_->State() == socket::wsClosed) {
        BindSocketClosed();
        SocketClosed(0);
    } else {
        socket_->Close();
    }
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
        socket_->SetAddr(socket_->DnsResult());
        socket_->SetPort(target_.ConnectPort);
        socket_->SetProto("tcp");
        socket_->Connect();
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

void THttpCli::SocketConnected(socket::TCustomWSocket::Word error) {
    if (error != 0) {
        statusCode_ = 404;
        reasonPhrase_ = socket::WinsockErrorText(error) + " (Error #" + std::to_string(error) + ")";
        SocketClosed(0);
        return;
    }
    rcvCount_ = 0;
    nextStep_ = &THttpCli::ProcessHeaderLine;
    SetHttpState(hsWaitingHeader);
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

void THttpCli::SendCommand(const std::string& s) {
    if (OnCommand)
        OnCommand(this, s);
    requestText_ += s;
    requestText_ += "\r\n";
}

void THttpCli::SendRequestHeader(const std::string& method, const std::string& version) {
    requestText_.clear();
    TriggerHeaderBegin();
    SendCommand(method + " " + target_.Path + " HTTP/" + version);
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
    if (!username_.empty())
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

void THttpCli::FailRequest(const std::string& reason) {
    statusCode_ = 404;
    reasonPhrase_ = reason;
    CloseConnection();
}

void THttpCli::SocketDataAvailable(socket::TCustomWSocket::Word) {
    if (rcvCount_ >= kBufferSize - 1) {
        // A full buffer holds no line end: the line can never be completed,
        // and reading nothing while data waits would keep the read loop
        // turning forever.
        rcvCount_ = 0;
        FailRequest("Header line too long");
        return;
    }
    int len = socket_->Receive(rcvBuffer_ + rcvCount_, kBufferSize - 1 - rcvCount_);
    if (requestType_ == hrNone || len <= 0)
        return;
    rcvCount_ += len;
    rcvBuffer_[rcvCount_] = '\0';

    if (httpState_ == hsWaitingBody) {
        currentLine_.assign(rcvBuffer_, static_cast<std::size_t>(rcvCount_));
        // Emptied first: a chunk that fails to be stored is not handed on
        // again in front of the next one.
        rcvCount_ = 0;
        if (nextStep_ != nullptr)
            (this->*nextStep_)();
        else
            PostReady();
        return;
    }

    while (rcvCount_ > 0) {
        const void* nul = std::memchr(rcvBuffer_, '\0', static_cast<std::size_t>(rcvCount_));
        const std::size_t limit =
            nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - rcvBuffer_)
                           : static_cast<std::size_t>(rcvCount_);
        const void* lf = std::memchr(rcvBuffer_, '\n', limit);
        if (lf == nullptr)
            break;
        auto end = static_cast<std::size_t>(static_cast<const char*>(lf) - rcvBuffer_);
        std::size_t lineLen = end;
        if (lineLen > 0 && rcvBuffer_[lineLen - 1] == '\r')
            --lineLen;
        std::string line(rcvBuffer_, lineLen);
        rcvCount_ -= static_cast<int>(end + 1);
        std::memmove(rcvBuffer_, rcvBuffer_ + end + 1, static_cast<std::size_t>(rcvCount_));
        rcvBuffer_[rcvCount_] = '\0';
        if (httpState_ == hsWaitingHeader || httpState_ == hsWaitingBody) {
            currentLine_ = std::move(line);
            if (nextStep_ != nullptr)
                (this->*nextStep_)();
            else
                PostReady();
        }
    }
}

void THttpCli::ProcessHeaderLine() {
    if (headerLineCount_ == 0)
        TriggerHeaderBegin();
    ++headerLineCount_;

    const std::string& line = currentLine_;
    if (!line.empty()) {
        rcvdHeader_.push_back(line);
        TStatusLine status;
        THeaderField field;
        switch (ParseStatusLine(line, status)) {
            case TStatusParse::Ok:
                statusCode_ = status.StatusCode;
                reasonPhrase_ = status.ReasonPhrase;
                break;
            case TStatusParse::Malformed:
                throw std::invalid_argument("malformed status line");
            case TStatusParse::NotStatusLine:
                if (!ParseHeaderLine(line, field))
                    break;
                if (field.Name == "location") {
                    relocationPending_ = true;
                    ApplyLocation(field.Value, !proxy_.empty(), target_);
                } else if (field.Name == "content-length") {
                    std::optional<std::int64_t> n = ParseContentLength(field.Value);
                    if (!n || *n > 0x7FFFFFFF)
                        throw std::invalid_argument("malformed content length");
                    contentLength_ = static_cast<int>(*n);
                } else if (field.Name == "content-type") {
                    contentType_ = field.Value;
                } else if (field.Name == "www-authenticate") {
                    authChallenges_.push_back(field.Value);
                }
                break;
        }
        if (OnHeaderData)
            OnHeaderData(this);
        if (statusCode_ >= 400)
            socket_->Close();
        return;
    }

    if (relocationPending_) {
        using Sock = socket::TCustomWSocket;
        socket_->OnSessionClosed = [this](Sock*, Sock::Word e) { RelocationClosed(e); };
        socket_->Close();
        return;
    }
    if (LowerAscii(ExtractFileExt(docName_)) == ".exe" && contentType_ == "text/html")
        ReplaceExt(docName_, "htm");
    SetHttpState(hsWaitingBody);
    nextStep_ = &THttpCli::ProcessBodyData;
    TriggerHeaderEnd();
    if (rcvCount_ > 0) {
        currentLine_.assign(rcvBuffer_, static_cast<std::size_t>(rcvCount_));
        rcvCount_ = 0;
        ProcessBodyData();
    }
    rcvCount_ = 0;
}

void THttpCli::ProcessBodyData() {
    if (bodyChunkCount_ == 0)
        TriggerDocBegin();
    ++bodyChunkCount_;
    const int len = static_cast<int>(currentLine_.size());
    bodyRcvdCount_ += len;
    TriggerDocData(currentLine_.data(), len);
    if (rcvdStream_ != nullptr && rcvdStream_->Write(currentLine_.data(), len) != len)
        throw std::runtime_error("Stream write error");
}

void THttpCli::SocketClosed(socket::TCustomWSocket::Word) {
    if (bodyChunkCount_ > 0)
        TriggerDocEnd();
    PostReady();
}

void THttpCli::RelocationClosed(socket::TCustomWSocket::Word) {
    relocationPending_ = false;
    BindSocketClosed();
    // The rest of the relocation response is not the start of the next one.
    rcvCount_ = 0;
    platform::PostMessage(window_->Handle(), WM_HTTP_LOGIN, 0, 0);
}

}  // namespace zelvo::http
