// THttpCli's receiving side: response lines, the body, and how a connection's
// end becomes the request's result.
#include <algorithm>
#include <cstring>
#include <string_view>

#include "http/CredentialMask.h"
#include "http/HttpProt.h"
#include "http/ResponseLines.h"
#include "http/TextRules.h"

namespace zelvo::http {

void THttpCli::SocketDataAvailable(socket::TCustomWSocket::Word) {
    // Everything the socket holds now, one buffer at a time: a fast server
    // is not held to one read per pass of the message loop. A pass still
    // ends after kMaxPassBytes, so that a server faster than the reader
    // cannot keep the rest of the program waiting.
    // Under TLS a read gives at most one record, so a short read does not
    // mean the socket is empty: only a read that finds nothing does.
    const bool recordSized = socket_->SslEnable() || tunnelPhase_ == TTunnelPhase::Open;
    int passBytes = 0;
    for (;;) {
        if (httpState_ == hsWaitingBody) {
            // The body needs no line scanning: it is read in large pieces.
            const int len = socket_->Receive(bodyBuffer_.get(), kBodyBufferSize);
            if (requestType_ == hrNone || len <= 0)
                return;
            timers_.DataReceived();
            ProcessBodyData(bodyBuffer_.get(), len);
            passBytes += len;
            if (httpState_ != hsWaitingBody || passBytes >= kMaxPassBytes)
                return;
            if (len < kBodyBufferSize && !recordSized)
                return;
            continue;
        }
        if (rcvCount_ >= kBufferSize - 1) {
            // A full buffer holds no line end: the line can never be
            // completed, and reading nothing while data waits would keep
            // the read loop turning forever.
            EndRequest("Header line too long", 0);
            return;
        }
        const int room = kBufferSize - 1 - rcvCount_;
        const int len = socket_->Receive(rcvBuffer_ + rcvCount_, room);
        if (requestType_ == hrNone || len <= 0)
            return;
        timers_.DataReceived();
        rcvCount_ += len;
        rcvBuffer_[rcvCount_] = '\0';
        HandleLines();
        passBytes += len;
        if (httpState_ == hsReady || httpState_ == hsAborting || passBytes >= kMaxPassBytes)
            return;
        if (len < room && !recordSized)
            return;
    }
}

void THttpCli::HandleLines() {
    while (rcvCount_ > 0) {
        const void* nul = std::memchr(rcvBuffer_, '\0', static_cast<std::size_t>(rcvCount_));
        const std::size_t limit =
            nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - rcvBuffer_)
                           : static_cast<std::size_t>(rcvCount_);
        const std::size_t end = FindLineEnd(std::string_view(rcvBuffer_, limit));
        if (end == std::string_view::npos) {
            // A zero byte inside a header line: no line end will ever be
            // found past it, and such a header is no answer to trust.
            const bool inHeader =
                httpState_ == hsWaitingHeader || tunnelPhase_ == TTunnelPhase::AwaitingReply;
            if (nul != nullptr && inHeader)
                EndRequest("Malformed header line", 0);
            return;
        }
        std::string line(LineBefore(std::string_view(rcvBuffer_, limit), end));
        rcvCount_ -= static_cast<int>(end + 1);
        std::memmove(rcvBuffer_, rcvBuffer_ + end + 1, static_cast<std::size_t>(rcvCount_));
        rcvBuffer_[rcvCount_] = '\0';
        if (tunnelPhase_ == TTunnelPhase::AwaitingReply) {
            ProcessTunnelLine(line);
        } else if (httpState_ == hsWaitingHeader) {
            currentLine_ = std::move(line);
            ProcessHeaderLine();
        }
    }
}

void THttpCli::ProcessHeaderLine() {
    if (headerLineCount_ == 0)
        TriggerHeaderBegin();
    ++headerLineCount_;

    const std::string& line = currentLine_;
    headerBytes_ += static_cast<int>(line.size()) + 2;
    if (headerBytes_ > kMaxHeaderBytes) {
        EndRequest("Header too long", 0);
        return;
    }
    if (line.empty()) {
        EndOfHeader();
        return;
    }
    rcvdHeader_.Add(line);
    TStatusLine status;
    switch (ParseStatusLine(line, status)) {
        case TStatusParse::Ok:
            statusCode_ = status.StatusCode;
            reasonPhrase_ = status.ReasonPhrase;
            break;
        case TStatusParse::Malformed:
            EndRequest("Malformed status line", 0);
            return;
        case TStatusParse::NotStatusLine:
            ProcessHeaderField(line);
            if (httpState_ != hsWaitingHeader)
                return;
            break;
    }
    if (OnHeaderData)
        OnHeaderData(this);
    if (statusCode_ >= 400 && httpState_ == hsWaitingHeader)
        socket_->Close();
}

