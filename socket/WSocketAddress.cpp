// The properties that name the peer (address, port, protocol) and the
// lookup that finds an address for a name.
#include "platform/Text.h"
#include "socket/WSocket.h"
#include "socket/WSocketDetail.h"

namespace zelvo::socket {

namespace ws = platform;

namespace {

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
        detail::StartWinsock();
        const ws::HOSTENT* entry = ws::gethostbyname(host);
        if (entry == nullptr || entry->h_addr_list.empty())
            throw ESocketException("SetAddr: Cannot convert host address '" + text + "'");
        addr = entry->h_addr_list.front();
    }
    return addr;
}

}  // namespace

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
    detail::StartWinsock();
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
        detail::StartWinsock();
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

}  // namespace zelvo::socket
