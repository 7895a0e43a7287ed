#include "http/HttpProt.h"

#include <cmath>
#include <cstring>
#include <utility>

namespace zelvo::http {

namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

// 1-based Copy: count characters from position pos, clipped to the text.
std::string Copy(const std::string& s, int pos, int count) {
    if (pos < 1)
        pos = 1;
    if (count <= 0 || pos > static_cast<int>(s.size()))
        return {};
    return s.substr(static_cast<std::size_t>(pos - 1), static_cast<std::size_t>(count));
}

// A decimal integer with optional leading blanks and sign; anything else is
// not a number and raises, as a malformed header value must.
int StrToInt(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+'))
        negative = s[i++] == '-';
    if (i >= s.size())
        throw std::invalid_argument("'" + s + "' is not a valid integer value");
    long long v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            throw std::invalid_argument("'" + s + "' is not a valid integer value");
        v = v * 10 + (s[i] - '0');
        if (v > 0x7FFFFFFFLL + (negative ? 1 : 0))
            throw std::invalid_argument("'" + s + "' is not a valid integer value");
    }
    return static_cast<int>(negative ? -v : v);
}

// The extension of a file name, its dot included.
std::string ExtractFileExt(const std::string& name) {
    std::size_t p = name.find_last_of(".\\:");
    if (p == std::string::npos || name[p] != '.')
        return {};
    return name.substr(p);
}

}  // namespace

// ---------------------------------------------------------------- helpers

int LastPos(const std::string& sub, const std::string& s) {
    if (sub.empty() || sub.size() > s.size())
        return 0;
    std::size_t p = s.rfind(sub);
    return p == std::string::npos ? 0 : static_cast<int>(p) + 1;
}

void SplitURL(const std::string& url, std::string& scheme, std::string& user, std::string& password,
              std::string& host, std::string& port, std::string& path) {
    scheme.clear();
    user.clear();
    password.clear();
    host.clear();
    port.clear();
    path.clear();

    std::string rest;
    std::size_t p = url.find("://");
    if (p != std::string::npos) {
        scheme = url.substr(0, p);
        rest = url.substr(p + 3);
    } else if (Lower(url.substr(0, 7)) == "mailto:") {
        scheme = "mailto";
        rest = url.substr(url.find(':') + 1);
    } else {
        rest = url;
    }

    std::string authority;
    std::size_t slash = rest.find('/');
    if (slash != std::string::npos) {
        path = rest.substr(slash);
        authority = rest.substr(0, slash);
    } else {
        authority = rest;
    }

    int c = LastPos(":", authority);
    int a = LastPos("@", authority);
    std::string userPart;
    if (c == 0 && a == 0) {
        host = authority;
        return;
    }
    if (c > a) {
        port = Copy(authority, c + 1, static_cast<int>(authority.size()));
        host = Copy(authority, a + 1, c - a - 1);
        if (a == 0)
            return;
        userPart = authority.substr(0, static_cast<std::size_t>(a - 1));
    } else {
        host = Copy(authority, a + 1, static_cast<int>(authority.size()));
        userPart = authority.substr(0, static_cast<std::size_t>(a - 1));
    }
    std::size_t colon = userPart.find(':');
    if (colon != std::string::npos) {
        user = userPart.substr(0, colon);
        password = userPart.substr(colon + 1);
    } else {
        user = userPart;
    }
}

void ReplaceExt(std::string& name, const std::string& ext) {
    int d = LastPos(".", name);
    if (d > 0)
        name = name.substr(0, static_cast<std::size_t>(d)) + ext;
    else
        name = name + "." + ext;
}

std::string HttpDateText(double dateTime) {
    static const char* const kDays = "MonTueWedThuFriSatSun";
    static const char* const kMonths = "JanFebMarAprMayJunJulAugSepOctNovDec";

    const double whole = std::trunc(dateTime);
    const auto days = static_cast<long long>(whole);
    long long ms = std::llround(std::fabs(dateTime - whole) * 86400000.0);
    if (ms >= 86400000)
        ms = 86400000 - 1;  // a fraction that rounds up to midnight stays in its day

    // Civil date from the day count; 30 December 1899 is 25569 days before
    // 1 January 1970.
    long long z = days - 25569 + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long year = yoe + era * 400;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const long long day = doy - (153 * mp + 2) / 5 + 1;
    const long long month = mp < 10 ? mp + 3 : mp - 9;
    if (month <= 2)
        ++year;

    const long long hour = ms / 3600000;
    const long long minute = ms / 60000 % 60;
    const long long second = ms / 1000 % 60;
    const long long weekday = ((days - 2) % 7 + 7) % 7;

    char text[64];
    std::snprintf(text, sizeof text, "%.3s, %2.2lld %.3s %4.4lld %2.2lld:%2.2lld:%2.2lld",
                  kDays + 3 * weekday, day, kMonths + 3 * (month - 1), year, hour, minute, second);
    return text;
}

