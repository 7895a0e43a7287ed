#include "platform/FileReplace.h"

#include <windows.h>
// After windows.h, which it needs.
#include <sddl.h>

#include <memory>
#include <string_view>

#include "platform/win32/WideText.h"

namespace zelvo::platform {
namespace {

using win32::Utf8;
using win32::Wide;

// The system's own words for an error, without the line break it ends them with.
std::string Reason(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::unique_ptr<wchar_t, decltype(&::LocalFree)> owned(text, &::LocalFree);
    if (n == 0)
        return "Error " + std::to_string(error);
    std::wstring_view words(text, n);
    while (!words.empty() &&
           (words.back() == L'\r' || words.back() == L'\n' || words.back() == L' '))
        words.remove_suffix(1);
    return Utf8(words);
}

[[noreturn]] void Fail(const std::string& path, DWORD error) {
    throw FileReplaceError("Cannot create file " + path + ". " + Reason(error));
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Only the owner may touch what is made with it; folders pass that on to
// what is made inside them. Without it a file takes its folder's access,
// which beside a program may be everyone's.
class PrivateAccess {
public:
    explicit PrivateAccess(bool inherited) {
        const wchar_t* sddl = inherited ? L"D:P(A;OICI;FA;;;OW)" : L"D:P(A;;FA;;;OW)";
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                                   &descriptor, nullptr))
            descriptor_.reset(descriptor);
        attributes_.nLength = sizeof attributes_;
        attributes_.lpSecurityDescriptor = descriptor_.get();
        attributes_.bInheritHandle = FALSE;
    }
    SECURITY_ATTRIBUTES* get() { return descriptor_ ? &attributes_ : nullptr; }

private:
    std::unique_ptr<void, decltype(&::LocalFree)> descriptor_{nullptr, &::LocalFree};
    SECURITY_ATTRIBUTES attributes_{};
};

// Removes the temporary file unless it has been moved into place.
class TempFile {
public:
    TempFile(const std::wstring& target, SECURITY_ATTRIBUTES* access) {
        static unsigned counter = 0;
        for (int attempt = 0; attempt < 100; ++attempt) {
            name_ = target + L"." + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                    std::to_wstring(::GetTickCount64()) + L"-" + std::to_wstring(++counter);
            handle_ = ::CreateFileW(name_.c_str(), GENERIC_WRITE, 0, access, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
            if (handle_ != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS)
                break;
        }
    }
    ~TempFile() {
        if (handle_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle_);
        if (!committed_ && opened())
            ::DeleteFileW(name_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    bool opened() const { return handle_ != INVALID_HANDLE_VALUE || closed_; }
    HANDLE handle() const { return handle_; }
    const std::wstring& name() const { return name_; }
    bool Close() {
        const bool ok = ::CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        closed_ = true;
        return ok;
    }
    void Commit() { committed_ = true; }

private:
    std::wstring name_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    bool closed_ = false;
    bool committed_ = false;
};

}  // namespace

// A shared file takes the access its folder gives new files: Windows keeps
// no mode bits of its own to carry over from the old one.
void ReplaceFileContents(const std::string& path, const std::string& data, FileAccess access) {
    const std::wstring target = Wide(path);
    // Moving over a folder would fail late and leave a stray file.
    if (IsFolder(target))
        Fail(path, ERROR_DIRECTORY);
    PrivateAccess privateAccess(false);
    TempFile temp(target, access == FileAccess::Private ? privateAccess.get() : nullptr);
    if (temp.handle() == INVALID_HANDLE_VALUE)
        Fail(path, ::GetLastError());
    std::string_view rest(data);
    while (!rest.empty()) {
        const DWORD chunk = rest.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(rest.size());
        DWORD written = 0;
        if (!::WriteFile(temp.handle(), rest.data(), chunk, &written, nullptr))
            Fail(path, ::GetLastError());
        rest.remove_prefix(written);
    }
    if (!::FlushFileBuffers(temp.handle()))
        Fail(path, ::GetLastError());
    if (!temp.Close())
        Fail(path, ::GetLastError());
    if (!::MoveFileExW(temp.name().c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        Fail(path, ::GetLastError());
    temp.Commit();
}

bool MakePrivateFolders(const std::string& dir) {
    const std::wstring wide = Wide(dir);
    PrivateAccess privateAccess(true);
    std::size_t from = 0;
    while (from <= wide.size()) {
        std::size_t separator = wide.find_first_of(L"/\\", from);
        if (separator == std::wstring::npos)
            separator = wide.size();
        const std::wstring path = wide.substr(0, separator);
        from = separator + 1;
        // The root, a drive ("C:") and the host of a share make nothing; a
        // folder that cannot be made leaves the last one missing.
        if (path.empty() || path.back() == L':' ||
            path.find_first_not_of(L"/\\") == std::wstring::npos)
            continue;
        ::CreateDirectoryW(path.c_str(), privateAccess.get());
    }
    return IsFolder(wide);
}

}  // namespace zelvo::platform
