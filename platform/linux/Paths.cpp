#include "platform/Paths.h"

#include "platform/FileReplace.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#ifndef ZELVO_BIN_DIR
#define ZELVO_BIN_DIR "/usr/local/bin"
#endif
#ifndef ZELVO_DATA_DIR
#define ZELVO_DATA_DIR "/usr/local/share/zelvo"
#endif
#ifndef ZELVO_HELP_DIR
#define ZELVO_HELP_DIR "/usr/local/share/doc/zelvo/help"
#endif

namespace zelvo::platform {
namespace {

namespace fs = std::filesystem;

std::string WithSeparator(std::string dir) {
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    return dir;
}

std::string Home() {
    const char* home = std::getenv("HOME");
    return home != nullptr && home[0] != '\0' ? home : "/tmp";
}

// An XDG variable counts only when it holds an absolute path.
std::string XdgDir(const char* variable, const char* fallbackUnderHome) {
    if (const char* value = std::getenv(variable); value != nullptr && value[0] == '/')
        return WithSeparator(value);
    return WithSeparator(Home() + "/" + fallbackUnderHome);
}

// The user's to write: the user owns it and may write it. Asking access()
// instead would call every folder root's, the installed program folder too.
bool UsersToWrite(const std::string& dir) {
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    return st.st_uid == ::geteuid() && (st.st_mode & S_IWUSR) != 0;
}

bool IsInstallationFolder(const std::string& dir) {
    for (const char* installed : {ZELVO_BIN_DIR, "/usr/bin", "/usr/local/bin", "/bin"})
        if (WithSeparator(installed) == dir)
            return true;
    return false;
}

}  // namespace

std::string ExeDir() {
    std::error_code ec;
    auto exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return "./";
    return WithSeparator(exe.parent_path().string());
}

std::string ExePath() {
    std::error_code ec;
    auto exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}

std::string ConfigHome() {
    return XdgDir("XDG_CONFIG_HOME", ".config");
}

std::string SettingsDir() {
    return ConfigHome() + "Quorvane/";
}

ProgramFolders FoldersFor(const std::string& exeDir) {
    const std::string dir = WithSeparator(exeDir);
    if (UsersToWrite(dir) && !IsInstallationFolder(dir))
        return {dir, dir, dir + "help/", ""};
    return {XdgDir("XDG_STATE_HOME", ".local/state") + "zelvo/", SettingsDir(),
            WithSeparator(ZELVO_HELP_DIR), WithSeparator(ZELVO_DATA_DIR) + "WebURLs.txt"};
}

bool PrepareFolders(const ProgramFolders& folders) {
    std::error_code ec;
    bool made = true;
    for (const std::string& dir : {folders.Page, folders.UrlList}) {
        made = MakePrivateFolders(dir) && made;
    }
    if (!folders.ShippedUrlList.empty()) {
        const fs::path list = folders.UrlList + "WebURLs.txt";
        // Never over the user's own list, whatever state it is in.
        if (!fs::exists(fs::symlink_status(list, ec)) &&
            fs::is_regular_file(folders.ShippedUrlList, ec))
            fs::copy_file(folders.ShippedUrlList, list, fs::copy_options::skip_existing, ec);
    }
    return made;
}

const ProgramFolders& Folders() {
    static const ProgramFolders folders = [] {
        ProgramFolders f = FoldersFor(ExeDir());
        PrepareFolders(f);
        return f;
    }();
    return folders;
}

}  // namespace zelvo::platform