void THttpCli::ProcessHeaderField(const std::string& line) {
    THeaderField field;
    if (!ParseHeaderLine(line, field))
        return;
    if (field.Name == "location") {
        relocationPending_ = true;
        ApplyLocation(field.Value, !proxy_.empty(), target_);
    } else if (field.Name == "content-length") {
        std::optional<std::int64_t> n = ParseContentLength(field.Value);
        if (!n) {
            EndRequest("Malformed Content-Length", 0);
            return;
        }
        contentLength_ = static_cast<int>(std::min<std::int64_t>(*n, 0x7FFFFFFF));
        contentLengthSeen_ = true;
    } else if (field.Name == "content-type") {
        contentType_ = field.Value;
        responseContentType_ = field.Value;
    } else if (field.Name == "www-authenticate") {
        authChallenges_.push_back(field.Value);
    }
}

void THttpCli::EndOfHeader() {
    if (relocationPending_) {
        if (++relocations_ > kMaxRelocations) {
            EndRequest("Too many relocations", 0);
            return;
        }
        const bool viaProxy = !proxy_.empty();
        const TOrigin next = DocumentOrigin(target_, viaProxy);
        const bool leavesTls = documentOrigin_.Scheme == "https" && next.Scheme == "http";
        documentOrigin_ = next;
        if (leavesTls) {
            const std::string url = DocumentURL(target_, viaProxy);
            Record("Relocated from https to plain http: " + MaskCredentials(url));
            if (OnPlainRelocation) {
                OnPlainRelocation(this, url);
                if (httpState_ != hsWaitingHeader)
                    return;  // the handler ended the request
            }
        }
        using Sock = socket::TCustomWSocket;
        socket_->OnSessionClosed = [this](Sock*, Sock::Word e) { RelocationClosed(e); };
        socket_->Close();
        return;
    }
    if (contentLengthSeen_ && requestType_ != hrHead && statusCode_ < 400 &&
        contentLength_ > maxDocumentSize_) {
        EndRequest("Document too large", 0);
        return;
    }
    if (AsciiLower(ExtractFileExt(docName_)) == ".exe" && contentType_ == "text/html")
        ReplaceExt(docName_, "htm");
    SetHttpState(hsWaitingBody);
    TriggerHeaderEnd();
    const int rest = rcvCount_;
    rcvCount_ = 0;
    if (rest > 0 && httpState_ == hsWaitingBody)
        ProcessBodyData(rcvBuffer_, rest);
}

void THttpCli::ProcessBodyData(const char* data, int len) {
    if (bodyRcvdCount_ + static_cast<std::int64_t>(len) > maxDocumentSize_) {
        // Nothing of a refused document is kept, neither here nor in the
        // caller's stream.
        if (rcvdStream_ != nullptr)
            rcvdStream_->Discard();
        EndRequest("Document too large", 0);
        return;
    }
    if (bodyChunkCount_ == 0) {
        Record(contentType_ + " => " + docName_);
        Record("Document = " + docName_);
        TriggerDocBegin();
        if (fetch_.Active && rcvdStream_ == nullptr)
            rcvdStream_ = &fetch_.Body;
        // The stream is the caller's from the event on; it gets the room
        // announced, never more than the client would keep.
        if (rcvdStream_ != nullptr && contentLengthSeen_)
            rcvdStream_->Reserve(std::min<std::int64_t>(contentLength_, maxDocumentSize_));
    }
    ++bodyChunkCount_;
    bodyRcvdCount_ += len;
    TriggerDocData(data, len);
    if (rcvdStream_ != nullptr && rcvdStream_->Write(data, len) != len)
        EndRequest("Stream write error", 0);
}

void THttpCli::SocketClosed(socket::TCustomWSocket::Word) {
    if (closeReported_)
        return;  // the socket's own close after one the client already handled
    closeReported_ = true;
    timers_.Stop();
    if (statusCode_ < 400 && httpState_ != hsAborting) {
        // An end the server did not announce is a failure, not a document.
        const bool tls = socket_->SslEnable() || tunnelPhase_ == TTunnelPhase::Handshake;
        if (tunnelPhase_ == TTunnelPhase::AwaitingReply) {
            statusCode_ = 404;
            reasonPhrase_ = "Proxy refused the tunnel: connection closed";
        } else if (httpState_ == hsConnecting && tls && !socket_->SslFailure().empty()) {
            statusCode_ = 404;
            reasonPhrase_ = socket_->SslFailure();
        } else if (httpState_ == hsConnecting || httpState_ == hsWaitingHeader) {
            statusCode_ = 404;
            reasonPhrase_ = "Connection closed before the header ended";
        } else if (httpState_ == hsWaitingBody && contentLengthSeen_ && requestType_ != hrHead &&
                   bodyRcvdCount_ < contentLength_) {
            statusCode_ = 404;
            reasonPhrase_ = "Document incomplete: " + std::to_string(bodyRcvdCount_) + " of " +
                            std::to_string(contentLength_) + " bytes";
        }
    }
    if (bodyChunkCount_ > 0) {
        TriggerDocEnd();
        if (rcvdStream_ == &fetch_.Body) {
            fetch_.Document = fetch_.Body.TakeData();
            rcvdStream_ = nullptr;
        }
    }
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
