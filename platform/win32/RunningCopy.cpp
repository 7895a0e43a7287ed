#include "platform/RunningCopy.h"

#include "platform/Paths.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32.h"

namespace zelvo::platform {

// Every running copy holds a handle on one named object of the session,
// named after the user's settings folder; the object exists while any copy
// holds it, and the system closes a process's handles however it ends.

std::string RunningCopyMarkerPath() {
    std::string name = SettingsDir() + "Zelvo.running";
    // A name in the session's space holds no backslash of its own.
    for (char& c : name)
        if (c == '\\')
            c = '/';
    return "Local\\" + name;
}

bool RunningCopyExists() {
    const std::wstring name = win32::Wide(RunningCopyMarkerPath());
    HANDLE probe = ::OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
    if (probe == nullptr)
        return false;
    ::CloseHandle(probe);  // the object goes with the last handle
    return true;
}

// The handle is kept in the int the header has room for: the system's
// handles carry 32 significant bits, for programs of both word sizes.
RunningCopyMarker::RunningCopyMarker() {
    const std::wstring name = win32::Wide(RunningCopyMarkerPath());
    HANDLE marker = ::CreateMutexW(nullptr, FALSE, name.c_str());
    if (marker != nullptr) {
        // Our own processes must not keep it alive after we end.
        ::SetHandleInformation(marker, HANDLE_FLAG_INHERIT, 0);
        fd_ = static_cast<int>(::HandleToLong(marker));
    }
}

RunningCopyMarker::~RunningCopyMarker() {
    if (fd_ != -1)
        ::CloseHandle(::LongToHandle(fd_));
}

}  // namespace zelvo::platform
