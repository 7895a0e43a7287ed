#pragma once
// An event-driven HTTP/1.0 client: one request at a time, driven by its
// socket's events and by messages posted to its own hidden window, directly
// or through a proxy, with Basic authorization and relocation. Get runs a
// request to its end while keeping the message loop turning.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "http/FetchResult.h"
#include "http/HeaderLog.h"
#include "http/RequestTarget.h"
#include "http/RequestTimers.h"
#include "http/Stream.h"
#include "http/UrlHelpers.h"
#include "platform/MessageLoop.h"
#include "socket/WSocket.h"

namespace zelvo::http {

// ------------------------------------------------------------------ client

class EHttpException : public std::runtime_error {
public:
    EHttpException(const std::string& message, int errorCode)
        : std::runtime_error(message), ErrorCode(errorCode) {}
    int ErrorCode;
};

enum THttpRequest : std::uint8_t { hrNone = 0, hrGet = 1, hrPost = 2, hrHead = 3 };

enum THttpState : std::uint8_t {
    hsReady = 0,
    hsConnecting = 1,
    hsDnsLookup = 2,
    hsWaitingHeader = 3,
    hsWaitingBody = 4,
    hsAborting = 5,
};

class THttpCli {
public:
    using Word = std::uint16_t;
    using TNotifyEvent = std::function<void(THttpCli* Sender)>;
    using TOnCommand = std::function<void(THttpCli* Sender, const std::string& S)>;
    using TDocDataEvent = std::function<void(THttpCli* Sender, const char* Buffer, int Len)>;
    using THttpRequestDone = std::function<void(THttpCli* Sender, THttpRequest RqType, Word Error)>;

    static constexpr platform::UINT WM_HTTP_REQUEST_DONE = platform::WM_USER + 1;
    static constexpr platform::UINT WM_HTTP_SET_READY = platform::WM_USER + 2;
    static constexpr platform::UINT WM_HTTP_LOGIN = platform::WM_USER + 3;
    static constexpr int kBufferSize = 8192;       // header lines
    static constexpr int kBodyBufferSize = 65536;  // one read of a document's body
    static constexpr int kMaxPassBytes = 1 << 20;  // read per pass of the message loop
    static constexpr int kMaxRelocations = 20;
    static constexpr int kMaxHeaderBytes = 256 * 1024;  // one response's header lines together

    THttpCli();
    virtual ~THttpCli();
    THttpCli(const THttpCli&) = delete;
    THttpCli& operator=(const THttpCli&) = delete;

    // Runs a GET to its end; raises EHttpException for a status of 400 or
    // more (the client's own 404 covers lookup, connection failures and
    // Abort).
    void Get();
    void Head();
    void Post();
    // Runs a GET to its end and gives the caller its whole result; a failed
    // or refused request is a result too, never an exception. The document
    // goes into the result unless an OnDocBegin handler attaches a stream of
    // its own. The events fire as they do for Get, in the same order.
    TFetchResult Fetch();
    // Asynchronous start; the request then runs from the message loop.
    void StartRequest(THttpRequest requestType);
    // Ends the running request (nothing happens when none is running).
    void Abort();

