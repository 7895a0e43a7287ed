#pragma once
// The system's own record of what starts with the user's session: on Linux
// the desktop's autostart entry, on Windows the value "Zelvo" under the
// user's Run key, the same one the installer writes. The record itself is
// the setting; whether the user wants it is never kept anywhere else.
#include <string>

namespace zelvo::platform {

// Where the record is, for messages and tests: a file path, or the registry
// key and value name.
std::string LogonStartLocation();

// True when the record is there and the system has not switched it off
// (a hidden desktop entry; an entry the user disabled in the system's list
// of programs started at log-on).
bool LogonStartEnabled();

// The record's text for a program path: a desktop entry whose Exec line is
// quoted as desktop entries require, or the quoted path the Run key holds.
std::string LogonStartText(const std::string& program);

// Writes the text as the record, switched on. Throws std::runtime_error when
// it cannot be written.
void WriteLogonStart(const std::string& text);

// Removes the record; none there is no failure. Throws std::runtime_error
// when it cannot be removed.
void RemoveLogonStart();

}  // namespace zelvo::platform
