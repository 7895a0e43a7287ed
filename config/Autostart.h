#pragma once
// Starting with the user's session: on Linux an entry in the user's autostart
// folder ("${XDG_CONFIG_HOME:-~/.config}/autostart/zelvo.desktop"), on
// Windows the value "Zelvo" under HKEY_CURRENT_USER's Run key. The entry
// itself is the setting; nothing of it is kept in the settings store, so the
// system's own session settings and the dialog never disagree.
#include <string>

namespace zelvo::config {

std::string AutostartEntryPath();

// True when the entry is there and the system has not switched it off.
bool AutostartEnabled();

// Writes the entry, starting the given program, or removes it. An entry the
// system already starts is left as it is, wherever it points. Throws
// std::runtime_error when the entry cannot be written or removed.
void SetAutostart(bool on, const std::string& program);

// The entry's text for a program path: on Linux a desktop entry whose Exec
// line is quoted as desktop entries require, on Windows the quoted path.
std::string AutostartEntryText(const std::string& program);

}  // namespace zelvo::config
