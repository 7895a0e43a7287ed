#pragma once
// Starting other programs, as the desktop shell would. Every launch hands the
// program its own argument list; no command line is ever split or given to a
// shell, so nothing in a file name or an address can become an option or a
// second target.
#include <string>
#include <string_view>

#include "platform/AppWindow.h"

namespace zelvo::platform {

// Starts file (a program) with the parameter text as its one argument, none
// when it is empty; double quotes around it (a quoted path) are taken off.
// Returns a value above 32 when it started, 32 or less when it did not (2:
// the file was not found). A Windows program name (ending in ".exe") that
// this system does not have opens the argument with the desktop's handler
// instead, so the stock settings still work here.
int ShellExecute(const std::string& file, const std::string& parameters,
                 int showCommand = SW_SHOWMAXIMIZED);

// Starts browser on an address, which goes after "--" (an address beginning
// with a dash is still no option) with blanks and control characters
// percent-encoded. A missing Windows browser name opens the address with the
// desktop's handler, as ShellOpenAddress would.
int ShellBrowse(const std::string& browser, const std::string& address);

// Opens an address with the desktop's handler for it. Only web and file
// addresses (http://, https://, file://) are opened; anything else, such as
// a program's name or a bare path, starts nothing and fails with 2.
int ShellOpenAddress(const std::string& address);

// The address as it is handed on: blanks and control characters
// percent-encoded, everything else unchanged.
std::string EncodeAddress(std::string_view address);
bool IsOpenableAddress(std::string_view address);

// Opens the user guide (an HTML file) in the desktop's browser at the topic's
// anchor, "#topic-" and the context number; tells the user when there is no
// guide.
bool WinHelp(const std::string& helpFile, unsigned context);

}  // namespace zelvo::platform
