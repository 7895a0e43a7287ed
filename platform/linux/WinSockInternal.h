#pragma once
// What the Linux socket layer's files share: the translation of the system's
// errors and addresses into Winsock's. Only platform/linux includes it.
#include <netinet/in.h>

#include "platform/WinSock.h"

namespace zelvo::platform::detail {

// The Winsock code for an errno value (WSAEINVAL for those Winsock lacks).
int MapErrno(int e);
// Records wsaError as the last error and returns SOCKET_ERROR.
int FailWith(int wsaError);
// The same for the current errno.
int FailErrno();

// A Winsock address as the system's; false (last error set) for one that
// is too short or not IPv4.
bool ToSystem(const SOCKADDR_IN* in, int len, sockaddr_in& out);
void FromSystem(const sockaddr_in& in, SOCKADDR_IN* out, int* len);

}  // namespace zelvo::platform::detail
