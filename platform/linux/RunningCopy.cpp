#include "platform/RunningCopy.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Paths.h"

namespace zelvo::platform {

// Every running copy holds a shared lock on one per-user file; an exclusive
// try that fails therefore means another copy is alive. The kernel drops the
// lock with the process, however it ends.

std::string RunningCopyMarkerPath() {
    return SettingsDir() + "Zelvo.running";
}

namespace {

int OpenMarker() {
    std::string dir = SettingsDir();
    ::mkdir(dir.substr(0, dir.size() - 1).c_str(), 0700);
    // Close-on-exec: a viewer or browser we start must not keep us "running".
    return ::open(RunningCopyMarkerPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
}

}  // namespace

bool RunningCopyExists() {
    int fd = OpenMarker();
    if (fd < 0)
        return false;
    bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);  // also releases our probe lock
    return held;
}

RunningCopyMarker::RunningCopyMarker() : fd_(OpenMarker()) {
    if (fd_ >= 0 && ::flock(fd_, LOCK_SH) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

RunningCopyMarker::~RunningCopyMarker() {
    if (fd_ >= 0)
        ::close(fd_);
}

}  // namespace zelvo::platform
