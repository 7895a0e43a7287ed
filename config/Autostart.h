#pragma once
// Starting with the desktop session: an entry in the user's autostart folder
// ("${XDG_CONFIG_HOME:-~/.config}/autostart/zelvo.desktop"). The entry itself
// is the setting; nothing of it is kept in the settings store, so the
// desktop's own session settings and the dialog never disagree.
#include <string>

namespace zelvo::config {

std::string AutostartEntryPath();

// True when the entry is there and the desktop has not switched it off.
bool AutostartEnabled();

// Writes the entry, starting the given program, or removes it. An entry the
// desktop already starts is left as it is. Throws std::runtime_error when
// the folder or the file cannot be written.
void SetAutostart(bool on, const std::string& program);

// The entry's text for a program path, its Exec line quoted as desktop
// entries require.
std::string AutostartEntryText(const std::string& program);

}  // namespace zelvo::config
