#include "app/CommandLine.h"

namespace zelvo::app {

namespace {

constexpr const char* kUsage =
    "usage: zelvo [--help | --version]\n"
    "\n"
    "Scrolls the text of up to three web pages or news feeds across a strip\n"
    "above the taskbar. Every setting is in the configuration dialog, opened\n"
    "from the tray icon's menu or from a right-click on the strip.\n"
    "\n"
    "  --help     this text\n"
    "  --version  the program's version\n";

}  // namespace

TCommandLine ReadCommandLine(const std::vector<std::string>& arguments,
                             const std::string& version) {
    TCommandLine line;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        if (arg == "--help") {
            return {TCommandLine::Help, kUsage, 0};
        } else if (arg == "--version") {
            return {TCommandLine::Version, "zelvo " + version + "\n", 0};
        } else if (arg == "-session" && i + 1 < arguments.size()) {
            // A session manager that restores the desktop restarts its
            // programs with their session's id: the toolkit takes it.
            ++i;
        } else {
            return {TCommandLine::Refuse,
                    "zelvo: unknown argument \"" + arg + "\" (zelvo --help lists them)\n", 2};
        }
    }
    return line;
}

}  // namespace zelvo::app
