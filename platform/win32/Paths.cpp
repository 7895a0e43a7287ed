#include "platform/Paths.h"

#include <windows.h>
// After windows.h, which they need.
#include <knownfolders.h>
#include <shlobj.h>

#include <filesystem>
#include <memory>

#include "platform/FileReplace.h"
#include "platform/win32/WideText.h"

namespace zelvo::platform {
namespace {

using win32::Utf8;
using win32::Wide;

std::string WithSeparator(std::string dir) {
    while (dir.size() > 1 && (dir.back() == '\\' || dir.back() == '/'))
        dir.pop_back();
    if (dir.empty() || (dir.back() != '\\' && dir.back() != '/'))
        dir += '\\';
    return dir;
}

// Roaming application data, "C:\Users\<name>\AppData\Roaming\".
std::string AppData() {
    wchar_t* path = nullptr;
    const HRESULT result = ::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &path);
    std::unique_ptr<wchar_t, decltype(&::CoTaskMemFree)> owned(path, &::CoTaskMemFree);
    if (FAILED(result) || path == nullptr)
        return WithSeparator(ExeDir());
    return WithSeparator(Utf8(path));
}

// Whether a file can be made in the folder. A program folder under
// "Program Files" is no user's to write, and asking the folder's access list
// would not tell what the policies in force allow.
bool UsersToWrite(const std::string& dir) {
    const std::wstring probe =
        Wide(dir) + L"zelvo-write-" + std::to_wstring(::GetCurrentProcessId());
    HANDLE handle = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(handle);
    return true;
}

}  // namespace

std::string ExePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            return Utf8(path);
        }
        path.resize(path.size() * 2);
    }
}

std::string ExeDir() {
    const std::string exe = ExePath();
    const auto separator = exe.find_last_of("\\/");
    if (separator == std::string::npos)
        return ".\\";
    return exe.substr(0, separator + 1);
}

std::string ConfigHome() {
    return AppData();
}

// The settings themselves are in the registry; the folder keeps the files
// that go with them.
std::string SettingsDir() {
    return ConfigHome() + "Quorvane\\";
}

// A copy in a folder the user may write keeps everything beside itself; an
// installed one keeps the page, the log and the URL list under the roaming
// application data, and reads the guide and the first URL list from its own
// folder.
ProgramFolders FoldersFor(const std::string& exeDir) {
    const std::string dir = WithSeparator(exeDir);
    if (UsersToWrite(dir))
        return {dir, dir, dir + "help\\", ""};
    const std::string own = SettingsDir() + "Zelvo\\";
    return {own, own, dir + "help\\", dir + "WebURLs.txt"};
}

bool PrepareFolders(const ProgramFolders& folders) {
    namespace fs = std::filesystem;
    std::error_code ec;
    bool made = true;
    for (const std::string& dir : {folders.Page, folders.UrlList})
        made = MakePrivateFolders(dir) && made;
    if (!folders.ShippedUrlList.empty()) {
        const fs::path list = fs::path(Wide(folders.UrlList)) / L"WebURLs.txt";
        const fs::path shipped(Wide(folders.ShippedUrlList));
        // Never over the user's own list, whatever state it is in.
        if (!fs::exists(list, ec) && fs::is_regular_file(shipped, ec))
            fs::copy_file(shipped, list, fs::copy_options::skip_existing, ec);
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
