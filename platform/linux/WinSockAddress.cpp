// Addresses, services and protocols: the conversions that need no socket.
#include <arpa/inet.h>
#include <netdb.h>

#include <cstring>

#include "platform/linux/WinSockInternal.h"

namespace zelvo::platform {

namespace detail {

bool ToSystem(const SOCKADDR_IN* in, int len, sockaddr_in& out) {
    if (in == nullptr || len < static_cast<int>(sizeof(SOCKADDR_IN))) {
        WSASetLastError(WSAEFAULT);
        return false;
    }
    if (in->sin_family != WS_AF_INET) {
        WSASetLastError(WSAEAFNOSUPPORT);
        return false;
    }
    std::memset(&out, 0, sizeof out);
    out.sin_family = AF_INET;
    out.sin_port = in->sin_port;
    out.sin_addr.s_addr = in->sin_addr.S_addr;
    return true;
}

void FromSystem(const sockaddr_in& in, SOCKADDR_IN* out, int* len) {
    if (out == nullptr)
        return;
    *out = SOCKADDR_IN{};
    out->sin_family = WS_AF_INET;
    out->sin_port = in.sin_port;
    out->sin_addr.S_addr = in.sin_addr.s_addr;
    if (len != nullptr)
        *len = sizeof(SOCKADDR_IN);
}

}  // namespace detail

const SERVENT* getservbyname(const std::string& name, const std::string* proto) {
    thread_local SERVENT result;
    servent entry{};
    servent* found = nullptr;
    char buf[1024];
    if (::getservbyname_r(name.c_str(), proto != nullptr ? proto->c_str() : nullptr, &entry, buf,
                          sizeof buf, &found) != 0 ||
        found == nullptr) {
        WSASetLastError(WSANO_DATA);
        return nullptr;
    }
    result.s_name = found->s_name;
    result.s_port = static_cast<std::uint16_t>(found->s_port);
    result.s_proto = found->s_proto != nullptr ? found->s_proto : "";
    return &result;
}

const PROTOENT* getprotobyname(const std::string& name) {
    thread_local PROTOENT result;
    protoent entry{};
    protoent* found = nullptr;
    char buf[1024];
    if (::getprotobyname_r(name.c_str(), &entry, buf, sizeof buf, &found) != 0 ||
        found == nullptr) {
        WSASetLastError(WSANO_DATA);
        return nullptr;
    }
    result.p_name = found->p_name;
    result.p_proto = static_cast<std::int16_t>(found->p_proto);
    return &result;
}

int SystemResolve(const std::string& name, std::vector<std::uint32_t>& addrs) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    int rc = ::getaddrinfo(name.c_str(), nullptr, &hints, &list);
    if (rc != 0) {
        switch (rc) {
            case EAI_NONAME:
                return WSAHOST_NOT_FOUND;
            case EAI_AGAIN:
                return WSATRY_AGAIN;
#ifdef EAI_NODATA
            case EAI_NODATA:
                return WSANO_DATA;
#endif
#ifdef EAI_ADDRFAMILY
            case EAI_ADDRFAMILY:
                return WSANO_DATA;
#endif
            default:
                return WSANO_RECOVERY;
        }
    }
    for (addrinfo* p = list; p != nullptr; p = p->ai_next) {
        if (p->ai_family != AF_INET || p->ai_addr == nullptr)
            continue;
        std::uint32_t a = reinterpret_cast<const sockaddr_in*>(p->ai_addr)->sin_addr.s_addr;
        bool seen = false;
        for (std::uint32_t b : addrs)
            seen = seen || a == b;
        if (!seen)
            addrs.push_back(a);
    }
    ::freeaddrinfo(list);
    return addrs.empty() ? WSANO_DATA : 0;
}

}  // namespace zelvo::platform
