#pragma once
#include <string>

namespace zelvo::platform {

// The separator of the system's paths, which every folder below ends with;
// Windows takes '/' as well.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The directory of the running executable, with its trailing separator.
std::string ExeDir();

// ${XDG_CONFIG_HOME:-$HOME/.config}/Quorvane/ with its trailing separator
// (on Windows %APPDATA%\Quorvane\, beside the settings in the registry).
std::string SettingsDir();

// ${XDG_CONFIG_HOME:-$HOME/.config}/ with its trailing separator: the
// user's configuration folder, the desktop's autostart entries included
// (on Windows %APPDATA%\).
std::string ConfigHome();

// The running executable's full path.
std::string ExePath();

// Where the program's own files are; every folder ends in a separator.
struct ProgramFolders {
    std::string Page;     // "WebPage.txt" and "Zelv.Log"
    std::string UrlList;  // "WebURLs.txt"
    std::string Help;     // the user guide, "index.html"
    // The URL list an installed copy starts from; empty for a copy that keeps
    // its files beside itself.
    std::string ShippedUrlList;
};

// A copy in a folder that is the user's to write (a build tree, a portable
// copy) keeps its files beside itself. An installed one, in a folder the user
// may not write or in the installation's program folder, keeps the page and
// the log under ${XDG_STATE_HOME:-~/.local/state}/zelvo/, the URL list with
// the settings, and reads the guide from the installed documentation. On
// Windows an installed copy keeps its files in %APPDATA%\Quorvane\Zelvo\ and
// reads the guide beside itself.
ProgramFolders FoldersFor(const std::string& exeDir);

// Creates the folders and, when there is no URL list yet, copies the shipped
// one there. False when a folder cannot be made; a missing shipped list is no
// failure (the dialog reports the missing list as it always has).
bool PrepareFolders(const ProgramFolders& folders);

// The running program's folders, prepared at the first call.
const ProgramFolders& Folders();

}  // namespace zelvo::platform
