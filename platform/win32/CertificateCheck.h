#pragma once
// Whether a server's certificate is one the session may trust: a chain to a
// trusted root, for the name asked for, valid now. The texts are those of
// the Linux path, so a failure reads the same on either system.
#include <windows.h>
// After windows.h, which it needs.
#include <wincrypt.h>

#include <array>
#include <cstdint>
#include <string>

namespace zelvo::platform::win32 {

// Empty when cert (with the intermediates in its store) is good for
// serverName, a host name or a dotted address; otherwise
// "Certificate not trusted: <reason>" or "Certificate name mismatch".
//
// The roots trusted are those of the PEM file that SSL_CERT_FILE names and
// of the PEM files in the folders that SSL_CERT_DIR lists, as the Linux
// build reads them; the system's roots stand in for whichever of the two is
// not set, so with both set only their certificates are trusted.
std::string CheckServerCertificate(PCCERT_CONTEXT cert, const std::string& serverName);

// Whether text is a dotted IPv4 address, which is checked against the
// certificate's addresses and never sent as a server name.
bool IsDottedAddress(const std::string& text, std::array<std::uint8_t, 4>* bytes = nullptr);

}  // namespace zelvo::platform::win32