    // Published properties.
    const std::string& URL() const { return url_; }
    void SetURL(const std::string& v) { url_ = v; }
    const std::string& Proxy() const { return proxy_; }
    void SetProxy(const std::string& v) { proxy_ = v; }
    const std::string& ProxyPort() const { return proxyPort_; }
    void SetProxyPort(const std::string& v) { proxyPort_ = v; }
    const std::string& Sender() const { return sender_; }
    void SetSender(const std::string& v) { sender_ = v; }
    const std::string& Agent() const { return agent_; }
    void SetAgent(const std::string& v) { agent_ = v; }
    const std::string& Reference() const { return reference_; }
    void SetReference(const std::string& v) { reference_ = v; }
    const std::string& Username() const { return username_; }
    void SetUsername(const std::string& v) {
        username_ = v;
        urlCredentialsFor_.reset();
    }
    const std::string& Password() const { return password_; }
    void SetPassword(const std::string& v) {
        password_ = v;
        urlCredentialsFor_.reset();
    }
    bool NoCache() const { return noCache_; }
    void SetNoCache(bool v) { noCache_ = v; }
    double ModifiedSince() const { return modifiedSince_; }
    void SetModifiedSince(double v) { modifiedSince_ = v; }
    const std::string& Cookie() const { return cookie_; }
    void SetCookie(const std::string& v) { cookie_ = v; }
    const std::string& ContentTypePost() const { return contentTypePost_; }
    void SetContentTypePost(const std::string& v) { contentTypePost_ = v; }
    // The lines of the last ten responses, relocations included.
    const std::vector<std::string>& RcvdHeader() const { return rcvdHeader_.Lines(); }
    std::vector<std::string>& RcvdHeader() { return rcvdHeader_.Lines(); }
    bool MultiThreaded() const { return multiThreaded_; }
    void SetMultiThreaded(bool v);
    // Limits that make every request end, in milliseconds (0: none): setting
    // up a connection, name lookup included; silence from the server; the
    // whole request.
    unsigned ConnectTimeOut() const { return timers_.ConnectLimit; }
    void SetConnectTimeOut(unsigned ms) { timers_.ConnectLimit = ms; }
    unsigned ReceiveTimeOut() const { return timers_.SilenceLimit; }
    void SetReceiveTimeOut(unsigned ms) { timers_.SilenceLimit = ms; }
    unsigned RequestTimeOut() const { return timers_.RequestLimit; }
    void SetRequestTimeOut(unsigned ms) { timers_.RequestLimit = ms; }
    // The largest document kept; a longer one fails the request.
    std::int64_t MaxDocumentSize() const { return maxDocumentSize_; }
    void SetMaxDocumentSize(std::int64_t bytes) { maxDocumentSize_ = bytes; }

    // Public, read by callers.
    int StatusCode() const { return statusCode_; }
    const std::string& ReasonPhrase() const { return reasonPhrase_; }
    const std::string& DocName() const { return docName_; }
    // The address of the document last asked for, after every relocation:
    // what its relative links are resolved against.
    std::string CurrentDocumentURL() const { return DocumentURL(target_, !proxy_.empty()); }
    const std::string& ContentType() const { return contentType_; }
    int ContentLength() const { return contentLength_; }
    TStream* RcvdStream() const { return rcvdStream_; }
    void SetRcvdStream(TStream* s) { rcvdStream_ = s; }
    TStream* SendStream() const { return sendStream_; }
    void SetSendStream(TStream* s) { sendStream_ = s; }
    int BodyRcvdCount() const { return bodyRcvdCount_; }
    int SentCount() const { return sentCount_; }
    THttpState HttpState() const { return httpState_; }
    THttpRequest RequestType() const { return requestType_; }
    const std::vector<std::string>& AuthChallenges() const { return authChallenges_; }
    const std::string& Path() const { return target_.Path; }
    const std::string& HostName() const { return target_.HostName; }
    const std::string& TargetHost() const { return target_.TargetHost; }
    const std::string& ConnectPort() const { return target_.ConnectPort; }
    socket::TWSocket& Socket() { return *socket_; }

    // Events.
    TNotifyEvent OnStateChange;
    TNotifyEvent OnHeaderBegin;
    TNotifyEvent OnHeaderEnd;
    TNotifyEvent OnHeaderData;
    TNotifyEvent OnDocBegin;
    TNotifyEvent OnDocEnd;
    TDocDataEvent OnDocData;
    TNotifyEvent OnSendBegin;
    TNotifyEvent OnSendEnd;
    TDocDataEvent OnSendData;
    TNotifyEvent OnTrace;  // never fired
    TOnCommand OnCommand;
    // A relocation from an https document to a plain http one is about to be
    // followed; the text is the new document's address.
    TOnCommand OnPlainRelocation;
    THttpRequestDone OnRequestDone;

protected:
    virtual void SendCommand(const std::string& s);
    virtual void StartLookup();
    virtual void CloseConnection();
    virtual void TriggerHeaderBegin();
    virtual void TriggerHeaderEnd();
    virtual void TriggerDocBegin();
    virtual void TriggerDocData(const char* buffer, int len);
    virtual void TriggerDocEnd();
    virtual void TriggerSendBegin();
    virtual void TriggerSendData(const char* buffer, int len);
    virtual void TriggerSendEnd();

private:
    void ExecuteRequest(THttpRequest requestType);
    void WaitUntilReady();
    // The command's log line, then the command's event.
    void ReportCommand(const std::string& s);
    // A line of the log of the Fetch under way; nothing when none runs.
    void Record(std::string line);
    TFetchResult RefusedFetch(const std::string& why);
    // The failure's lines of a fetch's log, after its error's when it had one.
    void LogFailure(std::vector<std::string>& log, const std::string& error) const;
    platform::LRESULT WndProc(platform::UINT msg, platform::WPARAM wParam, platform::LPARAM lParam);
    void SetHttpState(THttpState state);
    void PostReady();
    void BindSocketClosed();
    void SendRequestHeader(const std::string& method, const std::string& version);
    // Ends the running request as Abort does, with its own reason.
    void EndRequest(const std::string& reason, int requestDoneError);
    void ConnectSocket();
    void SendRequest();
    void SendTunnelRequest();
    void ProcessTunnelLine(const std::string& line);
    void HandleLines();

