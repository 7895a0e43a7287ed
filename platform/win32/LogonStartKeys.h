#pragma once
// The keys beneath HKEY_CURRENT_USER that the start at log-on lives in. A
// test moves them to keys of its own, since suites run side by side in one
// prefix and the real Run key is shared by all of them.
#include <string>

namespace zelvo::platform::win32 {

struct LogonStartKeys {
    std::wstring Run;       // the value "Zelvo": the command started at log-on
    std::wstring Approved;  // the system's switch for it, set from its list of start-up programs
};

// The system's keys, unless a test set others.
const LogonStartKeys& CurrentLogonStartKeys();
// Empty names put back the system's keys.
void UseLogonStartKeys(LogonStartKeys keys);

}  // namespace zelvo::platform::win32
