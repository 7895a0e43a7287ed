#pragma once
// What the socket's source files share and nobody else needs.

namespace zelvo::socket::detail {

// Starts Winsock for the process unless it already runs; raises
// ESocketException when it cannot start.
void StartWinsock();

}  // namespace zelvo::socket::detail
