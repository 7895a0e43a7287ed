#pragma once
// The ticker's command line, read before the toolkit starts: asking for the
// usage or the version must work where there is no display at all.
#include <string>
#include <vector>

namespace zelvo::app {

struct TCommandLine {
    enum TAction { Run, Help, Version, Refuse };
    TAction Action = Run;
    // What goes to standard output (Help, Version) or standard error (Refuse).
    std::string Text;
    // The exit status when the program does not run.
    int ExitCode = 0;
};

// arguments excludes the program's name.
TCommandLine ReadCommandLine(const std::vector<std::string>& arguments, const std::string& version);

}  // namespace zelvo::app
