#pragma once
// The Winsock 1.1 subset the socket component is written against: Berkeley
// calls that report failures through WSAGetLastError with Winsock's codes,
// readiness notifications posted as window messages (WSAAsyncSelect) and host
// lookups answered by a posted message (WSAAsyncGetHostByName).
//
// Constants that the operating system's own socket headers define as macros
// carry a WS_ prefix here, so this header can share a translation unit with
// those headers. Handles are never reused, so a notification still queued for
// a closed socket can never be mistaken for one of a newer socket.
#include <bit>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace zelvo::platform {

using SOCKET = std::uintptr_t;
using HANDLE = std::uintptr_t;  // asynchronous request handle, 0 for none

constexpr SOCKET INVALID_SOCKET = ~SOCKET{0};
constexpr int SOCKET_ERROR = -1;

constexpr int WS_AF_INET = 2;
constexpr int WS_SOCK_STREAM = 1;
constexpr int WS_SOCK_DGRAM = 2;
constexpr int WS_IPPROTO_TCP = 6;
constexpr int WS_IPPROTO_UDP = 17;
constexpr int WS_SOL_SOCKET = 0xFFFF;
constexpr int WS_SO_REUSEADDR = 0x0004;
constexpr int WS_SO_KEEPALIVE = 0x0008;
constexpr int WS_SO_BROADCAST = 0x0020;
constexpr int WS_SO_LINGER = 0x0080;
constexpr int WS_MSG_OOB = 0x1;
constexpr int WS_MSG_PEEK = 0x2;
constexpr long WS_FIONREAD = 0x4004667F;
constexpr int SD_RECEIVE = 0;
constexpr int SD_SEND = 1;
constexpr int SD_BOTH = 2;
// Network byte order, as stored in IN_ADDR.
constexpr std::uint32_t WS_INADDR_ANY = 0x00000000;
constexpr std::uint32_t WS_INADDR_NONE = 0xFFFFFFFF;

constexpr long FD_READ = 0x01;
constexpr long FD_WRITE = 0x02;
constexpr long FD_OOB = 0x04;
constexpr long FD_ACCEPT = 0x08;
constexpr long FD_CONNECT = 0x10;
constexpr long FD_CLOSE = 0x20;
// Not Winsock's: the TLS handshake that StartTls began has ended, with the
// error in the high word (0 once the session is secured).
constexpr long FD_HANDSHAKE = 0x100;

constexpr int WSABASEERR = 10000;
constexpr int WSAEINTR = 10004;
constexpr int WSAEBADF = 10009;
constexpr int WSAEACCES = 10013;
constexpr int WSAEFAULT = 10014;
constexpr int WSAEINVAL = 10022;
constexpr int WSAEMFILE = 10024;
constexpr int WSAEWOULDBLOCK = 10035;
constexpr int WSAEINPROGRESS = 10036;
constexpr int WSAEALREADY = 10037;
constexpr int WSAENOTSOCK = 10038;
constexpr int WSAEDESTADDRREQ = 10039;
constexpr int WSAEMSGSIZE = 10040;
constexpr int WSAEPROTOTYPE = 10041;
constexpr int WSAENOPROTOOPT = 10042;
constexpr int WSAEPROTONOSUPPORT = 10043;
constexpr int WSAESOCKTNOSUPPORT = 10044;
constexpr int WSAEOPNOTSUPP = 10045;
constexpr int WSAEPFNOSUPPORT = 10046;
constexpr int WSAEAFNOSUPPORT = 10047;
constexpr int WSAEADDRINUSE = 10048;
constexpr int WSAEADDRNOTAVAIL = 10049;
constexpr int WSAENETDOWN = 10050;
constexpr int WSAENETUNREACH = 10051;
constexpr int WSAENETRESET = 10052;
constexpr int WSAECONNABORTED = 10053;
constexpr int WSAECONNRESET = 10054;
constexpr int WSAENOBUFS = 10055;
constexpr int WSAEISCONN = 10056;
constexpr int WSAENOTCONN = 10057;
constexpr int WSAESHUTDOWN = 10058;
constexpr int WSAETOOMANYREFS = 10059;
constexpr int WSAETIMEDOUT = 10060;
constexpr int WSAECONNREFUSED = 10061;
constexpr int WSAELOOP = 10062;
constexpr int WSAENAMETOOLONG = 10063;
constexpr int WSAEHOSTDOWN = 10064;
constexpr int WSAEHOSTUNREACH = 10065;
constexpr int WSAENOTEMPTY = 10066;
constexpr int WSAEPROCLIM = 10067;
constexpr int WSAEUSERS = 10068;
constexpr int WSAEDQUOT = 10069;
constexpr int WSAESTALE = 10070;
constexpr int WSAEREMOTE = 10071;
constexpr int WSASYSNOTREADY = 10091;
constexpr int WSAVERNOTSUPPORTED = 10092;
constexpr int WSANOTINITIALISED = 10093;
constexpr int WSAHOST_NOT_FOUND = 11001;
constexpr int WSATRY_AGAIN = 11002;
constexpr int WSANO_RECOVERY = 11003;
constexpr int WSANO_DATA = 11004;

struct IN_ADDR {
    std::uint32_t S_addr = 0;  // network byte order
};

struct SOCKADDR_IN {
    std::int16_t sin_family = 0;
    std::uint16_t sin_port = 0;  // network byte order
    IN_ADDR sin_addr;
    char sin_zero[8] = {};
};
static_assert(sizeof(SOCKADDR_IN) == 16);