    void SocketLookupDone(socket::TCustomWSocket::Word error);
    void SocketConnected(socket::TCustomWSocket::Word error);
    void SocketDataAvailable(socket::TCustomWSocket::Word error);
    void SocketDataSent(socket::TCustomWSocket::Word error);
    void SocketClosed(socket::TCustomWSocket::Word error);
    void RelocationClosed(socket::TCustomWSocket::Word error);
    void ProcessHeaderLine();
    void ProcessBodyData(const char* data, int len);
    void ProcessHeaderField(const std::string& line);
    void EndOfHeader();

    std::unique_ptr<socket::TWSocket> socket_;
    std::unique_ptr<platform::MessageWindow> window_;
    bool multiThreaded_ = false;
    THttpState httpState_ = hsReady;
    TRequestTarget target_;
    std::string proxy_;
    std::string proxyPort_ = "80";
    std::string username_;
    std::string password_;
    char sendBuffer_[kBufferSize] = {};
    THttpRequest requestType_ = hrNone;
    char rcvBuffer_[kBufferSize] = {};
    std::unique_ptr<char[]> bodyBuffer_;
    int rcvCount_ = 0;
    std::string currentLine_;
    int headerLineCount_ = 0;
    int bodyChunkCount_ = 0;
    bool sendingPost_ = false;
    std::string url_;
    std::string docName_;
    std::string sender_;
    std::string reference_;
    std::string agent_;
    double modifiedSince_ = 0;
    bool noCache_ = false;
    int statusCode_ = 0;
    std::string reasonPhrase_;
    int contentLength_ = 0;
    std::string contentType_;
    std::vector<std::string> authChallenges_;
    std::string contentTypePost_ = "application/x-www-form-urlencoded";
    std::string cookie_;
    bool relocationPending_ = false;
    int relocations_ = 0;
    // Credentials belong to the document the request was made for; a
    // relocation elsewhere goes without them.
    TOrigin credentialOrigin_;
    TOrigin documentOrigin_;       // of the document last asked for
    bool sendCredentials_ = true;  // to credentialOrigin_, in this request
    // Credentials written in a URL stay with that URL's site in later
    // requests too, until they are set again.
    std::optional<TOrigin> urlCredentialsFor_;
    bool contentLengthSeen_ = false;  // in the current response
    int headerBytes_ = 0;             // of the current response
    std::int64_t maxDocumentSize_ = 32 * 1024 * 1024;
    // Through a proxy, an https document first needs a tunnel and then TLS.
    enum class TTunnelPhase : std::uint8_t { None, AwaitingReply, Handshake, Open };
    TTunnelPhase tunnelPhase_ = TTunnelPhase::None;
    TTunnel tunnel_;
    std::string tunnelStatus_;  // the proxy's status line, once it came
    bool tunnelAccepted_ = false;
    bool closeReported_ = false;  // this connection's end was handled
    THeaderLog rcvdHeader_;
    TRequestTimers timers_;
    TStream* rcvdStream_ = nullptr;
    int bodyRcvdCount_ = 0;
    int sentCount_ = 0;
    TStream* sendStream_ = nullptr;
    std::string requestText_;
    int requestDoneError_ = 0;
    // The Content-Type of the current response alone: the property keeps
    // the last one any response sent, which must not decide how a later
    // document without one is read.
    std::string responseContentType_;
    // What a Fetch under way gathers: its log, the document's own stream,
    // and the document once it ended.
    struct TFetchRecord {
        bool Active = false;
        bool Done = false;  // the request-done event has come
        std::vector<std::string> Log;
        TMemoryStream Body;
        std::optional<std::string> Document;
    };
    TFetchRecord fetch_;
};

}  // namespace zelvo::http
