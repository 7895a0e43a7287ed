#pragma once
// The pure text helpers the HTTP client splits its addresses with, names the
// received document with, and formats two request headers with.
#include <string>

namespace zelvo::http {

// Splits a URL into scheme, user, password, host, port and path (all texts;
// the port is not checked).
void SplitURL(const std::string& url, std::string& scheme, std::string& user, std::string& password,
              std::string& host, std::string& port, std::string& path);
// 1-based position of the last occurrence of sub in s, 0 when none.
int LastPos(const std::string& sub, const std::string& s);
// Gives name the extension ext (without its dot), replacing the text after
// its last dot or appending one.
void ReplaceExt(std::string& name, const std::string& ext);
// The extension of a file name, its dot included; empty when it has none.
std::string ExtractFileExt(const std::string& name);
// A date-time (days since 30 December 1899) as "Wed, 04 Mar 1998 10:20:30".
// Values before 1 January 0001 or after 31 December 9999 are taken as the
// nearest end of that range, NaN as its start.
std::string HttpDateText(double dateTime);
std::string EncodeBase64(const std::string& data);

}  // namespace zelvo::http
