#include "config/Autostart.h"

#include "platform/LogonStart.h"

namespace zelvo::config {

std::string AutostartEntryPath() {
    return platform::LogonStartLocation();
}

bool AutostartEnabled() {
    return platform::LogonStartEnabled();
}

std::string AutostartEntryText(const std::string& program) {
    return platform::LogonStartText(program);
}

void SetAutostart(bool on, const std::string& program) {
    if (!on) {
        platform::RemoveLogonStart();
        return;
    }
    // One the system already starts may be the user's own, pointing
    // elsewhere or with arguments of theirs: it stays as it is.
    if (AutostartEnabled())
        return;
    platform::WriteLogonStart(AutostartEntryText(program));
}

}  // namespace zelvo::config