struct LINGER {
    std::uint16_t l_onoff = 0;
    std::uint16_t l_linger = 0;  // seconds
};

// A host entry: the name looked up and its IPv4 addresses (network order) in
// the resolver's order.
struct HOSTENT {
    std::string h_name;
    std::vector<std::uint32_t> h_addr_list;
};

struct WSADATA {
    std::uint16_t wVersion = 0;
    std::uint16_t wHighVersion = 0;
    std::string szDescription;
};

int WSAStartup(std::uint16_t versionRequested, WSADATA* data);
int WSACleanup();
int WSAGetLastError();
void WSASetLastError(int error);

// Notifications arrive as msg posted to wnd: wParam the socket, the low word
// of lParam the event, the high word the error. msg 0 with no events stops
// them. Makes the socket non-blocking. FD_CLOSE comes when the peer closes,
// even with data still unread (FD_READ may follow for that data).
int WSAAsyncSelect(SOCKET s, HWND wnd, UINT msg, long events);

// Starts a lookup of name and returns its non-zero handle at once (0 when it
// cannot start). Later msg is posted to wnd with wParam the handle and the
// error in the high word of lParam; before that, *result receives the entry
// (it must stay valid until then or until the request is cancelled).
HANDLE WSAAsyncGetHostByName(HWND wnd, UINT msg, const std::string& name, HOSTENT* result);
// A cancelled lookup posts nothing. SOCKET_ERROR (WSAEINVAL) for an unknown
// or finished handle.
int WSACancelAsyncRequest(HANDLE request);

// Not Winsock's: secures a connected stream socket as the client end of a
// TLS session (1.2 or newer) whose certificate must chain to the trust store
// that SSL_CERT_FILE / SSL_CERT_DIR or the system name, and carry serverName
// (a host name, also sent as SNI, or a dotted address). Returns at once; the
// handshake runs on the socket's notifications and ends with FD_HANDSHAKE,
// posted whatever the selected events. Meanwhile recv and send would block
// and nothing else is announced. Afterwards recv, send, ioctlsocket FIONREAD
// and FD_READ deal in plain text, the peer's close_notify or end of stream
// is FD_CLOSE, and shutdown sends close_notify first.
int StartTls(SOCKET s, const std::string& serverName);
// Why the handshake failed: "Certificate not trusted: <reason>",
// "Certificate name mismatch" or "TLS handshake failed: <reason>".
std::string TlsFailure(SOCKET s);

SOCKET socket(int af, int type, int protocol);
int setsockopt(SOCKET s, int level, int optname, const void* optval, int optlen);
int connect(SOCKET s, const SOCKADDR_IN* name, int namelen);
int bind(SOCKET s, const SOCKADDR_IN* name, int namelen);
int listen(SOCKET s, int backlog);
SOCKET accept(SOCKET s, SOCKADDR_IN* addr, int* addrlen);
int send(SOCKET s, const void* buf, int len, int flags);
int sendto(SOCKET s, const void* buf, int len, int flags, const SOCKADDR_IN* to, int tolen);
// A zero-length recv on a stream socket reads nothing and tells whether the
// peer has closed: 0 once it has (even with data still unread), SOCKET_ERROR
// with WSAEWOULDBLOCK while the connection is open.
int recv(SOCKET s, void* buf, int len, int flags);
int recvfrom(SOCKET s, void* buf, int len, int flags, SOCKADDR_IN* from, int* fromlen);
int shutdown(SOCKET s, int how);
int closesocket(SOCKET s);
int ioctlsocket(SOCKET s, long cmd, std::uint32_t* argp);
int getsockname(SOCKET s, SOCKADDR_IN* name, int* namelen);
int getpeername(SOCKET s, SOCKADDR_IN* name, int* namelen);

// Blocking lookups. The results stay valid until the next call of the same
// function on this thread; nullptr on failure (error through WSAGetLastError).
const HOSTENT* gethostbyname(const std::string& name);
struct SERVENT {
    std::string s_name;
    std::uint16_t s_port = 0;  // network byte order
    std::string s_proto;
};
const SERVENT* getservbyname(const std::string& name, const std::string* proto);
struct PROTOENT {
    std::string p_name;
    std::int16_t p_proto = 0;
};
const PROTOENT* getprotobyname(const std::string& name);

// Dotted text to an address in network order; WS_INADDR_NONE when the text
// is not an address (which "255.255.255.255" also gives).
std::uint32_t inet_addr(const std::string& text);
std::string inet_ntoa(IN_ADDR in);

// Host to network order for a port (the fields hold network order as laid
// out in memory, whatever the machine's byte order).
constexpr std::uint16_t WsHtons(std::uint16_t v) {
    if constexpr (std::endian::native == std::endian::little)
        return static_cast<std::uint16_t>((v >> 8) | (v << 8));
    else
        return v;
}
constexpr std::uint16_t WsNtohs(std::uint16_t v) {
    return WsHtons(v);
}

// The resolver that lookups go through: fills the IPv4 addresses (network
// order) of name in the resolver's order and returns 0, or returns a Winsock
// error code (WSAHOST_NOT_FOUND, ...). It runs on a worker thread for the
// asynchronous lookup, so a replacement must be safe to call from any thread.
using HostResolver = std::function<int(const std::string& name, std::vector<std::uint32_t>& addrs)>;
// Installs a resolver (an empty one restores the system's) and returns the
// one it replaced.
HostResolver SetHostResolver(HostResolver resolver);
// The system's resolver (hosts file, then DNS).
int SystemResolve(const std::string& name, std::vector<std::uint32_t>& addrs);

}  // namespace zelvo::platform
