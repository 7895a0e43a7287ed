#include "platform/LogonStart.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string_view>

#include "platform/FileReplace.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace zelvo::platform {
namespace {

// Exec's quoting: a path with blanks or reserved characters goes in double
// quotes, with '"', '`', '$' and '\' escaped; '%' starts a field code
// anywhere, so it is doubled.
std::string ExecArgument(const std::string& program) {
    bool quote = program.empty();
    std::string escaped;
    for (char c : program) {
        if (c == '%') {
            escaped += "%%";
            continue;
        }
        if (std::string_view(" \t\n\"'\\><~|&;$*?#()`").find(c) != std::string_view::npos)
            quote = true;
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            escaped += '\\';
        escaped += c;
    }
    if (!quote)
        return escaped;
    // Inside the quotes the escaping backslash itself is escaped once more
    // by the string rules of the key file.
    std::string out = "\"";
    for (char c : escaped) {
        if (c == '\\')
            out += "\\\\";
        else
            out += c;
    }
    return out + "\"";
}

// The entry counts as off when the desktop hid it or disabled it.
bool SwitchedOff(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const std::string entry = AsciiLower(Trim(line));
        if (entry == "hidden=true" || entry == "x-gnome-autostart-enabled=false")
            return true;
    }
    return false;
}

}  // namespace

std::string LogonStartLocation() {
    return ConfigHome() + "autostart/zelvo.desktop";
}

bool LogonStartEnabled() {
    std::ifstream in(LogonStartLocation(), std::ios::binary);
    if (!in)
        return false;
    std::ostringstream text;
    text << in.rdbuf();
    return !SwitchedOff(text.str());
}

std::string LogonStartText(const std::string& program) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Zelvo\n"
           "Comment=News ticker above the taskbar\n"
           "Exec=" +
           ExecArgument(program) +
           "\n"
           "Icon=zelvo\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

void WriteLogonStart(const std::string& text) {
    const std::string path = LogonStartLocation();
    if (!MakePrivateFolders(std::filesystem::path(path).parent_path().string()))
        throw std::runtime_error("Cannot create folder for " + path);
    ReplaceFileContents(path, text);
}

void RemoveLogonStart() {
    const std::string path = LogonStartLocation();
    std::error_code ec;
    std::filesystem::remove(path, ec);
    if (ec)
        throw std::runtime_error("Cannot remove file " + path);
}

}  // namespace zelvo::platform
