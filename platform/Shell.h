#pragma once
// Starting other programs, as the desktop shell would.
#include <string>

#include "platform/AppWindow.h"

namespace zelvo::platform {

// Opens file (a program, a document or an address) with the given parameters
// and returns a value above 32 when it started, 32 or less when it did not
// (2: the file was not found). Parameters are split like a command line,
// double quotes grouping. A Windows program name (ending in ".exe") that this
// system does not have opens its parameters with the desktop's default
// handler instead, so the stock settings still work here.
int ShellExecute(const std::string& file, const std::string& parameters,
                 int showCommand = SW_SHOWMAXIMIZED);

// Opens the user guide (an HTML file) in the desktop's browser at the topic's
// anchor, "#topic-" and the context number; tells the user when there is no
// guide.
bool WinHelp(const std::string& helpFile, unsigned context);

}  // namespace zelvo::platform
