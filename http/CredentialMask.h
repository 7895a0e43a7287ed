#pragma once
// The log of an exchange is kept in a file and shown on request; passwords
// and authorization tokens in it are replaced by a fixed mask, so that
// neither the file nor a screen gives them away.
#include <string>
#include <string_view>

namespace zelvo::http {

inline constexpr const char* kCredentialMask = "********";

// line with the credentials it carries masked: the value of an
// Authorization or Proxy-Authorization header (its scheme name kept) and the
// password of every URL written with user info ("user:********@host").
std::string MaskCredentials(std::string_view line);

}  // namespace zelvo::http
