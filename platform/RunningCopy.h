#pragma once
// How one copy of the program tells that another copy of the same user is
// running. A copy holds a marker from the creation of its About window until
// it ends; the operating system takes the marker away however the process
// ends, so a killed copy never leaves a stale one.
#include <string>

namespace zelvo::platform {

// True while any other copy of this user holds its marker.
bool RunningCopyExists();

class RunningCopyMarker {
public:
    RunningCopyMarker();
    ~RunningCopyMarker();
    RunningCopyMarker(const RunningCopyMarker&) = delete;
    RunningCopyMarker& operator=(const RunningCopyMarker&) = delete;

private:
    int fd_ = -1;
};

// The file whose lock is the marker (beside the settings file).
std::string RunningCopyMarkerPath();

}  // namespace zelvo::platform