std::string EncodeBase64(const std::string& data) {
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((data.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < data.size(); i += 3) {
        unsigned v = (static_cast<unsigned char>(data[i]) << 16) |
                     (static_cast<unsigned char>(data[i + 1]) << 8) |
                     static_cast<unsigned char>(data[i + 2]);
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    std::size_t left = data.size() - i;
    if (left == 1) {
        unsigned v = static_cast<unsigned char>(data[i]) << 16;
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += "==";
    } else if (left == 2) {
        unsigned v = (static_cast<unsigned char>(data[i]) << 16) |
                     (static_cast<unsigned char>(data[i + 1]) << 8);
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += '=';
    }
    return out;
}

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

    std::string scheme, user, pass, host, port, path;
    if (!proxy_.empty()) {
        SplitURL(url_, scheme, user, pass, host, port, path);
        targetHost_ = host;
        path_ = url_;
        docName_ = path;
        if (!user.empty())
            username_ = user;
        if (!pass.empty())
            password_ = pass;
        if (scheme.empty())
            path_ = "http://" + path_;
        SplitURL(proxy_, scheme, user, pass, host, port, path);
        if (port.empty())
            port = proxyPort_;
    } else {
        SplitURL(url_, scheme, user, pass, host, port, path);
        path_ = path;
        targetHost_ = host;
        docName_ = path_;
        if (!user.empty())
            username_ = user;
        if (!pass.empty())
            password_ = pass;
        if (port.empty())
            port = "80";
    }
    if (path_.empty())
        path_ = "/";

    if (docName_.empty() || docName_ == "/") {
        docName_ = "document.htm";
    } else {
        if (docName_.back() == '/')
            docName_.pop_back();
        docName_ = Copy(docName_, LastPos("/", docName_) + 1, 255);
        std::size_t q = docName_.find('?');
        if (q != std::string::npos)
            docName_.resize(q);
    }

    hostName_ = host;
    connectPort_ = port;
    StartLookup();
}

void THttpCli::StartLookup() {
    if (httpState_ == hsAborting || httpState_ == hsReady)
        return;
    SetHttpState(hsDnsLookup);
    if (httpState_ != hsDnsLookup)
        return;  // a state-change handler aborted the request
    if (hostName_.empty()) {
        // No host to look up ends the request like a failed lookup rather
        // than leaving the client stuck in the lookup state.
        SocketLookupDone(platform::WSAEINVAL);
        return;
    }
    try {
        socket_->DnsLookup(hostName_);
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
        socket_->SetPort(connectPort_);
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
    SendCommand(method + " " + path_ + " HTTP/" + version);
    if (!sender_.empty())
        SendCommand("From: " + sender_);
    if (!reference_.empty())
        SendCommand("Referer: " + reference_);
    if (method == "POST" && !contentTypePost_.empty())
        SendCommand("Content-Type: " + contentTypePost_);
    if (!agent_.empty())
        SendCommand("User-Agent: " + agent_);
    SendCommand("Host: " + targetHost_);
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
        if (StartsWith(line, "HTTP/1.0") || StartsWith(line, "HTTP/1.1")) {
            statusCode_ = StrToInt(Copy(line, 10, 3));
            reasonPhrase_ = Copy(line, 14, static_cast<int>(line.size()));
        } else {
            std::size_t colon = line.find(':');
            if (colon != std::string::npos) {
                std::string name = Lower(line.substr(0, colon));
                std::string value =
                    Copy(line, static_cast<int>(colon) + 3, static_cast<int>(line.size()));
                if (name == "location")
                    ProcessLocation(value);
                else if (name == "content-length")
                    contentLength_ = StrToInt(value);
                else if (name == "content-type")
                    contentType_ = value;
                else if (name == "www-authenticate")
                    authChallenges_.push_back(value);
            }
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
    if (Lower(ExtractFileExt(docName_)) == ".exe" && contentType_ == "text/html")
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

void THttpCli::ProcessLocation(const std::string& value) {
    relocationPending_ = true;
    if (!proxy_.empty()) {
        if (StartsWith(value, "/")) {
            // The request line through a proxy carries a whole URL, so a
            // path alone replaces the path of the current one.
            std::string scheme, user, pass, host, port, path;
            SplitURL(path_, scheme, user, pass, host, port, path);
            path_ = (scheme.empty() ? std::string("http") : scheme) + "://" + host +
                    (port.empty() ? "" : ":" + port) + value;
        } else {
            path_ = value;
        }
        return;
    }
    if (StartsWith(value, "/")) {
        path_ = value;
        return;
    }
    std::string scheme, user, pass, host, port, path;
    SplitURL(value, scheme, user, pass, host, port, path);
    path_ = path.empty() ? "/" : path;
    hostName_ = host;
    if (!port.empty())
        connectPort_ = port;
    else if (!scheme.empty())
        connectPort_ = "80";  // another server's default port, not the old one's
    targetHost_ = hostName_;
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
